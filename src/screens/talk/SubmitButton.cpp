#include "SubmitButton.h"

#include "Sketch.h"
#include "Theme.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr Spring presenceSpring{0.3, 0.72};

/// The arrow: a shaft and a head, as wide as a 13-point bold symbol.
void paintArrow(QPainter &painter, const QPointF &centre)
{
    QPen pen(Theme::paper, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    QPainterPath arrow;
    arrow.moveTo(centre + QPointF(0, 5.5));
    arrow.lineTo(centre + QPointF(0, -5.5));
    arrow.moveTo(centre + QPointF(-4.5, -1));
    arrow.lineTo(centre + QPointF(0, -5.5));
    arrow.lineTo(centre + QPointF(4.5, -1));
    painter.drawPath(arrow);
}

} // namespace

SubmitButton::SubmitButton(QWidget *parent) : QAbstractButton(parent), m_presence(0)
{
    setFixedSize(side, side);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(u"속닥이기"_s);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setEnabled(false);
    connect(&m_presence, &Animation::changed, this, [this] { update(); });
}

void SubmitButton::setOffered(bool offered)
{
    if (offered == m_offered)
        return;
    m_offered = offered;
    setAttribute(Qt::WA_TransparentForMouseEvents, !offered);
    setEnabled(offered);
    m_presence.animateTo(offered ? 1.0 : 0.0, presenceSpring);
}

void SubmitButton::paintEvent(QPaintEvent *)
{
    const double presence = m_presence.value();
    if (presence <= 0.001)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(std::clamp(presence, 0.0, 1.0) * (isDown() ? 0.8 : 1.0));
    const QPointF centre = QRectF(rect()).center();
    const double scale = hiddenScale + (1 - hiddenScale) * presence;
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.translate(-centre);
    Sketch::paintBox(painter, Sketch::insideForLine(rect(), 1.5), 14, Theme::ink, 1.5);
    // The mark goes inside the ink box, in paper, as there is no room round it.
    if (hasFocus())
        Sketch::paintFocusRing(painter, rect(), 14, Theme::paper, 3);
    paintArrow(painter, centre);
}
