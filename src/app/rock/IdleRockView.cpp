#include "IdleRockView.h"

#include "AccessibleRole.h"
#include "IdleRockMetrics.h"
#include "X11Support.h"

#include <QAccessibleWidget>
#include <QBitmap>
#include <QPainter>
#include <QRegion>

namespace {

/// The rock is decoration beside the pointer: assistive technology is told it is not there, and it
/// carries no name to read.
class HiddenRockAccessible : public QAccessibleWidget {
public:
    explicit HiddenRockAccessible(QWidget *rock) : QAccessibleWidget(rock, QAccessible::NoRole) {}

    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = true;
        return state;
    }
    QString text(QAccessible::Text) const override { return {}; }
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QStringList actionNames() const override { return {}; }
};

} // namespace

IdleRockView::IdleRockView(AppState *state, const IdleRockMetrics *metrics, const IdleRockRoll *roll)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus |
                           Qt::X11BypassWindowManagerHint),
      m_picture(state, metrics, roll, [this] { return devicePixelRatioF(); })
{
    AccessibleRole::readAs<IdleRockView, HiddenRockAccessible>();
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(QStringLiteral("Kivvo rock"));
    resize(metrics->panelSize().toSize());
    connect(&m_picture, &IdleRockPicture::changed, this, &IdleRockView::followPicture);
}

void IdleRockView::show()
{
    if (QWidget::isVisible())
        return;
    // Without a compositor a translucent window is a black square: cut it to the rock.
    setUsesShapeMask(!hasCompositor());
    QWidget::show();
    QWidget::raise();
}

void IdleRockView::setUsesShapeMask(bool uses)
{
    if (uses == m_usesShapeMask)
        return;
    m_usesShapeMask = uses;
    applyMask();
}

void IdleRockView::followPicture()
{
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
    const QImage alpha = m_picture.image().createAlphaMask().scaled(m_picture.panelSize().toSize());
    setMask(QRegion(QBitmap::fromImage(alpha)));
}

void IdleRockView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPointF(0, 0), m_picture.image());
}
