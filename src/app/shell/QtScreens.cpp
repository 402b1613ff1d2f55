#include "QtScreens.h"

#include "WorkAreas.h"
#include "X11Support.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

namespace QtScreens {

namespace {
struct Copy {
    QPointer<QObject> appWatch;    ///< lives as long as the application; null before one
    QPointer<QObject> screenWatch; ///< holds the connections to the screens of this copy
    bool stale = true;
    int generation = 0;
    std::vector<Screen> screens;
};

Copy &copy()
{
    static Copy instance;
    return instance;
}

void watchScreen(Copy &c, const QScreen *screen)
{
    const auto stale = [&c] { c.stale = true; };
    QObject::connect(screen, &QScreen::geometryChanged, c.screenWatch, stale);
    QObject::connect(screen, &QScreen::availableGeometryChanged, c.screenWatch, stale);
    QObject::connect(screen, &QScreen::refreshRateChanged, c.screenWatch, stale);
    QObject::connect(screen, &QScreen::logicalDotsPerInchChanged, c.screenWatch, stale); // the ratio follows
    QObject::connect(screen, &QScreen::physicalDotsPerInchChanged, c.screenWatch, stale);
}

void watchApplication(Copy &c)
{
    c.appWatch = new QObject(qApp);
    const auto stale = [&c] { c.stale = true; };
    QObject::connect(qApp, &QGuiApplication::screenAdded, c.appWatch, stale);
    QObject::connect(qApp, &QGuiApplication::screenRemoved, c.appWatch, stale);
    QObject::connect(qApp, &QGuiApplication::primaryScreenChanged, c.appWatch, stale);
    c.stale = true;
}

/// A rectangle of the display's pixels on `screen` in Qt's coordinates: Qt scales each screen about
/// its top left.
QRectF inPoints(const QRect &native, const Screen &screen)
{
    const QPointF origin = screen.geometry.topLeft();
    return {origin + (QPointF(native.topLeft()) - origin) / screen.pixelRatio,
            QSizeF(native.size()) / screen.pixelRatio};
}

/// X11 window managers publish one work area for all monitors, so a bar on one shrinks the others:
/// where the docks' own reservations account for it, each monitor loses only what lies on it.
void useDockReservations(std::vector<Screen> &screens)
{
    if (screens.size() < 2 || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    const std::optional<DockReservations> docks = dockReservations();
    if (!docks)
        return;
    QList<QRect> monitors;
    for (const Screen &screen : screens)
        monitors.append(screen.native());
    const std::optional<QList<QRect>> areas =
        WorkAreas::monitorAreas(monitors, docks->struts, docks->desktop, docks->workArea);
    for (size_t i = 0; areas && i < screens.size(); ++i)
        screens[i].available = inPoints(areas->at(qsizetype(i)), screens[i]).toRect();
}

void renew(Copy &c)
{
    delete c.screenWatch;
    c.screenWatch = new QObject(c.appWatch);
    c.screens.clear();
    const QList<QScreen *> screens = QGuiApplication::screens(); // the primary first
    for (const QScreen *screen : screens) {
        watchScreen(c, screen);
        c.screens.push_back({screen, screen->geometry(), screen->availableGeometry(), screen->devicePixelRatio(),
                             screen->refreshRate()});
    }
    useDockReservations(c.screens);
    c.stale = false;
    ++c.generation;
}
} // namespace

const std::vector<Screen> &all()
{
    Copy &c = copy();
    if (!c.appWatch) { // none yet, or the application it watched has ended
        c.screens.clear();
        if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
            return c.screens;
        watchApplication(c);
    }
    if (c.stale)
        renew(c);
    return c.screens;
}

const Screen *at(QPointF point)
{
    const std::vector<Screen> &screens = all();
    for (const Screen &screen : screens) {
        // Half-open, as a screen's pixels are: the first column past a seam is the next screen's.
        const QRect &g = screen.geometry;
        if (point.x() >= g.left() && point.x() < g.left() + g.width() && point.y() >= g.top() &&
            point.y() < g.top() + g.height())
            return &screen;
    }
    return screens.empty() ? nullptr : &screens.front();
}

int generation()
{
    all();
    return copy().generation;
}

QRectF fromNative(const QRect &native)
{
    for (const Screen &screen : all()) {
        if (screen.native().contains(native.center()))
            return inPoints(native, screen);
    }
    return native;
}

} // namespace QtScreens
