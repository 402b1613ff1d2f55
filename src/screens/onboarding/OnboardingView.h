#pragma once

#include "CustomRockShape.h"
#include "EaseAnimation.h"
#include "SpringAnimation.h"

#include <QPixmap>
#include <QString>
#include <QWidget>

#include <array>
#include <optional>

class AppState;
class PrimaryButton;
class QLabel;
class QStackedWidget;
class RockDrawingCanvas;

/// The first-run screen: the user draws their own rock, then picks it or the ready-made one to keep.
/// Only what is written into the store outlives the view.
class OnboardingView : public QWidget {
    Q_OBJECT

public:
    /// Which part of the flow is on screen.
    enum class Step { drawing, choose };
    /// The two rocks on offer.
    enum class RockChoice { zezedidIvave, custom };

    /// Starts on drawing with an empty canvas, unless the preview switches prepare another start.
    explicit OnboardingView(AppState *state, QWidget *parent = nullptr);
    ~OnboardingView() override;

    /// The step on screen.
    Step step() const { return m_step; }
    /// The rock that finishing would keep.
    RockChoice selectedRock() const { return m_selectedRock; }
    /// Whether the selected rock rocks back and forth; set once the view has been shown.
    bool wobble() const { return m_wobble; }
    /// The outline the canvas accepted and that is not yet kept or wiped.
    const std::optional<CustomRockShape> &draft() const { return m_draft; }
    /// Whether the canvas shows the tracing guide.
    bool showsOutline() const { return m_showsOutline; }
    /// The line under the canvas.
    const QString &hint() const { return m_hint; }
    /// The title of the drawing step: the one on show, or the one it is fading into.
    QString title() const;

    /// The area that selects `choice` when tapped.
    QWidget *choiceSlot(RockChoice choice) const;
    /// Current scale of the rock in the slot of `choice`: 1.12 selected, 1 not.
    double rockScale(RockChoice choice) const;
    /// Current tilt in degrees of the rock in the slot of `choice`: within ±4 selected, 0 not.
    double rockAngle(RockChoice choice) const;
    /// Current opacity of the rock in the slot of `choice`: 1 selected, 0.5 not.
    double rockOpacity(RockChoice choice) const;

    /// Wipes the draft and starts over without the tracing guide.
    void clearDraft();
    /// Stores the draft as the user's rock and moves on to choosing, with it preselected. Nothing
    /// without a draft.
    void keepDraft();
    /// Back from choosing to an empty canvas; the stored outline stays until a new one is kept.
    void redraw();
    /// Makes `choice` the rock to keep.
    void select(RockChoice choice);
    /// Reopens on choosing when an earlier visit already kept a drawing.
    void resumeDrawnRock();
    /// Writes the choice into the store and ends onboarding for good.
    void finishOnboarding();

protected:
    /// Paints what fades or moves, beneath the widgets: the drawing step's title and the keep/redraw
    /// buttons while they come and go; the two choices, so the grown, tilted rock is never clipped.
    void paintEvent(QPaintEvent *event) override;
    /// The first showing sets the rock wobbling and resumes a kept drawing.
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    /// Taps on the choice slots.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *makeDrawingStep();
    QWidget *makeChooseStep();
    QWidget *makeFooter();
    QWidget *makeDraftButtons();

    /// Takes a draft from the canvas or from this view, updating everything that shows it.
    void applyDraft(std::optional<CustomRockShape> draft);
    void applyHint(const QString &hint);
    void applyShowsOutline(bool shows);
    void applyStep(Step step);
    /// Puts the selection at `choice`; moves the rocks there along `spring`, or at once without one.
    void applySelection(RockChoice choice, std::optional<Spring> spring);
    /// Brings the keep/redraw buttons in while there is a draft, takes them out when there is none.
    void followDraftButtons();
    /// Swaps the buttons' picture for the real buttons once they are fully in, or drops it once out.
    void followDraftButtonsPresence(bool stopped);
    void paintTitle(QPainter &painter) const;
    void paintDraftButtonsPicture(QPainter &painter) const;
    /// Rocks the selected rock only while it can be seen (`shown`); a still screen costs no frames.
    void followWobble(bool shown);
    /// Where the rock of `choice` sits, in this view's coordinates, before scaling and tilt.
    QRectF rockSquare(RockChoice choice) const;
    void paintChoice(QPainter &painter, RockChoice choice) const;
    /// Repaints the area the two rocks of the choice can cover.
    void updateChoices();
    /// How selected the rock of `choice` looks, 0 to 1 (a spring may overshoot a little).
    double selectedness(RockChoice choice) const;

    AppState *m_state;
    Step m_step = Step::drawing;
    RockChoice m_selectedRock = RockChoice::custom;
    bool m_wobble = false;
    std::optional<CustomRockShape> m_draft;
    bool m_showsOutline = true;
    QString m_hint;
    bool m_hasAppeared = false;

    QStackedWidget *m_steps = nullptr;
    // Drawing step.
    RockDrawingCanvas *m_canvas = nullptr;
    QLabel *m_hintLabel = nullptr;
    QWidget *m_titleArea = nullptr; ///< where the title is painted
    QWidget *m_draftRow = nullptr;  ///< always 46 high
    /// The real buttons, present exactly while there is a draft; hidden while they fade in.
    QWidget *m_draftButtons = nullptr;
    /// A picture of the buttons, painted faded while they come or go; null at rest.
    QPixmap m_draftButtonsPicture;
    // Choose step.
    std::array<QWidget *, 2> m_slots{};
    PrimaryButton *m_takeButton = nullptr;

    EaseAnimation<double> m_titleMix;                   ///< 0 shows the empty-canvas title, 1 the other
    SpringAnimation<double> m_draftButtonsPresence;     ///< 0 gone, 1 fully in
    std::array<SpringAnimation<double>, 2> m_selection; ///< 1 for the selected choice, 0 for the other
    EaseAnimation<double> m_wobbleAngle;                ///< the selected rock's tilt, degrees
};
