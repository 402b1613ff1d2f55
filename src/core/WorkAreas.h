#pragma once

#include <QList>
#include <QRect>
#include <QSize>

#include <array>
#include <optional>

/// Each monitor's usable area from the docks' reserved edges. An X11 window manager publishes one
/// work area for the whole desktop, so a bar on one monitor shrinks every other monitor too; the
/// docks' own reservations tell which monitor they sit on. All rectangles are in the display's pixels.
namespace WorkAreas {

/// A dock's reservation as X11 gives it (_NET_WM_STRUT_PARTIAL): the widths reserved at the left,
/// right, top and bottom edges of the whole desktop, then the first and last row or column each one
/// spans (left start/end y, right start/end y, top start/end x, bottom start/end x).
using Strut = std::array<qint64, 12>;

/// The older four-value form (_NET_WM_STRUT): each edge reserved along its whole length.
Strut fullLengthStrut(qint64 left, qint64 right, qint64 top, qint64 bottom, QSize desktop);

/// The work area the window manager would publish for these struts: the desktop less the widest
/// reservation at each edge.
QRect desktopArea(const QList<Strut> &struts, QSize desktop);

/// Each monitor less the reservations that overlap it, in the monitors' order. Where the struts do
/// not account for the published `workArea` (the window manager reserves room of its own), none:
/// the caller keeps the work area.
std::optional<QList<QRect>> monitorAreas(const QList<QRect> &monitors, const QList<Strut> &struts,
                                         QSize desktop, const QRect &workArea);

} // namespace WorkAreas
