#include "OnboardingView.h"

#include "Footer.h"
#include "Labels.h"

#include "AppState.h"
#include "ClickGuard.h"
#include "CustomRockView.h"
#include "PreviewSwitches.h"
#include "PrimaryButton.h"
#include "RockDrawingCanvas.h"
#include "RockImage.h"
#include "ScreenFocus.h"
#include "SecondaryButton.h"
#include "Theme.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString traceHint = u"선을 따라 그려봐."_s;
const QString aroundFaceHint = u"표정 둘레를 한 바퀴 그려줘."_s;
/// What the canvas says after accepting a stroke; a prepared drawing starts with the same words.
const QString likeItHint = u"마음에 들어?"_s;

constexpr double sidePadding = 24;
constexpr int titleHeight = 30;
constexpr int canvasSide = 224;
constexpr int hintHeight = 16;
constexpr int draftRowHeight = 46;
constexpr QSize slotSize(138, 154);
constexpr double rockSide = 128;
constexpr double selectedScale = 1.12;
constexpr double unselectedOpacity = 0.5;
/// The selected rock rocks between these tilts, in degrees; it rests on `wobbleRest` while still.
constexpr double wobbleRest = 4;
constexpr double wobbleFar = -4;

const std::array<QString, 2> drawingTitles{u"돌 모양을 그려줘."_s, u"오. 너 닮은 돌."_s};

const Spring selectSpring{0.32, 0.76};
const Spring draftButtonsSpring{0.3, 0.8};
const Ease titleEase = Ease::easeInOut(0.25);
const Ease wobbleEase = Ease::easeInOut(1.4).repeatForever();

int slotIndex(OnboardingView::RockChoice choice)
{
    return choice == OnboardingView::RockChoice::zezedidIvave ? 0 : 1;
}

constexpr std::array<OnboardingView::RockChoice, 2> choices{OnboardingView::RockChoice::zezedidIvave,
                                                            OnboardingView::RockChoice::custom};

QString takeLabel(OnboardingView::RockChoice choice)
{
    const QString name =
        choice == OnboardingView::RockChoice::zezedidIvave ? u"기본 돌"_s : u"내가 그린 돌"_s;
    return name + u" 데려가기"_s;
}

/// What `widget` and its children paint, on a transparent ground.
QPixmap picture(QWidget *widget)
{
    const qreal ratio = widget->devicePixelRatioF();
    QPixmap pixmap(widget->size() * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    widget->render(&pixmap, QPoint(), QRegion(), QWidget::DrawChildren);
    return pixmap;
}

/// Space that grows with the screen but never below `minimum` points.
QSpacerItem *flexibleSpace(int minimum)
{
    return new QSpacerItem(0, minimum, QSizePolicy::Minimum, QSizePolicy::Expanding);
}

} // namespace

OnboardingView::OnboardingView(AppState *state, QWidget *parent)
    : QWidget(parent), m_state(state), m_draft(RenderPreview::previewDraft()),
      m_showsOutline(!RenderPreview::previewBlankCanvas())
{
    m_hint = m_draft ? likeItHint : RenderPreview::previewBlankCanvas() ? aroundFaceHint : traceHint;
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

    m_titleMix.setValue(m_draft ? 1 : 0);
    connect(&m_titleMix, &Animation::changed, this, [this] { update(); });

    // A prepared drawing is there from the start, not arriving.
    m_draftButtonsPresence.setValue(m_draft ? 1 : 0);
    if (m_draft) {
        m_draftButtons = makeDraftButtons();
        m_draftRow->layout()->addWidget(m_draftButtons);
    }
    connect(&m_draftButtonsPresence, &Animation::changed, this,
            [this] { followDraftButtonsPresence(false); });
    connect(&m_draftButtonsPresence, &Animation::finished, this,
            [this] { followDraftButtonsPresence(true); });

    m_selection[slotIndex(m_selectedRock)].setValue(1);
    m_wobbleAngle.setValue(wobbleRest);
    for (auto &selection : m_selection)
        connect(&selection, &Animation::changed, this, &OnboardingView::updateChoices);
    connect(&m_wobbleAngle, &Animation::changed, this, &OnboardingView::updateChoices);
    // The drawn rock's slot shows whatever the store holds now.
    connect(m_state, &AppState::customRockShapeChanged, this, qOverload<>(&QWidget::update));
}

OnboardingView::~OnboardingView() = default;

