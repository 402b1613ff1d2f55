#include "ShellRockSurface.h"

#include "IdleRockRoll.h"
#include "ShellRockLink.h"

ShellRockSurface::ShellRockSurface(std::shared_ptr<ShellRockLink> link, AppState *state,
                                   const IdleRockMetrics *metrics, const IdleRockRoll *roll, QObject *parent)
    : QObject(parent), m_link(std::move(link)), m_roll(roll),
      m_picture(state, metrics, roll, [link = m_link.get()] { return qreal(link->scale()); }, this,
                IdleRockPicture::Angle::leftToSurface)
{
    connect(&m_picture, &IdleRockPicture::changed, this, &ShellRockSurface::followPicture);
    connect(m_roll, &IdleRockRoll::degreesChanged, this, &ShellRockSurface::placeLater);
    connect(m_link.get(), &ShellRockLink::rejoined, this, &ShellRockSurface::followRejoin);
}

void ShellRockSurface::setFrame(const QRect &frame)
{
    m_frame = frame;
    placeLater();
}

void ShellRockSurface::show()
{
    if (m_shown)
        return;
    m_shown = true;
    m_sent.reset();
    if (!m_pictureSent)
        followPicture();
    placeLater();
}

void ShellRockSurface::hide()
{
    if (!m_shown)
        return;
    m_shown = false;
    m_link->hide();
}

void ShellRockSurface::placeLater()
{
    if (m_placePending || !m_shown)
        return;
    m_placePending = true;
    QMetaObject::invokeMethod(this, &ShellRockSurface::applyPlacement, Qt::QueuedConnection);
}

void ShellRockSurface::applyPlacement()
{
    m_placePending = false;
    const Placement placement{m_frame.topLeft(), m_roll->degrees()};
    if (!m_shown || placement == m_sent)
        return;
    m_link->place(placement.topLeft, placement.degrees);
    m_sent = placement;
}

void ShellRockSurface::followRejoin()
{
    m_pictureSent = false;
    m_sent.reset();
    m_picture.refresh(); // at the scale the shell answered with now
    if (m_shown && !m_pictureSent)
        followPicture();
    placeLater();
}

void ShellRockSurface::followPicture()
{
    m_pictureSent = m_shown;
    if (m_shown)
        m_link->setPicture(m_picture.image());
}
