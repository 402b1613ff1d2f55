#pragma once

#include <QWidget>

class QPainter;

/// Paints the eyes fitted into `bounds`; they sit where every rock's face is.
void paintCustomRockFace(QPainter &painter, const QRectF &bounds);

/// The eyes of a user-drawn rock. Decoration only: mouse events pass through to what lies below.
class CustomRockFace : public QWidget {
    Q_OBJECT
public:
    explicit CustomRockFace(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
