#pragma once

#include "DrawingStroke.h"
#include "ModeSwitch.h"
#include "Motion.h"
#include "SpringAnimation.h"
#include "Wish.h"

#include <QUuid>
#include <QWidget>

class AppState;
class DrawingWishCanvas;
class QLabel;
class SketchBox;
class SketchButton;
class SubmitButton;
class WishInputField;

/// The screen on which a wish is told: the rock at the top says it keeps secrets, and below it the
/// wish is written in a box of one to three lines or drawn on a small pad. A told wish is stored at
/// once; the rock hops, and a moment later the store's `WishHandOver` hands its id on to the tower.
class TalkView : public QWidget {
    Q_OBJECT

public:
    using InputMode = ModeSwitch::Mode;

    /// Longest text wish, in characters as people count them.
    static constexpr int maxWishLength = Wish::maxLength;
    /// The text box: a line's height, the space above and below the text, and its most lines.
    static constexpr int textComposerLineStep = 22;
    static constexpr int textComposerVerticalPadding = 11;
    static constexpr int textComposerMaxLines = 3;
    /// Space above and below the drawing pad, and the corner of its clip.
    static constexpr int drawingComposerVerticalPadding = 0;
    static constexpr int composerCorner = 18;
    /// The text area's width, at which lines are counted: the column less the box's insets.
    static constexpr int textInputMeasureWidth = 210;
    /// The screen's own height; the panel may cut it at the bottom.
    static constexpr int screenHeight = 378;
    /// The hand-over comes this long after the wish was stored.
    static constexpr double handOverDelay = 0.3;

    /// The hint in the empty text box, and over the empty pad.
    static QString placeholder();
    static QString drawingPlaceholder();

    /// Opens in drawing mode when KIVVO_TALK is exactly "drawing", else in text mode.
    explicit TalkView(AppState *state, QWidget *parent = nullptr);

    /// The mode the screen starts in, from the environment.
    static InputMode initialMode();
    InputMode mode() const { return m_mode; }
    /// Switches the composer; the text and the strokes both stay.
    void setMode(InputMode mode);

    /// The text being typed (committed; a syllable being composed is not in it).
    const QString &text() const { return m_text; }
    /// Whether the text holds more than white space and line breaks.
    bool canSubmit() const;
    /// Whether some stroke shows: it has two distinct points.
    bool canSubmitDrawing() const;
    /// Lines the text box shows: the text's (the hint's while empty) at the text area's width, 1 to 3.
    int estimatedTextLineCount() const;

    /// Tells `text` as a wish; nothing when it is only white space.
    void submit(const QString &text);
    /// Tells the drawing as a wish; nothing when no stroke shows.
    void submitDrawing();
    /// The wish `id` was stored: the rock hops and the id is handed on shortly.
    void completeSubmit(const QUuid &id);

    /// The parts, for tests and the preview.
    WishInputField *field() const { return m_field; }
    DrawingWishCanvas *canvas() const { return m_canvas; }
    SubmitButton *submitButton() const { return m_submit; }
    ModeSwitch *modeSwitch() const { return m_modeSwitch; }
    SketchButton *eraseButton() const { return m_erase; }
    QLabel *placeholderLabel() const { return m_placeholder; }
    SketchBox *composer() const { return m_composer; }
    /// The rock's hop: 0 at rest, 1 grown by a tenth.
    double bounce() const { return m_bounce.value(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    /// The composer box with the field, the pad, their hints and the submit button.
    void makeComposer();
    /// The row at the bottom: "지우기" and the mode switch.
    void makeBottomRow();
    /// Takes a user edit of the text.
    void followText(const QString &text);
    /// Takes the pad's strokes.
    void followStrokes();
    /// Shows what the mode and the contents call for: hints, button, eraser, the composer's height.
    void applyComposer(const Motion &motion);
    /// Puts the parts in place.
    void arrange();
    /// The box's height for the current mode and text.
    int composerHeight() const;
    /// Top of the composer: under the rock and the speech.
    int composerTop() const;
    /// The rock at the top, grown about its bottom centre while it hops.
    void paintRockAtTop(QPainter &painter);
    /// The rock's line, centred, 4 points between lines.
    void paintSpeech(QPainter &painter);
    /// Height the rock's line takes at the column's width.
    double speechHeight() const;

    AppState *m_state;
    InputMode m_mode;
    QString m_text;
    bool m_composing = false;
    int m_lines = 1;           ///< the text box's lines, measured when the text changes
    double m_speechHeight = 0; ///< the rock's line laid out, measured when the width changes
    QWidget *m_speechText = nullptr; ///< the rock's line for assistive technology; paints nothing
    QSize m_canvasMaskSize;    ///< the pad size its rounded mask was made for

    SketchBox *m_composer = nullptr;
    WishInputField *m_field = nullptr;
    QLabel *m_placeholder = nullptr;
    DrawingWishCanvas *m_canvas = nullptr;
    QLabel *m_drawingPlaceholder = nullptr;
    SubmitButton *m_submit = nullptr;
    SketchButton *m_erase = nullptr;
    ModeSwitch *m_modeSwitch = nullptr;
    SpringAnimation<double> m_bounce;    ///< 0 at rest, 1 hopped
    MotionAnimation<double> m_boxHeight; ///< the composer's height, animated
};
