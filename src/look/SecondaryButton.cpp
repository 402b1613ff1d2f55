#include "SecondaryButton.h"

#include "Theme.h"

namespace {

SketchButton::Style secondaryStyle()
{
    SketchButton::Style style;
    style.padding = QMarginsF(14, 12, 14, 12);
    style.corner = 18;
    style.fill = Theme::paper;
    style.line = 1.2;
    style.text = Theme::ink;
    return style;
}

} // namespace

SecondaryButton::SecondaryButton(const QString &text, QWidget *parent)
    : SketchButton(text, Theme::secondaryButton(), secondaryStyle(), parent)
{
}
