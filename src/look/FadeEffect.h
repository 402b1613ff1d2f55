#pragma once

#include <QGraphicsOpacityEffect>

/// Draws a widget and its children at an opacity, also when the painter is scaled, as in the panel
/// drawn shrunk on a short screen: there Qt's own opacity effect grabs the widget at its scaled size
/// but unscaled, and clips it to its unscaled place, cutting it off. Scaled, this one draws the whole
/// widget (what holds it repaints its whole view each time); unscaled it is Qt's. It is how every
/// screen fades a widget: the widget stays real (it takes clicks once whole, and shows in pictures of
/// the screen) rather than a painted copy of it.
class FadeEffect : public QGraphicsOpacityEffect {
public:
    using QGraphicsOpacityEffect::QGraphicsOpacityEffect;

    /// Shows `widget` at `presence`, 0 hidden to 1 whole, through a fade effect given to it on first
    /// use; the effect is off while the widget is whole, which then draws as it is.
    static void show(QWidget *widget, double presence);

protected:
    void draw(QPainter *painter) override;
};
