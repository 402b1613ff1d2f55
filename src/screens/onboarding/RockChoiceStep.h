#pragma once

#include "EaseAnimation.h"
#include "SpringAnimation.h"

#include <QWidget>

#include <array>
#include <optional>

class AppState;
class PrimaryButton;
class QAbstractButton;

/// The first run's second step: the ready-made rock and the one the user drew side by side, each in
/// a slot that takes taps; the chosen one is grown, opaque and rocks. Under them the button that
/// takes the chosen rock home. What the buttons do is the onboarding's.
class RockChoiceStep : public QWidget {
    Q_OBJECT

public:
    /// The two rocks on offer.
    enum class RockChoice { zezedidIvave, custom };

    /// The drawn rock's slot shows what `state` holds now; the drawn rock starts chosen.
    explicit RockChoiceStep(AppState *state, QWidget *parent = nullptr);

    /// The rock that finishing would keep.
    RockChoice selectedRock() const { return m_selectedRock; }
    /// The area that selects `choice` when tapped.
    QAbstractButton *choiceSlot(RockChoice choice) const;
    /// Current scale of the rock in the slot of `choice`: 1.12 selected, 1 not.
    double rockScale(RockChoice choice) const;
    /// Current tilt in degrees of the rock in the slot of `choice`: within ±4 selected, 0 not.
    double rockAngle(RockChoice choice) const;
    /// Current opacity of the rock in the slot of `choice`: 1 selected, 0.5 not.
    double rockOpacity(RockChoice choice) const;

    /// Makes `choice` the rock to keep, the rocks moving there with a spring.
    void select(RockChoice choice);
    /// Makes `choice` the rock to keep at once, as a step that opens with it chosen.
    void preselect(RockChoice choice);
    /// Rocks the selected rock only while `moving`; a still screen costs no frames.
    void setWobbling(bool moving);

signals:
    /// "다시 그리기" under the drawn rock was pressed.
    void redrawPressed();
    /// The button under the rocks was pressed.
    void takePressed();

protected:
    /// Paints the two rocks beneath the slots, so the grown, tilted rock is never clipped.
    void paintEvent(QPaintEvent *event) override;

private:
    /// Puts the selection at `choice`; moves the rocks there along `spring`, or at once without one.
    void applySelection(RockChoice choice, std::optional<Spring> spring);
    /// Where the rock of `choice` sits, in this step's coordinates, before scaling and tilt.
    QRectF rockSquare(RockChoice choice) const;
    void paintChoice(QPainter &painter, RockChoice choice) const;
    /// Repaints the area the two rocks can cover.
    void updateChoices();
    /// How selected the rock of `choice` looks, 0 to 1 (a spring may overshoot a little).
    double selectedness(RockChoice choice) const;

    AppState *m_state;
    RockChoice m_selectedRock = RockChoice::custom;
    std::array<QAbstractButton *, 2> m_slots{};
    PrimaryButton *m_takeButton = nullptr;
    std::array<SpringAnimation<double>, 2> m_selection; ///< 1 for the selected choice, 0 for the other
    EaseAnimation<double> m_wobbleAngle;                ///< the selected rock's tilt, degrees
};
