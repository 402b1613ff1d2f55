#include "IdleRockPicture.h"

#include "AppState.h"
#include "IdleRockMetrics.h"
#include "IdleRockRoll.h"
#include "RockImage.h"

#include <QPainter>

namespace {
// The idle rock is drawn as one particular stone: upright, unmirrored, with its face.
constexpr double stoneSeed = 0.5;
} // namespace

IdleRockPicture::IdleRockPicture(AppState *state, const IdleRockMetrics *metrics, const IdleRockRoll *roll,
                                 std::function<qreal()> pixelRatio, QObject *parent, Angle angle)
    : QObject(parent), m_state(state), m_metrics(metrics), m_roll(roll), m_pixelRatio(std::move(pixelRatio)),
      m_angle(angle)
{
    if (m_angle == Angle::drawn)
        connect(m_roll, &IdleRockRoll::degreesChanged, this, &IdleRockPicture::refresh);
    connect(m_metrics, &IdleRockMetrics::panelSizeChanged, this, &IdleRockPicture::refresh);
    connect(m_metrics, &IdleRockMetrics::rockSizeChanged, this, &IdleRockPicture::refresh);
    connect(m_state, &AppState::willChange, this, &IdleRockPicture::refreshLater);
    refresh();
}

IdleRockPicture::Look IdleRockPicture::currentLook() const
{
    return {m_state->appearance(), m_angle == Angle::drawn ? m_roll->degrees() : 0, m_metrics->rockSize(),
            m_metrics->panelSize(),
            m_pixelRatio()};
}

void IdleRockPicture::refreshLater()
{
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_refreshPending = false;
            refresh();
        },
        Qt::QueuedConnection);
}

void IdleRockPicture::refresh()
{
    const Look look = currentLook();
    if (look == m_look && !m_image.isNull())
        return;
    m_look = look;
    m_image = drawn(m_look, m_look.degrees, m_look.pixelRatio);
    ++m_count;
    emit changed();
}

QImage IdleRockPicture::uprightAt(qreal pixelRatio) const
{
    return drawn(m_look, 0, pixelRatio);
}

QImage IdleRockPicture::drawn(const Look &look, double degrees, qreal pixelRatio)
{
    const QSize pixels = (look.panelSize * pixelRatio).toSize();
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(look.panelSize.width() / 2, look.panelSize.height() / 2);
    painter.rotate(degrees); // positive turns clockwise on screen
    const double half = look.rockSize / 2;
    paintRock(painter, QRectF(-half, -half, look.rockSize, look.rockSize), look.appearance, stoneSeed, false, true);
    return image;
}
