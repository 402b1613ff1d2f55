#include "WorkAreas.h"

#include <algorithm>

namespace WorkAreas {

namespace {
enum Edge { Left, Right, Top, Bottom };

/// The rectangle a strut reserves at one edge; empty when it reserves nothing there.
QRect reserved(const Strut &s, Edge edge, QSize desktop)
{
    const qint64 width = s[edge];
    if (width <= 0)
        return {};
    const qint64 first = s[4 + 2 * edge];
    const qint64 span = s[5 + 2 * edge] - first + 1; // the last row or column is in
    switch (edge) {
    case Left: return QRect(0, int(first), int(width), int(span));
    case Right: return QRect(int(desktop.width() - width), int(first), int(width), int(span));
    case Top: return QRect(int(first), 0, int(span), int(width));
    case Bottom: return QRect(int(first), int(desktop.height() - width), int(span), int(width));
    }
    return {};
}

/// `area` less a reservation at `edge` that overlaps `monitor`.
QRect without(QRect area, const QRect &monitor, const QRect &taken, Edge edge)
{
    if (!taken.intersects(monitor))
        return area;
    switch (edge) {
    case Left: area.setLeft(std::max(area.left(), taken.right() + 1)); break;
    case Right: area.setRight(std::min(area.right(), taken.left() - 1)); break;
    case Top: area.setTop(std::max(area.top(), taken.bottom() + 1)); break;
    case Bottom: area.setBottom(std::min(area.bottom(), taken.top() - 1)); break;
    }
    return area;
}
} // namespace

Strut fullLengthStrut(qint64 left, qint64 right, qint64 top, qint64 bottom, QSize desktop)
{
    const qint64 lastRow = desktop.height() - 1;
    const qint64 lastColumn = desktop.width() - 1;
    return {left, right, top, bottom, 0, lastRow, 0, lastRow, 0, lastColumn, 0, lastColumn};
}

QRect desktopArea(const QList<Strut> &struts, QSize desktop)
{
    std::array<qint64, 4> widest{};
    for (const Strut &s : struts) {
        for (int edge = Left; edge <= Bottom; ++edge)
            widest[edge] = std::max(widest[edge], s[edge]);
    }
    return QRect(QPoint(int(widest[Left]), int(widest[Top])),
                 QPoint(int(desktop.width() - 1 - widest[Right]), int(desktop.height() - 1 - widest[Bottom])));
}

std::optional<QList<QRect>> monitorAreas(const QList<QRect> &monitors, const QList<Strut> &struts,
                                         QSize desktop, const QRect &workArea)
{
    if (desktopArea(struts, desktop) != workArea)
        return std::nullopt;
    QList<QRect> areas;
    for (const QRect &monitor : monitors) {
        QRect area = monitor;
        for (const Strut &s : struts) {
            for (int edge = Left; edge <= Bottom; ++edge)
                area = without(area, monitor, reserved(s, Edge(edge), desktop), Edge(edge));
        }
        areas.append(area.isValid() ? area : monitor); // a dock wider than its monitor reserves nothing
    }
    return areas;
}

} // namespace WorkAreas