QWidget *OnboardingView::makeDrawingStep()
{
    auto *page = new QWidget;
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(sidePadding, 0, sidePadding, 0);
    column->setSpacing(0);

    // The title changes by fading one text into the other; this view paints it (see paintEvent).
    m_titleArea = new QWidget(page);
    m_titleArea->setFixedHeight(titleHeight);

    m_canvas = new RockDrawingCanvas(page);
    m_canvas->setFixedSize(canvasSide, canvasSide);
    m_canvas->setDraft(m_draft);
    m_canvas->setHint(m_hint);
    m_canvas->setShowsOutline(m_showsOutline);
    connect(m_canvas, &RockDrawingCanvas::draftChanged, this, &OnboardingView::applyDraft);
    connect(m_canvas, &RockDrawingCanvas::hintChanged, this, &OnboardingView::applyHint);

    m_hintLabel = Labels::make(m_hint, Theme::caption(), Theme::inkSoft, page);
    m_hintLabel->setFixedHeight(hintHeight);

    m_draftRow = new QWidget(page);
    m_draftRow->setFixedHeight(draftRowHeight);
    auto *row = new QHBoxLayout(m_draftRow);
    row->setContentsMargins(0, 0, 0, 0);

    column->addSpacing(36);
    column->addWidget(m_titleArea);
    column->addSpacing(16);
    column->addWidget(m_canvas, 0, Qt::AlignHCenter);
    column->addSpacing(12);
    column->addWidget(m_hintLabel);
    column->addItem(flexibleSpace(24));
    column->addWidget(m_draftRow);
    column->addSpacing(16);
    return page;
}

QWidget *OnboardingView::makeDraftButtons()
{
    auto *buttons = new QWidget(m_draftRow);
    auto *row = new QHBoxLayout(buttons);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    auto *again = new SecondaryButton(u"다시 그리기"_s, buttons);
    auto *keep = new PrimaryButton(u"이걸로 할래"_s, buttons);
    connect(again, &QAbstractButton::clicked, this, &OnboardingView::clearDraft);
    connect(keep, &QAbstractButton::clicked, this, &OnboardingView::keepDraft);
    row->addWidget(again, 0, Qt::AlignVCenter);
    row->addWidget(keep, 1, Qt::AlignVCenter);
    return buttons;
}

QWidget *OnboardingView::makeChooseStep()
{
    auto *page = new QWidget;
    // The two slots together are a little wider than the padded column; like the column's other
    // rows they stay centred, reaching a few points into the padding.
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *title = Labels::make(u"누구를 키울래?"_s, Theme::title(), Theme::ink, page);
    title->setFixedHeight(titleHeight);
    auto *caption = Labels::make(u"언제든 바꿀 수 있어."_s, Theme::caption(), Theme::inkSoft, page);

    // Slots only take taps; this view paints the rocks beneath them (see paintEvent).
    auto *choiceRow = new QHBoxLayout;
    choiceRow->setSpacing(2);
    for (RockChoice choice : choices) {
        QWidget *slot = new QWidget(page);
        slot->setFixedSize(slotSize);
        slot->installEventFilter(this);
        m_slots[slotIndex(choice)] = slot;
    }
    auto *redrawButton = new SecondaryButton(u"다시 그리기"_s, page);
    connect(redrawButton, &QAbstractButton::clicked, this, &OnboardingView::redraw);
    auto *drawnColumn = new QVBoxLayout;
    drawnColumn->setSpacing(8);
    drawnColumn->addWidget(m_slots[slotIndex(RockChoice::custom)]);
    drawnColumn->addWidget(redrawButton, 0, Qt::AlignHCenter);
    choiceRow->addStretch(1);
    choiceRow->addWidget(m_slots[slotIndex(RockChoice::zezedidIvave)], 0, Qt::AlignTop);
    choiceRow->addLayout(drawnColumn);
    choiceRow->addStretch(1);

    m_takeButton = new PrimaryButton(takeLabel(m_selectedRock), page);
    connect(m_takeButton, &QAbstractButton::clicked, this, &OnboardingView::finishOnboarding);
    auto *takeRow = new QHBoxLayout;
    takeRow->setContentsMargins(sidePadding, 0, sidePadding, 0);
    takeRow->addWidget(m_takeButton);

    column->addSpacing(36);
    column->addWidget(title);
    column->addSpacing(8);
    column->addWidget(caption);
    column->addSpacing(16);
    column->addLayout(choiceRow);
    column->addItem(flexibleSpace(24));
    column->addLayout(takeRow);
    column->addSpacing(16);
    return page;
}

QWidget *OnboardingView::makeFooter()
{
    return Footer::makeQuitFooter(this);
}

