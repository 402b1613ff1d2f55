#pragma once

#include "RockColor.h"
#include "RockExpression.h"

#include <QWidget>

class QPainter;

/// Paints the expression's mouth fitted into `bounds` (white with a black edge on a black rock);
/// nothing for `none` or missing artwork.
void paintRockMouth(QPainter &painter, const QRectF &bounds, RockExpression expression, RockColor color);

/// The mouth laid over any rock. Decoration only: mouse events pass through to what lies below.
class RockMouth : public QWidget {
    Q_OBJECT
public:
    explicit RockMouth(QWidget *parent = nullptr);

    /// Which mouth; `none` draws nothing.
    RockExpression expression() const { return m_expression; }
    void setExpression(RockExpression expression);
    /// The colour of the rock underneath, which decides the mouth's own colours.
    RockColor color() const { return m_color; }
    void setColor(RockColor color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    RockExpression m_expression = RockExpression::none;
    RockColor m_color = RockColor::original;
};
