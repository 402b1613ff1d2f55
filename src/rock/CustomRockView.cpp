#include "CustomRockView.h"

#include "CustomRockFace.h"
#include "ImageFit.h"
#include "RockColorLook.h"
#include "Theme.h"

#include <QPainter>

namespace {

// The ink edge is this fraction of the square's side.
constexpr qreal strokeFraction = 0.01640625;

void paintBody(QPainter &painter, const QRectF &square, const CustomRockShape &shape, RockColor color)
{
    QPainterPath path = shape.path(square);
    if (path.isEmpty())
        return;
    path.setFillRule(Qt::WindingFill); // a stroke that crosses itself still fills solid
    QPen pen(Theme::ink, square.width() * strokeFraction, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    pen.setMiterLimit(10);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(path, RockColorLook::body(color));
    painter.strokePath(path, pen);
    painter.restore();
}

} // namespace

void paintCustomRock(QPainter &painter, const QRectF &bounds, const CustomRockShape &shape, RockColor color,
                     bool showsBody, bool showsFace)
{
    const QRectF square = ImageFit::square(bounds);
    if (showsBody)
        paintBody(painter, square, shape, color);
    if (showsFace)
        paintCustomRockFace(painter, square);
}

CustomRockView::CustomRockView(QWidget *parent) : QWidget(parent) {}

void CustomRockView::setShape(const CustomRockShape &shape)
{
    if (shape == m_shape)
        return;
    m_shape = shape;
    update();
}

void CustomRockView::setColor(RockColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void CustomRockView::setShowsBody(bool showsBody)
{
    if (showsBody == m_showsBody)
        return;
    m_showsBody = showsBody;
    update();
}

void CustomRockView::setShowsFace(bool showsFace)
{
    if (showsFace == m_showsFace)
        return;
    m_showsFace = showsFace;
    update();
}

void CustomRockView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintCustomRock(painter, rect(), m_shape, m_color, m_showsBody, m_showsFace);
}
