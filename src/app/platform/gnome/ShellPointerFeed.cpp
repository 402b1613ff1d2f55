#include "ShellPointerFeed.h"

#include "ScreenCoordinates.h"
#include "ShellRockLink.h"

ShellPointerFeed::ShellPointerFeed(std::shared_ptr<ShellRockLink> link, std::function<double()> primaryHeight)
    : m_link(std::move(link)), m_primaryHeight(std::move(primaryHeight))
{
    auto report = [this] {
        if (m_listening)
            emit moved();
    };
    connect(m_link.get(), &ShellRockLink::moved, this, report);
    connect(m_link.get(), &ShellRockLink::rejoined, this, report); // with the pointer as it is now
}

QPointF ShellPointerFeed::position() const
{
    return ScreenCoordinates::flipped(QPointF(m_link->pointer()), m_primaryHeight());
}
