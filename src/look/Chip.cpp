#include "Chip.h"

#include "Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace {

/// Between the text and the chevron.
constexpr qreal chevronSpacing = 4;

SketchButton::Style chipStyle(const QColor &fill)
{
    SketchButton::Style style;
    style.padding = QMarginsF(8, 5, 8, 5);
    style.corner = 10;
    style.fill = fill;
    style.line = 1.2;
    return style;
}

} // namespace

Chip::Chip(const QString &text, const QColor &fill, QWidget *parent)
    : SketchButton(text, Theme::chip(), chipStyle(fill), parent)
{
}

void Chip::setChevron(std::optional<Chevron::Direction> direction, qreal width)
{
    if (direction == m_chevron && width == m_chevronWidth)
        return;
    m_chevron = direction;
    m_chevronWidth = width;
    updateGeometry();
    update();
}

QSizeF Chip::labelSize() const
{
    const QSizeF textSize = SketchButton::labelSize();
    if (!m_chevron)
        return textSize;
    const QSizeF box = Chevron::boxSize(m_chevronWidth);
    return {textSize.width() + chevronSpacing + box.width(), std::max(textSize.height(), box.height())};
}

void Chip::paintLabel(QPainter &painter, const QRectF &content) const
{
    if (!m_chevron) {
        SketchButton::paintLabel(painter, content);
        return;
    }
    const QSizeF label = labelSize();
    const qreal textWidth = QFontMetricsF(font()).horizontalAdvance(text());
    const qreal left = content.center().x() - label.width() / 2;
    SketchButton::paintLabel(painter, QRectF(left, content.top(), textWidth, content.height()));
    const QSizeF box = Chevron::boxSize(m_chevronWidth);
    const QPointF chevronAt(left + textWidth + chevronSpacing, content.center().y() - box.height() / 2);
    Chevron::paint(painter, chevronAt, *m_chevron, m_chevronWidth);
}
