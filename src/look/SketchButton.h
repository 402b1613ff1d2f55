#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QMarginsF>

#include <optional>

/// A text button drawn in the sketch style: a sketch box behind a centred text, padded by fixed
/// margins. Focus comes by Tab only, so clicking a button leaves the keyboard with the field being
/// typed in. Pressed it fades a little; disabled it fades more.
class SketchButton : public QAbstractButton {
    Q_OBJECT

public:
    /// The look of one kind of button.
    struct Style {
        /// Space between the text and the box's edge.
        QMarginsF padding;
        /// Corner radius; anything beyond half the height makes a capsule.
        qreal corner = 0;
        /// Fill of the box.
        QColor fill;
        /// Width of the ink outline; 0 for none.
        qreal line = 0;
        /// Colour of the text; none takes the palette's window text, as the surroundings set it.
        std::optional<QColor> text;
    };

    /// A button showing `text` in `font`, drawn as `style` says.
    SketchButton(const QString &text, const QFont &font, const Style &style, QWidget *parent = nullptr);

    /// The fill of the box.
    QColor fill() const { return m_style.fill; }
    /// Refills the box.
    void setFill(const QColor &fill);
    /// The colour the text is drawn in now.
    QColor textColor() const;

    /// The label's size plus the padding, rounded up to whole points.
    QSize sizeHint() const override;
    /// Same as the size hint: the text is never cut.
    QSize minimumSizeHint() const override;

protected:
    /// The size of what sits inside the padding: the text's advance and line height.
    virtual QSizeF labelSize() const;
    /// Draws the label centred in `content`, the rectangle inside the padding.
    virtual void paintLabel(QPainter &painter, const QRectF &content) const;

    /// Box, label and, with keyboard focus, a faint ring inside the box.
    void paintEvent(QPaintEvent *event) override;

private:
    Style m_style;
};
