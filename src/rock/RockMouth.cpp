#include "RockMouth.h"

#include "ImageFit.h"
#include "RockAsset.h"

#include <QPainter>

void paintRockMouth(QPainter &painter, const QRectF &bounds, RockExpression expression, RockColor color)
{
    if (const std::optional<QImage> mouth = RockAsset::mouthImage(expression, color))
        ImageFit::draw(painter, *mouth, bounds);
}

RockMouth::RockMouth(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void RockMouth::setExpression(RockExpression expression)
{
    if (expression == m_expression)
        return;
    m_expression = expression;
    update();
}

void RockMouth::setColor(RockColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void RockMouth::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintRockMouth(painter, rect(), m_expression, m_color);
}
