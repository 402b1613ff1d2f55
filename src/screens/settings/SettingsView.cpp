#include "SettingsView.h"

#include "AppState.h"
#include "FadeEffect.h"
#include "Labels.h"
#include "LoginStart.h"
#include "Sketch.h"
#include "SteppedAccessible.h"
#include "Theme.h"
#include "WrappedText.h"

#include <QApplication>
#include <QGraphicsOpacityEffect>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProxyStyle>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyleFactory>
#include <QStyleOptionComplex>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

/// The knob's slide.
constexpr double knobSeconds = 0.2;
/// The track: a 40 x 24 capsule, 2 inside the widget so the focus ring fits around it.
constexpr QRectF track(2.6, 2.6, 38.8, 22.8); // its 1.2 outline inside 40 x 24
constexpr double trackCorner = 11.4;
constexpr double knobDiameter = 18;
constexpr double knobInset = 3; ///< between the track's edge and the knob

/// The size block's inner spacing, and between the slider and its captions.
constexpr int sizeBlockSpacing = 8;
constexpr int sliderSpacing = 2;
/// Between the switch row's label and switch, and between its title and subtitle.
constexpr int switchRowSpacing = 14;
constexpr int labelSpacing = 4;

const QString &switchTitle()
{
    static const QString text = u"따라다니는 돌"_s;
    return text;
}

const QString &sizeTitle()
{
    static const QString text = u"돌 크기"_s;
    return text;
}

const QString &loginTitle()
{
    static const QString text = u"로그인하면 같이 켜기"_s;
    return text;
}

/// A slider's look in the application's style, except that a left click on its track takes the
/// handle straight to the step under the pointer rather than one step towards it, and that the
/// keyboard's focus shows as the sketch's ring (the base style shows none).
class ClickToStepStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget) const override
    {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        if (control == CC_Slider && (option->state & State_HasFocus))
            Sketch::paintFocusRing(*painter, option->rect, option->rect.height() / 2.0, Theme::inkSoft, 0.5);
    }

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_Slider_AbsoluteSetButtons)
            return Qt::LeftButton;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

/// Marks the size slider for the reading below; Qt's own slider reads its step number.
constexpr char sizeSliderProperty[] = "kivvoSizeSlider";

/// The size slider as a screen reader meets it: each step read in words, and no change while the
/// floating rock is off (Qt's own would move a disabled slider and save the size).
class SizeSliderAccessible : public SteppedAccessible {
public:
    explicit SizeSliderAccessible(QSlider *slider) : SteppedAccessible(slider) {}

protected:
    int step() const override { return slider()->value(); }
    int lastStep() const override { return slider()->maximum(); }
    QString word(int step) const override { return SettingsView::stepWord(step); }
    void requestStep(int step) override
    {
        if (slider()->isEnabled())
            slider()->setValue(step);
    }

private:
    QSlider *slider() const { return static_cast<QSlider *>(widget()); }
};

QAccessibleInterface *sizeSliderFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("QSlider") && object && object->property(sizeSliderProperty).toBool())
        return new SizeSliderAccessible(static_cast<QSlider *>(object));
    return nullptr;
}

