#pragma once

#include "CustomRockShape.h"
#include "RockChoiceStep.h"
#include "RockDrawingStep.h"

#include <QString>
#include <QWidget>

#include <optional>

class AppState;
class QStackedWidget;

/// The first-run screen: the user draws their own rock, then picks it or the ready-made one to keep.
/// Only what is written into the store outlives the view.
class OnboardingView : public QWidget {
    Q_OBJECT

public:
    /// Which part of the flow is on screen.
    enum class Step { drawing, choose };
    /// The two rocks on offer.
    using RockChoice = RockChoiceStep::RockChoice;

    /// Starts on drawing with an empty canvas, unless the preview switches prepare another start.
    explicit OnboardingView(AppState *state, QWidget *parent = nullptr);
    ~OnboardingView() override;

    /// The step on screen.
    Step step() const { return m_step; }
    /// The rock that finishing would keep.
    RockChoice selectedRock() const { return m_choosing->selectedRock(); }
    /// Whether the selected rock rocks back and forth; set once the view has been shown.
    bool wobble() const { return m_wobble; }
    /// The outline the canvas accepted and that is not yet kept or wiped.
    const std::optional<CustomRockShape> &draft() const { return m_drawing->draft(); }
    /// Whether the canvas shows the tracing guide.
    bool showsOutline() const { return m_drawing->showsOutline(); }
    /// The line under the canvas.
    const QString &hint() const { return m_drawing->hint(); }
    /// The title of the drawing step: the one on show, or the one it is fading into.
    QString title() const { return m_drawing->title(); }

    /// The choosing step: its slots and its rocks as they are drawn now.
    RockChoiceStep *choosing() const { return m_choosing; }

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
    /// The first showing sets the rock wobbling and resumes a kept drawing.
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QWidget *makeDrawingStep();
    QWidget *makeChooseStep();
    QWidget *makeFooter();

    void applyStep(Step step);
    /// Rocks the selected rock only while it can be seen (`shown`) on the choosing step.
    void followWobble(bool shown);

    AppState *m_state;
    Step m_step = Step::drawing;
    bool m_wobble = false;
    bool m_hasAppeared = false;

    QStackedWidget *m_steps = nullptr;
    RockDrawingStep *m_drawing = nullptr;
    RockChoiceStep *m_choosing = nullptr;
};
