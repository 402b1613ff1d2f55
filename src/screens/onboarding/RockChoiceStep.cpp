#include "RockChoiceStep.h"

#include "Labels.h"

#include "AppState.h"
#include "CustomRockView.h"
#include "PrimaryButton.h"
#include "RockImage.h"
#include "SecondaryButton.h"
#include "Sketch.h"
#include "Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr double sidePadding = 24;
constexpr int titleHeight = 30;
constexpr QSize slotSize(138, 154);
constexpr double rockSide = 128;
constexpr double selectedScale = 1.12;
constexpr double unselectedOpacity = 0.5;
/// The selected rock rocks between these tilts, in degrees; it rests on `wobbleRest` while still.
constexpr double wobbleRest = 4;
constexpr double wobbleFar = -4;

const Spring selectSpring{0.32, 0.76};
const Ease wobbleEase = Ease::easeInOut(1.4).repeatForever();

using RockChoice = RockChoiceStep::RockChoice;

int slotIndex(RockChoice choice)
{
    return choice == RockChoice::zezedidIvave ? 0 : 1;
}

constexpr std::array<RockChoice, 2> choices{RockChoice::zezedidIvave, RockChoice::custom};

QString rockName(RockChoice choice)
{
    return choice == RockChoice::zezedidIvave ? u"기본 돌"_s : u"내가 그린 돌"_s;
}

QString takeLabel(RockChoice choice)
{
    return rockName(choice) + u" 데려가기"_s;
}

/// A slot of the choice: the step paints the rock beneath it; the slot takes taps over its whole
/// area and the keyboard (Tab, Space), and says which rock is chosen. It
/// paints only its focus mark.
class ChoiceSlot : public QRadioButton {
public:
    ChoiceSlot(const QString &name, QWidget *parent) : QRadioButton(name, parent)
    {
        setFixedSize(slotSize);
        // A tap chooses without leaving a focus mark; Tab brings the mark, and reaches both slots.
        setFocusPolicy(Qt::TabFocus);
        setAutoExclusive(false);
    }

protected:
    bool hitButton(const QPoint &at) const override { return rect().contains(at); }
    void paintEvent(QPaintEvent *) override
    {
        if (!hasFocus())
            return;
        QPainter painter(this);
        Sketch::paintFocusRing(painter, rect(), 20, Theme::inkSoft);
    }
};

} // namespace

RockChoiceStep::RockChoiceStep(AppState *state, QWidget *parent) : QWidget(parent), m_state(state)
{
    // The two slots together are a little wider than the padded column; like the column's other
    // rows they stay centred, reaching a few points into the padding.
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *title = Labels::make(u"누구를 키울래?"_s, Theme::title(), Theme::ink, this);
    title->setFixedHeight(titleHeight);
    auto *caption = Labels::make(u"언제든 바꿀 수 있어."_s, Theme::caption(), Theme::inkSoft, this);

    // The slots take taps and keys; this step paints the rocks beneath them (see paintEvent).
    auto *choiceRow = new QHBoxLayout;
    choiceRow->setSpacing(2);
    for (RockChoice choice : choices) {
        auto *slot = new ChoiceSlot(rockName(choice), this);
        connect(slot, &QAbstractButton::clicked, this, [this, choice] { select(choice); });
        m_slots[slotIndex(choice)] = slot;
    }
    auto *redrawButton = new SecondaryButton(u"다시 그리기"_s, this);
    connect(redrawButton, &QAbstractButton::clicked, this, &RockChoiceStep::redrawPressed);
    auto *drawnColumn = new QVBoxLayout;
    drawnColumn->setSpacing(8);
    drawnColumn->addWidget(m_slots[slotIndex(RockChoice::custom)]);
    drawnColumn->addWidget(redrawButton, 0, Qt::AlignHCenter);
    choiceRow->addStretch(1);
    choiceRow->addWidget(m_slots[slotIndex(RockChoice::zezedidIvave)], 0, Qt::AlignTop);
    choiceRow->addLayout(drawnColumn);
    choiceRow->addStretch(1);

    m_takeButton = new PrimaryButton(takeLabel(m_selectedRock), this);
    connect(m_takeButton, &QAbstractButton::clicked, this, &RockChoiceStep::takePressed);
    auto *takeRow = new QHBoxLayout;
    takeRow->setContentsMargins(sidePadding, 0, sidePadding, 0);
    takeRow->addWidget(m_takeButton);

    column->addSpacing(36);
    column->addWidget(title);
    column->addSpacing(8);
    column->addWidget(caption);
    column->addSpacing(16);
    column->addLayout(choiceRow);
    // Space that grows with the screen but never below 24 points.
    column->addItem(new QSpacerItem(0, 24, QSizePolicy::Minimum, QSizePolicy::Expanding));
    column->addLayout(takeRow);
    column->addSpacing(16);

    applySelection(m_selectedRock, std::nullopt);
    m_wobbleAngle.setValue(wobbleRest);
    for (auto &selection : m_selection)
        connect(&selection, &Animation::changed, this, &RockChoiceStep::updateChoices);
    connect(&m_wobbleAngle, &Animation::changed, this, &RockChoiceStep::updateChoices);
    // The drawn rock's slot shows whatever the store holds now.
    connect(m_state, &AppState::customRockShapeChanged, this, qOverload<>(&QWidget::update));
}

