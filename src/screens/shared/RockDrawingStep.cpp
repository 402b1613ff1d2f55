#include "RockDrawingStep.h"

#include "Labels.h"

#include "FadeEffect.h"
#include "PrimaryButton.h"
#include "RockDrawingCanvas.h"
#include "SecondaryButton.h"
#include "Theme.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int titleHeight = 30;
constexpr int canvasSide = 224;
constexpr int hintHeight = 16;
constexpr Spring buttonsSpring{0.3, 0.8};
const Ease titleEase = Ease::easeInOut(0.25);
} // namespace

RockDrawingStep::RockDrawingStep(const Look &look, QWidget *parent)
    : QWidget(parent), m_fadesTitle(look.fadesTitle)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(makeTitle(look));
    column->addSpacing(16);
    m_canvas = new RockDrawingCanvas(this);
    m_canvas->setFixedSize(canvasSide, canvasSide);
    column->addWidget(m_canvas, 0, Qt::AlignHCenter);
    column->addSpacing(12);
    m_hintLabel = Labels::make(QString(), Theme::caption(), Theme::inkSoft, this);
    m_hintLabel->setFixedHeight(hintHeight);
    column->addWidget(m_hintLabel);
    if (look.roomAboveButtons)
        column->addItem(new QSpacerItem(0, *look.roomAboveButtons, QSizePolicy::Minimum, QSizePolicy::Expanding));
    column->addWidget(makeButtons(look.buttonRowHeight));
    column->addSpacing(16);

    // What the canvas makes of a stroke is shown here like what the screen hands in.
    connect(m_canvas, &RockDrawingCanvas::draftChanged, this, [this](const auto &draft) { setDraft(draft); });
    connect(m_canvas, &RockDrawingCanvas::hintChanged, this, &RockDrawingStep::setHint);
    connect(&m_titleMix, &Animation::changed, this, &RockDrawingStep::followTitle);
    connect(&m_buttonsPresence, &Animation::changed, this, &RockDrawingStep::followButtons);
    followTitle();
    followButtons();
}

QWidget *RockDrawingStep::makeTitle(const Look &look)
{
    auto *area = new QWidget(this);
    area->setFixedHeight(titleHeight);
    auto *stack = new QGridLayout(area);
    stack->setContentsMargins(0, 0, 0, 0);
    for (std::size_t i = 0; i < m_titles.size(); ++i) {
        m_titles[i] = Labels::make(look.titles[i], Theme::title(), Theme::ink, area);
        stack->addWidget(m_titles[i], 0, 0);
    }
    return area;
}

QWidget *RockDrawingStep::makeButtons(int height)
{
    auto *row = new QWidget(this);
    row->setFixedHeight(height);
    auto *rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    m_draftButtons = new QWidget(row);
    auto *buttons = new QHBoxLayout(m_draftButtons);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(10);
    auto *again = new SecondaryButton(u"다시 그리기"_s, m_draftButtons);
    auto *keep = new PrimaryButton(u"이걸로 할래"_s, m_draftButtons);
    connect(again, &QAbstractButton::clicked, this, &RockDrawingStep::clearPressed);
    connect(keep, &QAbstractButton::clicked, this, &RockDrawingStep::keepPressed);
    buttons->addWidget(again, 0, Qt::AlignVCenter);
    buttons->addWidget(keep, 1, Qt::AlignVCenter);
    rowLayout->addWidget(m_draftButtons);
    return row;
}

QString RockDrawingStep::title() const
{
    return m_titles[m_titleMix.target() >= 0.5 ? 1 : 0]->text();
}

void RockDrawingStep::setDraft(std::optional<CustomRockShape> draft, bool animated)
{
    m_draft = std::move(draft);
    if (m_canvas->draft() != m_draft)
        m_canvas->setDraft(m_draft);
    const double shown = m_draft ? 1 : 0;
    if (animated && m_fadesTitle)
        m_titleMix.animateTo(shown, titleEase);
    else
        m_titleMix.setValue(shown);
    if (animated)
        m_buttonsPresence.animateTo(shown, buttonsSpring);
    else
        m_buttonsPresence.setValue(shown);
    // Pressed while they leave, they would keep or wipe what is no longer there.
    m_draftButtons->setEnabled(m_draft.has_value());
}

void RockDrawingStep::setHint(const QString &hint)
{
    m_hint = hint;
    if (m_canvas->hint() != hint)
        m_canvas->setHint(hint);
    m_hintLabel->setText(hint);
}

void RockDrawingStep::setShowsOutline(bool shows)
{
    m_showsOutline = shows;
    m_canvas->setShowsOutline(shows);
}

void RockDrawingStep::followTitle()
{
    const double mix = std::clamp(m_titleMix.value(), 0.0, 1.0);
    FadeEffect::show(m_titles[0], 1 - mix);
    FadeEffect::show(m_titles[1], mix);
}

void RockDrawingStep::followButtons()
{
    FadeEffect::show(m_draftButtons, m_buttonsPresence.value());
}
