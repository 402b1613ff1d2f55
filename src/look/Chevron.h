#pragma once

#include <QPointF>
#include <QSizeF>
#include <QWidget>

class QPainter;

/// The thin V-shaped arrow. Its layout box is `width` by `width` x 5 / 9 whichever way it points; a
/// turned drawing may reach outside that box.
class Chevron : public QWidget {
    Q_OBJECT

public:
    /// Where the tip of the V points.
    enum class Direction { down, up, left };

    /// A chevron pointing `direction`, `width` points wide.
    explicit Chevron(Direction direction = Direction::down, qreal width = 9, QWidget *parent = nullptr);

    /// The layout box of a chevron `width` wide: 9 by 5 for width 9.
    static QSizeF boxSize(qreal width);
    /// Strokes the chevron in `Theme::inkSoft` in the layout box whose top-left corner is `topLeft`.
    static void paint(QPainter &painter, const QPointF &topLeft, Direction direction, qreal width);

    /// Where the tip points.
    Direction direction() const { return m_direction; }
    /// Points the tip elsewhere; the size stays.
    void setDirection(Direction direction);
    /// The width of the V in points.
    qreal chevronWidth() const { return m_width; }

    /// The layout box rounded up to whole points; the same for every direction.
    QSize sizeHint() const override;
    /// Same as the size hint: the chevron does not shrink.
    QSize minimumSizeHint() const override;

protected:
    /// Paints the chevron centred in the widget.
    void paintEvent(QPaintEvent *event) override;

private:
    Direction m_direction;
    qreal m_width;
};
