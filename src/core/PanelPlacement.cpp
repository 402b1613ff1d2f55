#include "PanelPlacement.h"

#include "PanelMetrics.h"

#include <algorithm>
#include <cmath>

namespace PanelPlacement {

namespace {
// In y-up coordinates QRectF's top() is the lower edge; these names say which edge is meant.
double minY(const QRectF &r) { return r.y(); }
double maxY(const QRectF &r) { return r.y() + r.height(); }
} // namespace

std::optional<QRectF> anchorRect(const QRectF &iconRect, std::optional<QPointF> pointerAtClick)
{
    if (!iconRect.isEmpty())
        return iconRect;
    if (pointerAtClick)
        return QRectF(*pointerAtClick, QSizeF(1, 1));
    return std::nullopt;
}

double contentHeight(const QRectF &visibleFrame, bool tall)
{
    return tall ? PanelMetrics::tallContentHeight(visibleFrame.height()) : PanelMetrics::shortHeight;
}

QRectF panelFrame(const Anchor &anchor, double chrome, bool tall)
{
    const QRectF &v = anchor.visibleFrame;
    const double width = PanelMetrics::width;
    const double height = chrome + contentHeight(v, tall);
    double x = anchor.item.center().x() - width / 2;
    x = std::max(x, v.left() + edgeMargin);
    x = std::min(x, v.right() - width - edgeMargin);
    double y = minY(anchor.item) - height - itemGap; // the panel's bottom edge
    y = std::max(y, minY(v) + edgeMargin);
    y = std::min(y, maxY(v) - edgeMargin - height);
    return {x, y, width, height};
}

QRect integral(const QRectF &frame)
{
    const auto whole = [](double value) { return int(std::lround(value)); };
    return {whole(frame.x()), whole(frame.y()), whole(frame.width()), whole(frame.height())};
}

} // namespace PanelPlacement
