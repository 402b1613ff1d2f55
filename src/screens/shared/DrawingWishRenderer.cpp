#include "DrawingWishRenderer.h"

#include "Theme.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {
// Lines look this wide on screen at every scale; the box around a drawing leaves half of it spare.
constexpr double lineWidth = 1.4;
constexpr double boxMargin = 1.4;
constexpr double miterLimit = 10;

/// The smallest rectangle holding every point; nothing without points. Built from the extremes, since
/// uniting empty rectangles (one per point) keeps only the last.
std::optional<QRectF> boundsOf(const QList<DrawingStroke> &strokes)
{
    bool any = false;
    double left = 0, top = 0, right = 0, bottom = 0;
    for (const DrawingStroke &stroke : strokes) {
        for (const DrawingPoint &p : stroke.points) {
            left = any ? std::min(left, p.x) : p.x;
            right = any ? std::max(right, p.x) : p.x;
            top = any ? std::min(top, p.y) : p.y;
            bottom = any ? std::max(bottom, p.y) : p.y;
            any = true;
        }
    }
    if (!any)
        return std::nullopt;
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}
} // namespace

std::optional<QTransform> fitTransform(const QList<DrawingStroke> &strokes, const QSizeF &available)
{
    const std::optional<QRectF> bounds = boundsOf(strokes);
    if (!bounds || !(available.width() > 0) || !(available.height() > 0))
        return std::nullopt;
    const QRectF box = bounds->adjusted(-boxMargin, -boxMargin, boxMargin, boxMargin);
    if (!(box.width() > 0) || !(box.height() > 0))
        return std::nullopt;
    const double s = std::min({available.width() / box.width(), available.height() / box.height(), 1.0});
    const double tx = (available.width() - box.width() * s) / 2 - box.left() * s;
    const double ty = (available.height() - box.height() * s) / 2 - box.top() * s;
    return QTransform(s, 0, 0, s, tx, ty);
}

void paintDrawingWish(QPainter &painter, const QRectF &rect, const QList<DrawingStroke> &strokes, bool fitted)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.topLeft());
    double k = 1;
    if (fitted) {
        if (const std::optional<QTransform> fit = fitTransform(strokes, rect.size())) {
            painter.setTransform(*fit, true);
            k = fit->m11();
        }
    }
    QPen pen(Theme::ink, lineWidth / k, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    pen.setMiterLimit(miterLimit);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    for (const DrawingStroke &stroke : strokes) {
        if (stroke.points.size() < 2)
            continue; // a lone start point draws nothing
        QPainterPath path(QPointF(stroke.points.first().x, stroke.points.first().y));
        for (qsizetype i = 1; i < stroke.points.size(); ++i)
            path.lineTo(stroke.points[i].x, stroke.points[i].y);
        painter.drawPath(path);
    }
    painter.restore();
}

DrawingWishRenderer::DrawingWishRenderer(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void DrawingWishRenderer::setStrokes(const QList<DrawingStroke> &strokes)
{
    if (strokes == m_strokes)
        return;
    m_strokes = strokes;
    update();
}

void DrawingWishRenderer::setFitted(bool fitted)
{
    if (fitted == m_fitted)
        return;
    m_fitted = fitted;
    update();
}

void DrawingWishRenderer::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintDrawingWish(painter, rect(), m_strokes, m_fitted);
}
