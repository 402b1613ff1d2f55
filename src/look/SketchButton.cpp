#include "SketchButton.h"

#include "Sketch.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QtMath>

#include <algorithm>

namespace {

/// How far the pressed and the disabled button fade.
constexpr qreal pressedOpacity = 0.7;
constexpr qreal disabledOpacity = 0.4;
/// The focus ring sits this far inside the box, clear of its outline.
constexpr qreal focusInset = 3;

} // namespace

SketchButton::SketchButton(const QString &text, const QFont &font, const Style &style, QWidget *parent)
    : QAbstractButton(parent), m_style(style)
{
    setText(text);
    setFont(font);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SketchButton::setFill(const QColor &fill)
{
    if (fill == m_style.fill)
        return;
    m_style.fill = fill;
    update();
}

QColor SketchButton::textColor() const
{
    return m_style.text.value_or(palette().color(QPalette::WindowText));
}

QSizeF SketchButton::labelSize() const
{
    const QFontMetricsF metrics(font());
    return {metrics.horizontalAdvance(text()), metrics.height()};
}

void SketchButton::paintLabel(QPainter &painter, const QRectF &content) const
{
    painter.setPen(textColor());
    painter.setFont(font());
    painter.drawText(content, Qt::AlignCenter | Qt::TextSingleLine, text());
}

QSize SketchButton::sizeHint() const
{
    const QSizeF label = labelSize();
    const QMarginsF &padding = m_style.padding;
    return {qCeil(label.width() + padding.left() + padding.right()),
            qCeil(label.height() + padding.top() + padding.bottom())};
}

QSize SketchButton::minimumSizeHint() const
{
    return sizeHint();
}

void SketchButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(disabledOpacity);
    else if (isDown())
        painter.setOpacity(pressedOpacity);

    const QRectF bounds = rect();
    Sketch::paintBox(painter, Sketch::insideForLine(bounds, m_style.line), m_style.corner, m_style.fill,
                     m_style.line);
    paintLabel(painter, bounds.marginsRemoved(m_style.padding));

    if (!hasFocus())
        return;
    // A word without a box is underlined; a ring inside it would run through the letters.
    const bool boxless = m_style.line <= 0 && m_style.fill.alpha() == 0;
    if (boxless) {
        const QSizeF label = labelSize();
        const QRectF text(bounds.center() - QPointF(label.width() / 2, label.height() / 2), label);
        Sketch::paintFocusUnderline(painter, text, textColor());
    } else {
        Sketch::paintFocusRing(painter, bounds, m_style.corner, textColor(), focusInset);
    }
}
