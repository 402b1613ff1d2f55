#pragma once

#include "DrawingStroke.h"

#include <QList>
#include <QWidget>

/// The pad a wish is drawn on. It records exactly what the pointer did, in its own coordinates: no
/// clamping to the pad and no distance filter. After every finished drag the list ends with an empty
/// stroke, which the next drag fills; an empty list means nothing was drawn yet.
class DrawingWishCanvas : public QWidget {
    Q_OBJECT

public:
    explicit DrawingWishCanvas(QWidget *parent = nullptr);

    /// The strokes drawn so far.
    const QList<DrawingStroke> &strokes() const { return m_strokes; }
    /// Replaces them (the caller's copy of the list, as when it clears the pad).
    void setStrokes(const QList<DrawingStroke> &strokes);

signals:
    /// The list changed, by the user or by `setStrokes`.
    void strokesChanged(const QList<DrawingStroke> &strokes);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    /// Adds the pointer's place to the stroke being drawn (the first stroke when there is none).
    void record(QPointF point);

    QList<DrawingStroke> m_strokes;
    bool m_dragging = false;
};
