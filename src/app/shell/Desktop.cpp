#include "Desktop.h"

#include "PointerFeed.h"
#include "ScreenCoordinates.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace {
DesktopScreen describe(const QScreen *screen, double primaryHeight)
{
    return {screen, ScreenCoordinates::flipped(QRectF(screen->geometry()), primaryHeight),
            ScreenCoordinates::flipped(QRectF(screen->availableGeometry()), primaryHeight),
            screen->refreshRate()};
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
    const QPointF qtPoint = ScreenCoordinates::flipped(point, height);
    const auto screens = QGuiApplication::screens();
    for (const QScreen *screen : screens) {
        if (QRectF(screen->geometry()).contains(qtPoint))
            return describe(screen, height);
    }
    if (const QScreen *primary = QGuiApplication::primaryScreen())
        return describe(primary, height);
    return std::nullopt;
}

double QtDesktop::primaryHeight() const
{
    const QScreen *primary = QGuiApplication::primaryScreen();
    return primary ? primary->geometry().height() : 0;
}
