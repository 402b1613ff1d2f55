#include "QtScreens.h"

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

} // namespace QtScreens
