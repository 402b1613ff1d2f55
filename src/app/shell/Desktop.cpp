#include "Desktop.h"

#include "PointerFeed.h"
#include "QtScreens.h"
#include "ScreenCoordinates.h"

#include <QCursor>

namespace {
DesktopScreen describe(const QtScreens::Screen &screen, double primaryHeight)
{
    return {screen.screen, ScreenCoordinates::flipped(QRectF(screen.geometry), primaryHeight),
            ScreenCoordinates::flipped(QRectF(screen.available), primaryHeight), screen.refreshRate,
            screen.pixelRatio};
}
} // namespace

void QtDesktop::usePointerFeed(std::shared_ptr<const PointerFeed> feed, bool displayKnowsPointer)
{
    m_feed = std::move(feed);
    m_displayKnowsPointer = displayKnowsPointer;
}

QPointF QtDesktop::pointer() const
{
    if (m_feed)
        return m_feed->position();
    return ScreenCoordinates::flipped(QPointF(QCursor::pos()), primaryHeight());
}

std::optional<DesktopScreen> QtDesktop::screenAt(QPointF point) const
{
    const double height = primaryHeight();
    const QtScreens::Screen *screen = QtScreens::at(ScreenCoordinates::flipped(point, height));
    return screen ? std::optional(describe(*screen, height)) : std::nullopt;
}

double QtDesktop::primaryHeight() const
{
    const std::vector<QtScreens::Screen> &screens = QtScreens::all();
    return screens.empty() ? 0 : screens.front().geometry.height();
}