QWidget *OnboardingView::choiceSlot(RockChoice choice) const
{
    return m_slots[slotIndex(choice)];
}

double OnboardingView::selectedness(RockChoice choice) const
{
    return m_selection[slotIndex(choice)].value();
}

double OnboardingView::rockScale(RockChoice choice) const
{
    return 1 + (selectedScale - 1) * selectedness(choice);
}

double OnboardingView::rockAngle(RockChoice choice) const
{
    return m_wobbleAngle.value() * selectedness(choice);
}

double OnboardingView::rockOpacity(RockChoice choice) const
{
    return std::clamp(unselectedOpacity + (1 - unselectedOpacity) * selectedness(choice), 0.0, 1.0);
}

void OnboardingView::clearDraft()
{
    m_canvas->setDraft(std::nullopt);
    applyDraft(std::nullopt);
    applyShowsOutline(false);
    m_canvas->setHint(aroundFaceHint);
    applyHint(aroundFaceHint);
}

void OnboardingView::keepDraft()
{
    if (!m_draft)
        return;
    m_state->setCustomRockShape(*m_draft);
    applySelection(RockChoice::custom, std::nullopt);
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
    applySelection(choice, selectSpring);
}

void OnboardingView::resumeDrawnRock()
{
    if (m_step != Step::choose && !m_draft && m_state->customRockShape())
        applyStep(Step::choose);
}

void OnboardingView::finishOnboarding()
{
    m_state->setSelectedCharacter(KivvoCharacter::vidovu);
    m_state->setUsesCustomRock(m_selectedRock == RockChoice::custom);
    // Last, and nothing after it: the root view swaps this view out as soon as it hears of it.
    m_state->setHasOnboarded(true);
}

void OnboardingView::applyDraft(std::optional<CustomRockShape> draft)
{
    m_draft = std::move(draft);
    m_titleMix.animateTo(m_draft ? 1 : 0, titleEase);
    followDraftButtons();
}

void OnboardingView::applyHint(const QString &hint)
{
    m_hint = hint;
    m_hintLabel->setText(hint);
}

void OnboardingView::applyShowsOutline(bool shows)
{
    m_showsOutline = shows;
    m_canvas->setShowsOutline(shows);
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
    update();
}

void OnboardingView::applySelection(RockChoice choice, std::optional<Spring> spring)
{
    m_selectedRock = choice;
    for (RockChoice each : choices) {
        const double target = each == choice ? 1 : 0;
        if (spring)
            m_selection[slotIndex(each)].animateTo(target, *spring);
        else
            m_selection[slotIndex(each)].setValue(target);
    }
    m_takeButton->setText(takeLabel(choice));
}

void OnboardingView::followDraftButtons()
{
    // Widgets cannot be painted translucent reliably (graphics effects go astray when a screen is
    // rendered to an image), so a picture of the buttons fades while the real ones wait or are gone.
    if (m_draft && !m_draftButtons) {
        m_draftButtons = makeDraftButtons();
        m_draftRow->layout()->addWidget(m_draftButtons);
        m_draftButtons->show();
        m_draftRow->layout()->activate();
        m_draftButtonsPicture = picture(m_draftButtons);
        m_draftButtons->hide();
        m_draftButtonsPresence.animateTo(1, draftButtonsSpring);
    } else if (!m_draft && m_draftButtons) {
        if (!m_draftButtons->isHidden())
            m_draftButtonsPicture = picture(m_draftButtons);
        m_draftButtons->hide();
        // Later, as one of them may be the button being clicked right now.
        m_draftButtons->deleteLater();
        m_draftButtons = nullptr;
        m_draftButtonsPresence.animateTo(0, draftButtonsSpring);
    }
    update();
}

void OnboardingView::followDraftButtonsPresence(bool stopped)
{
    const bool fullyIn = m_draftButtonsPresence.value() >= 1;
    if (m_draftButtons && m_draftButtons->isHidden() && (fullyIn || stopped))
        m_draftButtons->show();
    if (stopped || (m_draftButtons && fullyIn))
        m_draftButtonsPicture = QPixmap();
    update();
}

