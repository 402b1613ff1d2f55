#pragma once

#include "Chevron.h"
#include "SketchButton.h"
#include "Theme.h"

#include <optional>

/// A small outlined chip: text in the chip font on a box with corner 10 and a 1.2 point outline, 8
/// points beside and 5 above and below the text. The text takes the palette's window text colour,
/// so it follows its surroundings; set the chip's palette to change it. A chevron may follow the text.
class Chip : public SketchButton {
    Q_OBJECT

public:
    /// A chip labelled `text` on a box filled with `fill`.
    explicit Chip(const QString &text, const QColor &fill = Theme::paper, QWidget *parent = nullptr);

    /// The chevron after the text, if any.
    std::optional<Chevron::Direction> chevron() const { return m_chevron; }
    /// Puts a chevron `width` points wide 4 points after the text, or removes it (nullopt).
    void setChevron(std::optional<Chevron::Direction> direction, qreal width = 7);

protected:
    /// The text, and the chevron's box with its spacing when there is one.
    QSizeF labelSize() const override;
    /// Text and chevron side by side, centred together.
    void paintLabel(QPainter &painter, const QRectF &content) const override;

private:
    std::optional<Chevron::Direction> m_chevron;
    qreal m_chevronWidth = 7;
};
