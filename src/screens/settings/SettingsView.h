#pragma once

#include "EaseAnimation.h"

#include <QAbstractButton>
#include <QWidget>

#include <array>

class AppState;
class QGraphicsOpacityEffect;
class QSlider;
class WrappedText;

/// The settings of the floating rock: a switch that turns it on or off and a slider for its size, both
/// written straight into the store. While the rock is off, the size block fades back and takes no input.
/// Below them, a switch that starts the companion at login (an entry in the autostart folder).
///
/// Opening the screen never writes anything: the slider only shows the nearest step of the stored size,
/// the login switch whether the entry is there, and only the user's own moves change either.
class SettingsView : public QWidget {
    Q_OBJECT

public:
    /// A small painted on/off switch. Space toggles it like any button; assistive technology reads it as
    /// a checkable control under its accessible name.
    class Switch : public QAbstractButton {
    public:
        static constexpr int width = 44;
        static constexpr int height = 28;

        /// A switch named `name` for assistive technology.
        Switch(bool checked, const QString &name, QWidget *parent = nullptr);

        /// Where the knob is: 0 at the off end, 1 at the on end.
        double knob() const { return m_knob.value(); }

        QSize sizeHint() const override { return {width, height}; }

    protected:
        void paintEvent(QPaintEvent *event) override;
        /// A click or Space flips the state here, without `checkStateSet`.
        void nextCheckState() override;
        /// The state was set from outside, as when the store changed.
        void checkStateSet() override;

    private:
        /// Slides the knob to the current state.
        void slideKnob();

        EaseAnimation<double> m_knob;
    };

    /// The column's insets and spacing, and the screen's own height.
    static constexpr int sideInset = 24;
    static constexpr int topInset = 14;
    static constexpr int spacing = 18;
    static constexpr int screenHeight = 378;
    /// The size block's opacity while the floating rock is off, and the fade between the two looks.
    static constexpr double fadedOpacity = 0.4;
    static constexpr double fadeSeconds = 0.2;
    /// The sizes the slider offers, smallest first.
    static constexpr std::array<double, 5> scaleSteps{0.5, 0.75, 1.0, 1.25, 1.5};
    /// The slider's last step: the largest size.
    static constexpr int lastStep = int(scaleSteps.size()) - 1;
    /// The whole size's step, which a size that is no number gets.
    static constexpr int wholeStep = 2;

    explicit SettingsView(AppState *state, QWidget *parent = nullptr);

    /// The slider step nearest to `scale`; sizes beyond the ends take the end steps.
    static int stepIndex(double scale);
    /// A slider step in words, as a screen reader says it: "작게", "보통", "크게" and between them
    /// "조금 작게", "조금 크게".
    static QString stepWord(int step);

    /// The parts, for tests and the preview.
    Switch *idleRockSwitch() const { return m_switch; }
    Switch *loginSwitch() const { return m_loginSwitch; }
    QSlider *sizeSlider() const { return m_slider; }
    QWidget *sizeBlock() const { return m_sizeBlock; }
    /// The line under the switch saying what the rock cannot do on this desktop; hidden when empty.
    WrappedText *idleRockNote() const { return m_note; }
    /// The opacity the size block is drawn at right now.
    double sizeBlockOpacity() const;

private:
    /// A row of a title (and a subtitle, when given) at the left and `toggle` at the right.
    QWidget *makeSwitchRow(const QString &title, const QString &subtitle, Switch *toggle);
    /// Writes or removes the login entry as the user asked; a failure turns the switch back.
    void applyLoginStart(bool on);
    QWidget *makeSizeBlock();
    WrappedText *makeNote();
    /// Shows the store's note, or hides the line when there is none.
    void followNote(const QString &note);
    /// Shows the store's `on` without writing it back; `ease` fades the size block.
    void followEnabled(bool on, const Ease &ease);
    /// Shows the step nearest to the store's `scale` without writing it back.
    void followScale(double scale);
    /// Draws the size block at the fade's current opacity.
    void applyFade();

    AppState *m_state;
    Switch *m_switch = nullptr;
    Switch *m_loginSwitch = nullptr;
    WrappedText *m_note = nullptr;
    QWidget *m_sizeBlock = nullptr;
    QSlider *m_slider = nullptr;
    QGraphicsOpacityEffect *m_fadeEffect = nullptr;
    EaseAnimation<double> m_fade;
};
