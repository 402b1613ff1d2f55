#pragma once

#include "CustomRockShape.h"
#include "RockColor.h"

#include <QWidget>

class QPainter;

/// Paints a drawn outline as a filled body with an ink edge, and the eyes over it, in the largest
/// square centred in `bounds`. A shape of fewer than 3 points has no body, but still gets eyes.
void paintCustomRock(QPainter &painter, const QRectF &bounds, const CustomRockShape &shape, RockColor color,
                     bool showsBody, bool showsFace);

/// A user-drawn rock: its outline filled in the rock colour and edged in ink, with the eyes on top.
class CustomRockView : public QWidget {
    Q_OBJECT
public:
    explicit CustomRockView(QWidget *parent = nullptr);

    /// The outline, in unit coordinates of the square.
    const CustomRockShape &shape() const { return m_shape; }
    void setShape(const CustomRockShape &shape);
    /// The body's fill colour.
    RockColor color() const { return m_color; }
    void setColor(RockColor color);
    /// Whether the filled, edged body is drawn.
    bool showsBody() const { return m_showsBody; }
    void setShowsBody(bool showsBody);
    /// Whether the eyes are drawn.
    bool showsFace() const { return m_showsFace; }
    void setShowsFace(bool showsFace);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    CustomRockShape m_shape;
    RockColor m_color = RockColor::original;
    bool m_showsBody = true;
    bool m_showsFace = true;
};