QLabel *leftLabel(const QString &text, const QFont &font, const QColor &colour, QWidget *parent)
{
    QLabel *label = Labels::make(text, font, colour, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

} // namespace

SettingsView::Switch::Switch(bool checked, const QString &name, QWidget *parent)
    : QAbstractButton(parent), m_knob(checked ? 1 : 0)
{
    setCheckable(true);
    setChecked(checked);
    // The text is never drawn; it names the switch for assistive technology.
    setText(name);
    setAccessibleName(name);
    setFixedSize(width, height);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    connect(&m_knob, &Animation::changed, this, [this] { update(); });
}

void SettingsView::Switch::nextCheckState()
{
    QAbstractButton::nextCheckState();
    slideKnob();
}

void SettingsView::Switch::checkStateSet()
{
    slideKnob();
}

void SettingsView::Switch::slideKnob()
{
    m_knob.animateTo(isChecked() ? 1.0 : 0.0, Ease::easeInOut(knobSeconds));
}

void SettingsView::Switch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double on = m_knob.value();
    if (hasFocus()) {
        painter.setPen(QPen(Theme::inkSoft, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), height / 2.0 - 0.5,
                                height / 2.0 - 0.5);
    }
    // Off is an outlined paper track with a soft knob; on, the track fills with ink and the knob turns paper.
    painter.setPen(QPen(Sketch::blend(Theme::inkSoft, Theme::ink, on), 1.2));
    painter.setBrush(Sketch::blend(Theme::paper, Theme::ink, on));
    painter.drawRoundedRect(track, trackCorner, trackCorner);
    const double left = 2 + knobInset;
    const double travel = 40 - 2 * knobInset - knobDiameter;
    painter.setPen(Qt::NoPen);
    painter.setBrush(Sketch::blend(Theme::inkSoft, Theme::paper, on));
    painter.drawEllipse(QRectF(left + travel * on, (height - knobDiameter) / 2, knobDiameter, knobDiameter));
}

SettingsView::SettingsView(AppState *state, QWidget *parent)
    : QWidget(parent), m_state(state), m_fade(state->isIdleRockEnabled() ? 1.0 : fadedOpacity)
{
    setFixedHeight(screenHeight);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(sideInset, topInset, sideInset, 0);
    column->setSpacing(spacing);
    m_switch = new Switch(m_state->isIdleRockEnabled(), switchTitle(), this);
    column->addWidget(makeSwitchRow(switchTitle(), u"커서를 졸졸 따라다님"_s, m_switch));
    column->addWidget(makeNote());
    column->addWidget(makeSizeBlock());
    m_loginSwitch = new Switch(LoginStart::forThisUser().isOn(), loginTitle(), this);
    column->addWidget(makeSwitchRow(loginTitle(), {}, m_loginSwitch));
    column->addStretch(1);

    connect(&m_fade, &Animation::changed, this, &SettingsView::applyFade);
    // Only the user's own moves are stored: the store's values reach the controls under signal blockers.
    connect(m_switch, &QAbstractButton::toggled, m_state, &AppState::setIsIdleRockEnabled);
    connect(m_slider, &QSlider::valueChanged, this,
            [this](int index) { m_state->setIdleRockScale(scaleSteps[std::clamp(index, 0, lastStep)]); });
    // The store's signals come before it holds the new value, so the delivered value is the one shown.
    connect(m_state, &AppState::isIdleRockEnabledChanged, this,
            [this](bool on) { followEnabled(on, Ease::easeInOut(fadeSeconds)); });
    connect(m_state, &AppState::idleRockScaleChanged, this, &SettingsView::followScale);
    connect(m_state, &AppState::idleRockNoteChanged, this, &SettingsView::followNote);
    connect(m_loginSwitch, &QAbstractButton::toggled, this, &SettingsView::applyLoginStart);

    followEnabled(m_state->isIdleRockEnabled(), Ease::linear(0));
    followScale(m_state->idleRockScale());
    followNote(m_state->idleRockNote());
}

QString SettingsView::stepWord(int step)
{
    static const QString words[] = {u"작게"_s, u"조금 작게"_s, u"보통"_s, u"조금 크게"_s, u"크게"_s};
    return words[std::clamp(step, 0, lastStep)];
}

int SettingsView::stepIndex(double scale)
{
    if (!std::isfinite(scale))
        return wholeStep;
    const double index = std::round((scale - scaleSteps.front()) / (scaleSteps[1] - scaleSteps[0]));
    return int(std::clamp(index, 0.0, double(lastStep)));
}

double SettingsView::sizeBlockOpacity() const
{
    return m_fadeEffect->isEnabled() ? m_fadeEffect->opacity() : 1.0;
}

