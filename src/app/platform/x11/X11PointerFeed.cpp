#include "X11PointerFeed.h"

#include "X11Support.h"

X11PointerFeed::X11PointerFeed(std::shared_ptr<const Desktop> desktop, QObject *parent)
    : PointerFeed(parent), m_desktop(std::move(desktop)), m_motion(PointerMotion::create(this))
{
    if (m_motion)
        connect(m_motion, &PointerMotion::moved, this, &PointerFeed::moved);
}

X11PointerFeed::~X11PointerFeed() = default;

QPointF X11PointerFeed::position() const
{
    return m_desktop->pointer();
}

void X11PointerFeed::setListening(bool listening)
{
    if (m_motion)
        m_motion->setListening(listening);
}
