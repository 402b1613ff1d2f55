#include "DrawingWishCanvas.h"

#include "DrawingWishRenderer.h"

#include <QMouseEvent>
#include <QPainter>

DrawingWishCanvas::DrawingWishCanvas(QWidget *parent) : QWidget(parent)
{
    setCursor(Qt::CrossCursor);
}

void DrawingWishCanvas::setStrokes(const QList<DrawingStroke> &strokes)
{
    if (strokes == m_strokes)
        return;
    m_strokes = strokes;
    update();
    emit strokesChanged(m_strokes);
}

void DrawingWishCanvas::record(QPointF point)
{
    if (m_strokes.isEmpty())
        m_strokes.append(DrawingStroke{});
    m_strokes.last().points.append({point.x(), point.y()});
    update();
    emit strokesChanged(m_strokes);
}

void DrawingWishCanvas::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // A drag counts from the first touch, so a click leaves a (one-point, invisible) stroke too.
    m_dragging = true;
    record(event->position());
}

void DrawingWishCanvas::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging)
        record(event->position());
}

void DrawingWishCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    m_strokes.append(DrawingStroke{}); // the next drag's stroke
    emit strokesChanged(m_strokes);
}

void DrawingWishCanvas::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintDrawingWish(painter, rect(), m_strokes, false);
}