QWidget *SettingsView::makeSwitchRow(const QString &title, const QString &subtitle, Switch *toggle)
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(switchRowSpacing);
    auto *label = new QVBoxLayout;
    label->setSpacing(labelSpacing);
    label->addWidget(leftLabel(title, Theme::sectionTitle(), Theme::ink, row));
    if (!subtitle.isEmpty())
        label->addWidget(leftLabel(subtitle, Theme::caption(), Theme::inkSoft, row));
    layout->addLayout(label);
    layout->addStretch(1);
    toggle->setParent(row);
    layout->addWidget(toggle, 0, Qt::AlignVCenter);
    return row;
}

void SettingsView::applyLoginStart(bool on)
{
    if (LoginStart::forThisUser().setOn(on))
        return;
    // Not written (or not removed): the switch says what is really there.
    const QSignalBlocker blocker(m_loginSwitch);
    m_loginSwitch->setChecked(!on);
}

WrappedText *SettingsView::makeNote()
{
    m_note = new WrappedText(Theme::caption(), Theme::inkSoft, this);
    return m_note;
}

void SettingsView::followNote(const QString &note)
{
    m_note->setText(note);
    m_note->setVisible(!note.isEmpty());
}

QWidget *SettingsView::makeSizeBlock()
{
    m_sizeBlock = new QWidget(this);
    auto *layout = new QVBoxLayout(m_sizeBlock);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(sizeBlockSpacing);
    layout->addWidget(leftLabel(sizeTitle(), Theme::sectionTitle(), Theme::ink, m_sizeBlock));

    auto *sliderColumn = new QVBoxLayout;
    sliderColumn->setSpacing(sliderSpacing);
    static const bool installed = [] {
        QAccessible::installFactory(sizeSliderFactory);
        return true;
    }();
    Q_UNUSED(installed);
    m_slider = new QSlider(Qt::Horizontal, m_sizeBlock);
    m_slider->setProperty(sizeSliderProperty, true);
    m_slider->setRange(0, lastStep);
    m_slider->setSingleStep(1);
    m_slider->setPageStep(1);
    m_slider->setAccessibleName(sizeTitle());
    auto *style = new ClickToStepStyle(QStyleFactory::create(QApplication::style()->name()));
    style->setParent(m_slider);
    m_slider->setStyle(style);
    sliderColumn->addWidget(m_slider);
    // Three equal columns put "보통" exactly under the middle step, whatever the words' widths.
    auto *captions = new QGridLayout;
    captions->setContentsMargins(0, 0, 0, 0);
    const QFont captionFont = Theme::handwriting(11, QFont::Medium);
    const QString words[] = {u"작게"_s, u"보통"_s, u"크게"_s};
    const Qt::Alignment ends[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    for (int i = 0; i < 3; ++i) {
        QLabel *caption = Labels::make(words[i], captionFont, Theme::inkSoft, m_sizeBlock);
        caption->setAlignment(ends[i] | Qt::AlignVCenter);
        captions->addWidget(caption, 0, i);
        captions->setColumnStretch(i, 1);
    }
    sliderColumn->addLayout(captions);
    layout->addLayout(sliderColumn);

    m_fadeEffect = new FadeEffect(m_sizeBlock);
    m_sizeBlock->setGraphicsEffect(m_fadeEffect);
    return m_sizeBlock;
}

void SettingsView::followEnabled(bool on, const Ease &ease)
{
    {
        const QSignalBlocker blocker(m_switch);
        m_switch->setChecked(on);
    }
    m_sizeBlock->setEnabled(on);
    m_fade.animateTo(on ? 1.0 : fadedOpacity, ease);
    applyFade();
}

void SettingsView::followScale(double scale)
{
    const QSignalBlocker blocker(m_slider);
    m_slider->setValue(stepIndex(scale));
    // Desktop bridges carry a slider's value as a number only: the words go in the description too.
    m_slider->setAccessibleDescription(stepWord(stepIndex(scale)));
}

void SettingsView::applyFade()
{
    const double opacity = m_fade.value();
    m_fadeEffect->setOpacity(opacity);
    // Full opacity draws straight, without the effect's offscreen pass.
    m_fadeEffect->setEnabled(opacity < 1);
}
