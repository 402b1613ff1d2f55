#pragma once

#include <QWidget>

class QPainter;

/// Paints the tracing guide: the ready-made rock's outline as a faint soft-ink line, fitted into `bounds`
/// keeping its proportions. Nothing is painted when the outline artwork is missing.
void paintRockOutlineHint(QPainter &painter, const QRectF &bounds);

/// The tracing guide as a view. Decoration only: mouse events pass through to what lies below.
class RockOutlineHint : public QWidget {
    Q_OBJECT
public:
    explicit RockOutlineHint(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