void OnboardingView::followWobble(bool shown)
{
    const bool moving = m_wobble && shown && m_step == Step::choose;
    if (moving && !m_wobbleAngle.isRunning()) {
        m_wobbleAngle.setValue(wobbleRest);
        m_wobbleAngle.animateTo(wobbleFar, wobbleEase);
    } else if (!moving && m_wobbleAngle.isRunning()) {
        m_wobbleAngle.setValue(wobbleRest);
    }
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

bool OnboardingView::eventFilter(QObject *watched, QEvent *event)
{
    for (RockChoice choice : choices) {
        if (watched != m_slots[slotIndex(choice)])
            continue;
        if (event->type() == QEvent::MouseButtonPress)
            return static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
        if (event->type() == QEvent::MouseButtonRelease) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            // A tap counts only where it ends inside the slot, as with any button.
            if (mouse->button() == Qt::LeftButton &&
                m_slots[slotIndex(choice)]->rect().contains(mouse->pos()))
                select(choice);
            return mouse->button() == Qt::LeftButton;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QRectF OnboardingView::rockSquare(RockChoice choice) const
{
    const QWidget *slot = m_slots[slotIndex(choice)];
    const QRectF area(slot->mapTo(this, QPoint(0, 0)), slot->size());
    return QRectF(area.center().x() - rockSide / 2, area.center().y() - rockSide / 2, rockSide, rockSide);
}

void OnboardingView::updateChoices()
{
    // The rocking runs for as long as the choice is shown: repaint only the two rocks, grown by what
    // the 1.12 scale and the 4 degree turn add to their square, and a little for antialiasing.
    constexpr double reach = rockSide * 0.12 + 4;
    const QRectF both = rockSquare(RockChoice::zezedidIvave) | rockSquare(RockChoice::custom);
    update(both.adjusted(-reach, -reach, reach, reach).toAlignedRect());
}

QString OnboardingView::title() const
{
    return drawingTitles[m_titleMix.target() >= 0.5 ? 1 : 0];
}

void OnboardingView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_step == Step::drawing) {
        paintTitle(painter);
        paintDraftButtonsPicture(painter);
        return;
    }
    // The selected rock grows over its neighbour's edge, so it goes on last.
    const RockChoice other =
        m_selectedRock == RockChoice::custom ? RockChoice::zezedidIvave : RockChoice::custom;
    paintChoice(painter, other);
    paintChoice(painter, m_selectedRock);
}

void OnboardingView::paintTitle(QPainter &painter) const
{
    const QRectF area(m_titleArea->mapTo(this, QPoint(0, 0)), m_titleArea->size());
    const double mix = std::clamp(m_titleMix.value(), 0.0, 1.0);
    painter.save();
    painter.setFont(Theme::title());
    painter.setPen(Theme::ink);
    for (std::size_t i = 0; i < drawingTitles.size(); ++i) {
        const double opacity = i == 0 ? 1 - mix : mix;
        if (opacity <= 0)
            continue;
        painter.setOpacity(opacity);
        painter.drawText(area, Qt::AlignCenter | Qt::TextSingleLine, drawingTitles[i]);
    }
    painter.restore();
}

void OnboardingView::paintDraftButtonsPicture(QPainter &painter) const
{
    if (m_draftButtonsPicture.isNull() || (m_draftButtons && !m_draftButtons->isHidden()))
        return;
    painter.save();
    painter.setOpacity(std::clamp(m_draftButtonsPresence.value(), 0.0, 1.0));
    painter.drawPixmap(m_draftRow->mapTo(this, QPoint(0, 0)), m_draftButtonsPicture);
    painter.restore();
}

void OnboardingView::paintChoice(QPainter &painter, RockChoice choice) const
{
    const std::optional<CustomRockShape> &shape = m_state->customRockShape();
    if (choice == RockChoice::custom && !shape)
        return;
    const QRectF square = rockSquare(choice);
    QTransform turn;
    turn.translate(square.center().x(), square.center().y());
    turn.rotate(rockAngle(choice));
    turn.scale(rockScale(choice), rockScale(choice));
    turn.translate(-square.center().x(), -square.center().y());

    // The rock is faded as one picture, so its outline does not show through its own body.
    const QRect bounds = turn.mapRect(square).toAlignedRect().adjusted(-2, -2, 2, 2);
    const qreal ratio = painter.device()->devicePixelRatioF();
    QImage layer(bounds.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    {
        QPainter rock(&layer);
        rock.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        rock.translate(-bounds.topLeft());
        rock.setTransform(turn, true);
        if (choice == RockChoice::custom)
            paintCustomRock(rock, square, *shape, RockColor::original, true, true);
        else
            paintRock(rock, square, RockAppearance{}, 0.5, false, true);
    }
    painter.save();
    painter.setOpacity(rockOpacity(choice));
    painter.drawImage(bounds.topLeft(), layer);
    painter.restore();
}
