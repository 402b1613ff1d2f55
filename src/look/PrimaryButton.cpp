#include "PrimaryButton.h"

#include "Theme.h"

#include <limits>

namespace {

SketchButton::Style primaryStyle()
{
    SketchButton::Style style;
    style.padding = QMarginsF(0, 14, 0, 14);
    // Clamped to half the height, so always a capsule.
    style.corner = std::numeric_limits<qreal>::max();
    style.fill = Theme::ink;
    style.line = 0;
    style.text = Theme::paper;
    return style;
}

} // namespace

PrimaryButton::PrimaryButton(const QString &text, QWidget *parent)
    : SketchButton(text, Theme::primaryButton(), primaryStyle(), parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}
