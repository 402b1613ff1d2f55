#pragma once

#include "RockAppearance.h"
#include "SpringAnimation.h"

#include <QAbstractButton>

#include <optional>

/// One of the customize screen's two rock cards: a paper card with the rock in it, outlined darker
/// and the rock grown and solid while selected, lighter and the rock small and faded otherwise. The
/// selected state springs; a tap anywhere on the card selects it. A card without a rock is an empty
/// slot of the same size that takes no taps.
class RockCard : public QAbstractButton {
    Q_OBJECT

public:
    /// The rock's scale and opacity, selected and not.
    static constexpr double selectedScale = 1.06;
    static constexpr double idleScale = 0.94;
    static constexpr double idleOpacity = 0.55;

    /// A card read out as `label`.
    explicit RockCard(const QString &label, QWidget *parent = nullptr);

    /// The rock it shows, or none for an empty slot.
    const std::optional<RockAppearance> &rock() const { return m_rock; }
    void setRock(std::optional<RockAppearance> rock);
    /// Springs to selected or not.
    void setSelected(bool selected);
    bool isSelected() const { return isChecked(); }
    /// How selected it looks now: 0 not, 1 fully.
    double selectedness() const { return m_selectedness.value(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    /// A tap selects; it never unselects.
    void nextCheckState() override {}

private:
    std::optional<RockAppearance> m_rock;
    SpringAnimation<double> m_selectedness;
};
