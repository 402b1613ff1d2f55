#pragma once

#include <QGraphicsOpacityEffect>

/// Draws a widget and its children at an opacity, also when the painter is scaled, as in the panel
/// drawn shrunk on a short screen: there Qt's own opacity effect grabs the widget at its scaled size
/// but unscaled, and clips it to its unscaled place, cutting it off. Scaled, this one draws the whole
/// widget (what holds it repaints its whole view each time); unscaled it is Qt's.
class FadeEffect : public QGraphicsOpacityEffect {
public:
    using QGraphicsOpacityEffect::QGraphicsOpacityEffect;

protected:
    void draw(QPainter *painter) override;
};
