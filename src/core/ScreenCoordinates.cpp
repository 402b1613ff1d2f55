#include "ScreenCoordinates.h"

namespace ScreenCoordinates {

QPointF flipped(QPointF point, double primaryHeight)
{
    return {point.x(), primaryHeight - point.y()};
}

QRectF flipped(const QRectF &rect, double primaryHeight)
{
    return {rect.x(), primaryHeight - (rect.y() + rect.height()), rect.width(), rect.height()};
}

} // namespace ScreenCoordinates
