#pragma once

#include "RockAppearance.h"

#include <QRectF>
#include <QTransform>
#include <QWidget>

class QPainter;

/// Mirror and tilt of one stone about the centre of its square: mirrored when `vary` is on and `seed`
/// is below 0.5, then turned clockwise by (seed - 0.5) x 14 degrees; the identity when `vary` is off.
QTransform rockTransform(const QRectF &square, double seed, bool vary);

/// Paints a whole rock (body, eyes, mouth) into `square`, mirrored and tilted by `seed` when `vary` is
/// on. Leaves the painter's state as it found it.
void paintRock(QPainter &painter, const QRectF &square, const RockAppearance &appearance, double seed,
               bool vary, bool showsFace);

/// A rock as most screens show it: the character artwork or a drawn outline, with its mouth, in a
/// `rockSize` square centred in the widget (the largest square that fits when `rockSize` is 0).
class RockImage : public QWidget {
    Q_OBJECT
public:
    explicit RockImage(QWidget *parent = nullptr);

    /// Side of the rock's square in points; 0 fills the largest square that fits.
    double rockSize() const { return m_rockSize; }
    void setRockSize(double size);
    /// What the rock looks like.
    const RockAppearance &appearance() const { return m_appearance; }
    void setAppearance(const RockAppearance &appearance);
    /// 0..1, picks this stone's mirror and tilt when `vary` is on.
    double seed() const { return m_seed; }
    void setSeed(double seed);
    /// Whether the seed applies.
    bool vary() const { return m_vary; }
    void setVary(bool vary);
    /// Whether eyes and mouth are drawn.
    bool showsFace() const { return m_showsFace; }
    void setShowsFace(bool showsFace);

    /// The rock's square when set, else the default.
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double m_rockSize = 0;
    RockAppearance m_appearance;
    double m_seed = 0.5;
    bool m_vary = false;
    bool m_showsFace = true;
};
