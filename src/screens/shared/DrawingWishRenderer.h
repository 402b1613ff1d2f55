#pragma once

#include "DrawingStroke.h"

#include <QList>
#include <QRectF>
#include <QTransform>
#include <QWidget>

#include <optional>

class QPainter;

/// The transform that shrinks a drawing into a W x H box and centres it: the box around every point,
/// grown by 1.4 on each side, is scaled down to fit (never up) and centred. Nothing without points
/// or without room.
std::optional<QTransform> fitTransform(const QList<DrawingStroke> &strokes, const QSizeF &available);

/// Draws the strokes into `rect`, each as its own path in ink, 1.4 points wide on screen however the
/// drawing is scaled; shrunk and centred when `fitted`, else at the recorded coordinates. A stroke
/// of one point draws nothing. Leaves the painter's state as it found it.
void paintDrawingWish(QPainter &painter, const QRectF &rect, const QList<DrawingStroke> &strokes,
                      bool fitted);

/// A drawn wish, as the tower's card and the composer show it.
class DrawingWishRenderer : public QWidget {
    Q_OBJECT

public:
    explicit DrawingWishRenderer(QWidget *parent = nullptr);

    /// What is drawn.
    const QList<DrawingStroke> &strokes() const { return m_strokes; }
    void setStrokes(const QList<DrawingStroke> &strokes);
    /// Whether the drawing is shrunk and centred into the widget.
    bool fitted() const { return m_fitted; }
    void setFitted(bool fitted);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<DrawingStroke> m_strokes;
    bool m_fitted = false;
};
