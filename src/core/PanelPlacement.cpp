#include "PanelPlacement.h"

#include "DesktopRect.h"
#include "PanelMetrics.h"

#include <algorithm>
#include <cmath>

namespace PanelPlacement {

using DesktopRect::maxY;
using DesktopRect::minY;

std::optional<QRectF> anchorRect(const QRectF &iconRect, std::optional<QPointF> pointerAtClick)
{
    if (!iconRect.isEmpty())
        return iconRect;
    if (pointerAtClick)
        return QRectF(*pointerAtClick, QSizeF(1, 1));
    return std::nullopt;
}

std::optional<QPointF> clickPoint(const Click &click)
{
    if (click.hostPoint && click.hostPointOnScreen) {
        if (!click.pointer)
            return click.hostPoint;
        const QPointF apart = *click.hostPoint - *click.pointer;
        if (std::hypot(apart.x(), apart.y()) <= clickTolerance)
            return click.hostPoint;
    }
    return click.pointer;
}

double contentHeight(const QRectF &visibleFrame, bool tall)
{
    return tall ? PanelMetrics::tallContentHeight(visibleFrame.height()) : PanelMetrics::shortHeight;
}

double contentScale(const Anchor &anchor, double chrome, double contentHeight)
{
    const QRectF &v = anchor.visibleFrame;
    const double floor = minY(v) + edgeMargin;
    double top = std::min(minY(anchor.item) - itemGap, maxY(v) - edgeMargin);
    if (top - floor < v.height() / 2)
        top = maxY(v) - edgeMargin; // the item is low: the panel rises from the bottom instead
    const double room = top - floor - chrome;
    // A screen too small for any panel still gets a visible one rather than none.
    return std::clamp(room / contentHeight, minimumScale, 1.0);
}

QRectF panelFrame(const Anchor &anchor, double chrome, bool tall)
{
    const QRectF &v = anchor.visibleFrame;
    const double content = contentHeight(v, tall);
    const double scale = contentScale(anchor, chrome, content);
    const double width = PanelMetrics::width * scale;
    const double height = chrome + content * scale;
    double x = anchor.item.center().x() - width / 2;
    x = std::max(x, v.left() + edgeMargin);
    x = std::min(x, v.right() - width - edgeMargin);
    double y = minY(anchor.item) - height - itemGap; // the panel's bottom edge
    y = std::max(y, minY(v) + edgeMargin);
    y = std::min(y, maxY(v) - edgeMargin - height);
    return {x, y, width, height};
}

QSizeF centredContent(double visibleHeight, double chrome, double contentHeight)
{
    const double room = visibleHeight - 2 * edgeMargin - chrome;
    const double scale = std::clamp(room / contentHeight, minimumScale, 1.0);
    return {PanelMetrics::width * scale, contentHeight * scale};
}

QRect integral(const QRectF &frame)
{
    return DesktopRect::whole(frame);
}

} // namespace PanelPlacement