QAbstractButton *RockChoiceStep::choiceSlot(RockChoice choice) const
{
    return m_slots[slotIndex(choice)];
}

double RockChoiceStep::selectedness(RockChoice choice) const
{
    return m_selection[slotIndex(choice)].value();
}

double RockChoiceStep::rockScale(RockChoice choice) const
{
    return 1 + (selectedScale - 1) * selectedness(choice);
}

double RockChoiceStep::rockAngle(RockChoice choice) const
{
    return m_wobbleAngle.value() * selectedness(choice);
}

double RockChoiceStep::rockOpacity(RockChoice choice) const
{
    return std::clamp(unselectedOpacity + (1 - unselectedOpacity) * selectedness(choice), 0.0, 1.0);
}

void RockChoiceStep::select(RockChoice choice)
{
    applySelection(choice, selectSpring);
}

void RockChoiceStep::preselect(RockChoice choice)
{
    applySelection(choice, std::nullopt);
}

void RockChoiceStep::setWobbling(bool moving)
{
    if (moving && !m_wobbleAngle.isRunning()) {
        m_wobbleAngle.setValue(wobbleRest);
        m_wobbleAngle.animateTo(wobbleFar, wobbleEase);
    } else if (!moving && m_wobbleAngle.isRunning()) {
        m_wobbleAngle.setValue(wobbleRest);
    }
}

void RockChoiceStep::applySelection(RockChoice choice, std::optional<Spring> spring)
{
    m_selectedRock = choice;
    for (RockChoice each : choices) {
        const double target = each == choice ? 1 : 0;
        m_slots[slotIndex(each)]->setChecked(each == choice);
        if (spring)
            m_selection[slotIndex(each)].animateTo(target, *spring);
        else
            m_selection[slotIndex(each)].setValue(target);
    }
    m_takeButton->setText(takeLabel(choice));
}

QRectF RockChoiceStep::rockSquare(RockChoice choice) const
{
    const QWidget *slot = m_slots[slotIndex(choice)];
    const QRectF area(slot->mapTo(this, QPoint(0, 0)), slot->size());
    return QRectF(area.center().x() - rockSide / 2, area.center().y() - rockSide / 2, rockSide, rockSide);
}

void RockChoiceStep::updateChoices()
{
    // The rocking runs for as long as the choice is shown: repaint only the two rocks, grown by what
    // the 1.12 scale and the 4 degree turn add to their square, and a little for antialiasing.
    constexpr double reach = rockSide * 0.12 + 4;
    const QRectF both = rockSquare(RockChoice::zezedidIvave) | rockSquare(RockChoice::custom);
    update(both.adjusted(-reach, -reach, reach, reach).toAlignedRect());
}

void RockChoiceStep::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // The selected rock grows over its neighbour's edge, so it goes on last.
    const RockChoice other = m_selectedRock == RockChoice::custom ? RockChoice::zezedidIvave : RockChoice::custom;
    paintChoice(painter, other);
    paintChoice(painter, m_selectedRock);
}

void RockChoiceStep::paintChoice(QPainter &painter, RockChoice choice) const
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
