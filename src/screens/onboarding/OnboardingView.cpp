#include "OnboardingView.h"

#include "Footer.h"

#include "AppState.h"
#include "ClickGuard.h"
#include "PreviewSwitches.h"
#include "ScreenFocus.h"

#include <QStackedWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString traceHint = u"선을 따라 그려봐."_s;
const QString aroundFaceHint = u"표정 둘레를 한 바퀴 그려줘."_s;
/// What the canvas says after accepting a stroke; a prepared drawing starts with the same words.
const QString likeItHint = u"마음에 들어?"_s;

constexpr double sidePadding = 24;

} // namespace

OnboardingView::OnboardingView(AppState *state, QWidget *parent)
    : QWidget(parent), m_state(state)
{
    // Holds the keyboard focus itself when the panel opens, rather than handing it (and a focus
    // ring) to whichever button comes first; Tab still reaches every button.
    setFocusPolicy(Qt::ClickFocus);
    setFocus();

    m_steps = new QStackedWidget(this);
    m_steps->addWidget(makeDrawingStep());
    m_steps->addWidget(makeChooseStep());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_steps, 1);
    layout->addWidget(makeFooter());
}

OnboardingView::~OnboardingView() = default;

QWidget *OnboardingView::makeDrawingStep()
{
    auto *page = new QWidget;
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(sidePadding, 0, sidePadding, 0);
    column->setSpacing(0);
    m_drawing = new RockDrawingStep({{u"돌 모양을 그려줘."_s, u"오. 너 닮은 돌."_s}, true, 46, 24}, page);
    // A prepared drawing is there from the start, not arriving.
    const std::optional<CustomRockShape> prepared = RenderPreview::previewDraft();
    const bool blank = RenderPreview::previewBlankCanvas();
    m_drawing->setDraft(prepared, false);
    m_drawing->setShowsOutline(!blank);
    m_drawing->setHint(prepared ? likeItHint : blank ? aroundFaceHint : traceHint);
    connect(m_drawing, &RockDrawingStep::clearPressed, this, &OnboardingView::clearDraft);
    connect(m_drawing, &RockDrawingStep::keepPressed, this, &OnboardingView::keepDraft);
    column->addSpacing(36);
    column->addWidget(m_drawing);
    return page;
}

QWidget *OnboardingView::makeChooseStep()
{
    m_choosing = new RockChoiceStep(m_state);
    connect(m_choosing, &RockChoiceStep::redrawPressed, this, &OnboardingView::redraw);
    connect(m_choosing, &RockChoiceStep::takePressed, this, &OnboardingView::finishOnboarding);
    return m_choosing;
}

QWidget *OnboardingView::makeFooter()
{
    return Footer::makeQuitFooter(this);
}

void OnboardingView::clearDraft()
{
    m_drawing->setDraft(std::nullopt);
    m_drawing->setShowsOutline(false);
    m_drawing->setHint(aroundFaceHint);
}

void OnboardingView::keepDraft()
{
    if (!draft())
        return;
    m_state->setCustomRockShape(*draft());
    m_choosing->preselect(RockChoice::custom);
    clearDraft();
    // The step switches at once; nothing on either step moves with it.
    applyStep(Step::choose);
}

void OnboardingView::redraw()
{
    clearDraft();
    applyStep(Step::drawing);
}

void OnboardingView::select(RockChoice choice)
{
    m_choosing->select(choice);
}

void OnboardingView::resumeDrawnRock()
{
    if (m_step != Step::choose && !draft() && m_state->customRockShape())
        applyStep(Step::choose);
}

void OnboardingView::finishOnboarding()
{
    m_state->setSelectedCharacter(KivvoCharacter::vidovu);
    m_state->setUsesCustomRock(selectedRock() == RockChoice::custom);
    // Last, and nothing after it: the root view swaps this view out as soon as it hears of it.
    m_state->setHasOnboarded(true);
}

void OnboardingView::applyStep(Step step)
{
    const bool changes = step != m_step;
    m_step = step;
    m_steps->setCurrentIndex(step == Step::drawing ? 0 : 1);
    // A double click on the button that changed the step must not press what the new step shows there.
    if (changes) {
        ClickGuard::guard(m_steps->currentWidget());
        ScreenFocus::settle(this);
    }
    followWobble(isVisible());
}

void OnboardingView::followWobble(bool shown)
{
    m_choosing->setWobbling(m_wobble && shown && m_step == Step::choose);
}

void OnboardingView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Only the first showing counts: reopening the panel after "다시 그리기" must not jump back to
    // the choice the user just left.
    if (!m_hasAppeared) {
        m_hasAppeared = true;
        m_wobble = true;
        resumeDrawnRock();
    }
    followWobble(true);
}

void OnboardingView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    followWobble(false);
}
