#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>

#include <vector>

class QScreen;

/// Qt's screens as Qt last reported them. Asking Qt costs a search and several calls a screen, and
/// the floating rock asks every frame, so the copy is kept until Qt tells of a change: a screen
/// added or removed, a new primary, or a screen's size, usable area, refresh rate or density.
namespace QtScreens {

struct Screen {
    const QScreen *screen = nullptr; ///< identifies the screen; never dereferenced through the copy
    QRect geometry;                  ///< in Qt's coordinates
    QRect available;                 ///< less panels, docks and trays
    qreal pixelRatio = 1;            ///< device pixels a point
    double refreshRate = 0;          ///< as Qt reports it; 0 when unknown
    /// The screen in the display's pixels: Qt scales each screen about its top left.
    QRect native() const { return {geometry.topLeft(), geometry.size() * pixelRatio}; }
};

/// Every screen in Qt's order, the primary first; empty without an application or screens.
const std::vector<Screen> &all();
/// The first screen holding `point` (Qt's coordinates; left and top edges in, right and bottom out),
/// else the primary; null without screens.
/// Valid until the next change Qt reports.
const Screen *at(QPointF point);
/// Counts the copies made: a different number means the screens may have changed.
int generation();
/// A rectangle of the display's pixels in Qt's coordinates, scaled by the screen that holds its
/// centre (as it is now, whatever screen Qt last gave the window it belongs to); as it is where no
/// screen holds it.
QRectF fromNative(const QRect &native);

} // namespace QtScreens
