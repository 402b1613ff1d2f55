#include "IdleRockView.h"

#include "AppState.h"
#include "IdleRockMetrics.h"
#include "IdleRockRoll.h"
#include "RockImage.h"

#include <QBitmap>
#include <QPainter>
#include <QRegion>

namespace {
// The idle rock is drawn as one particular stone: upright, unmirrored, with its face.
constexpr double stoneSeed = 0.5;
} // namespace

IdleRockView::IdleRockView(AppState *state, const IdleRockMetrics *metrics, const IdleRockRoll *roll)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus |
                           Qt::X11BypassWindowManagerHint),
      m_state(state), m_metrics(metrics), m_roll(roll)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(QStringLiteral("Kivvo rock"));
    resize(m_metrics->panelSize().toSize());

    connect(m_roll, &IdleRockRoll::degreesChanged, this, &IdleRockView::followLook);
    connect(m_metrics, &IdleRockMetrics::panelSizeChanged, this, &IdleRockView::followLook);
    connect(m_metrics, &IdleRockMetrics::rockSizeChanged, this, &IdleRockView::followLook);
    connect(m_state, &AppState::willChange, this, &IdleRockView::followLookLater);
    followLook();
}

void IdleRockView::setUsesShapeMask(bool uses)
{
    if (uses == m_usesShapeMask)
        return;
    m_usesShapeMask = uses;
    applyMask();
}

IdleRockView::Look IdleRockView::currentLook() const
{
    return {m_state->appearance(), m_roll->degrees(), m_metrics->rockSize(), m_metrics->panelSize(),
            devicePixelRatioF()};
}

void IdleRockView::followLookLater()
{
    if (m_lookPending)
        return;
    m_lookPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_lookPending = false;
            followLook();
        },
        Qt::QueuedConnection);
}

void IdleRockView::followLook()
{
    const Look look = currentLook();
    if (look == m_look && !m_picture.isNull())
        return;
    m_look = look;
    const QSize pixels = (look.panelSize * look.pixelRatio).toSize();
    m_picture = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    m_picture.setDevicePixelRatio(look.pixelRatio);
    m_picture.fill(Qt::transparent);
    QPainter painter(&m_picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPointF centre(look.panelSize.width() / 2, look.panelSize.height() / 2);
    painter.translate(centre);
    painter.rotate(look.degrees); // positive turns clockwise on screen
    const double half = look.rockSize / 2;
    paintRock(painter, QRectF(-half, -half, look.rockSize, look.rockSize), look.appearance, stoneSeed,
              false, true);
    painter.end();
    ++m_pictureCount;
    applyMask();
    update();
}

void IdleRockView::applyMask()
{
    if (!m_usesShapeMask) {
        clearMask();
        return;
    }
    // The mask is in points; the picture may have more pixels than that.
    const QImage alpha = m_picture.createAlphaMask().scaled(m_look.panelSize.toSize());
    setMask(QRegion(QBitmap::fromImage(alpha)));
}

void IdleRockView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPointF(0, 0), m_picture);
}
