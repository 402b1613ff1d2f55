#include "LayerShellPlacement.h"

#include <limits>

namespace {

/// How far `point` lies outside `rect` (Manhattan distance, 0 inside).
int distanceOutside(QPoint point, const QRect &rect)
{
    const int dx = point.x() < rect.left() ? rect.left() - point.x() : std::max(0, point.x() - rect.right());
    const int dy = point.y() < rect.top() ? rect.top() - point.y() : std::max(0, point.y() - rect.bottom());
    return dx + dy;
}

} // namespace

int LayerShellPlacement::outputFor(const QRect &frame, const QList<QRect> &outputs)
{
    const QPoint centre = frame.center();
    int best = -1;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < outputs.size(); ++i) {
        const int distance = distanceOutside(centre, outputs[i]);
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

QPoint LayerShellPlacement::margins(const QRect &frame, QPoint outputOrigin)
{
    return frame.topLeft() - outputOrigin;
}
