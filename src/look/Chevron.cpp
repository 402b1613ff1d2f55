#include "Chevron.h"

#include "Theme.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

Chevron::Chevron(Direction direction, qreal width, QWidget *parent)
    : QWidget(parent), m_direction(direction), m_width(width)
{
    // Vertically it may take the height of its row: a turned V is taller than its box and would
    // otherwise be cut off. Layouts still reserve only the box.
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSizeF Chevron::boxSize(qreal width)
{
    return {width, width * 5 / 9};
}

void Chevron::paint(QPainter &painter, const QPointF &topLeft, Direction direction, qreal width)
{
    const QSizeF box = boxSize(width);
    QPainterPath v;
    v.moveTo(0, 0);
    v.lineTo(box.width() / 2, box.height());
    v.lineTo(box.width(), 0);

    qreal degrees = 0; // clockwise on screen, y grows downwards
    if (direction == Direction::up)
        degrees = 180;
    else if (direction == Direction::left)
        degrees = 90;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(topLeft + QPointF(box.width() / 2, box.height() / 2));
    painter.rotate(degrees);
    painter.translate(-box.width() / 2, -box.height() / 2);
    painter.strokePath(v, QPen(Theme::inkSoft, width * 1.6 / 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.restore();
}

void Chevron::setDirection(Direction direction)
{
    if (direction == m_direction)
        return;
    m_direction = direction;
    update();
}

QSize Chevron::sizeHint() const
{
    const QSizeF box = boxSize(m_width);
    // A hair of tolerance so an exact 5.0 that came out as 5.0000001 does not round up to 6.
    return {qCeil(box.width() - 1e-6), qCeil(box.height() - 1e-6)};
}

QSize Chevron::minimumSizeHint() const
{
    return sizeHint();
}

void Chevron::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QSizeF box = boxSize(m_width);
    const QPointF topLeft((width() - box.width()) / 2, (height() - box.height()) / 2);
    paint(painter, topLeft, m_direction, m_width);
}
