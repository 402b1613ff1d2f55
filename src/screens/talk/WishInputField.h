#pragma once

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTimer>

#include <optional>

/// The talk screen's text box. Return sends the whole text; Shift- or Alt-Return breaks the line. The
/// text never grows past a number of characters (as people count them) or of laid-out lines: a refused
/// edit is undone on the spot, with the caret at the end. While an input method composes a syllable no
/// limit applies, and Return first lets the syllable become text, exactly once.
///
/// Plain text only, no frame, no margins: the text starts at the field's top left and wraps at its
/// right edge, exactly as `countLines` lays it out.
class WishInputField : public QPlainTextEdit {
    Q_OBJECT

public:
    /// How long Return waits for an input method's own commit before committing the syllable it saw.
    static constexpr int commitFallbackMs = 120;
    /// A commit of the same syllable arriving this soon after the fallback committed it is a duplicate.
    static constexpr int lateDuplicateMs = 1500;

    /// A field of at most `maxLength` characters in at most `maxLines` lines.
    WishInputField(int maxLength, int maxLines, QWidget *parent = nullptr);

    /// The field's font: the handwriting font at 15 points (Qt falls back to the system's when missing).
    static QFont fieldFont();
    /// Lines `text` takes in `font` wrapped at `width`, laid out as the field lays out its own text
    /// (an empty text and the empty line after a trailing break count). The talk screen sizes its box
    /// with the same function, so the box and the limit never disagree.
    static int countLines(const QString &text, const QFont &font, qreal width);

    int maxLength() const { return m_maxLength; }
    int maxLines() const { return m_maxLines; }
    /// The committed text (a syllable being composed is not in it).
    QString text() const { return toPlainText(); }
    /// What the user sees: the committed text with the syllable being composed at the caret.
    QString shownText() const;
    /// Sends what the user sees, exactly as Return does: a syllable being composed becomes text first.
    void send();
    /// Puts `text` in the field from outside, the caret at its end. Ignored while composing: the
    /// composition would be lost.
    void setText(const QString &text);
    /// Whether an input method is composing.
    bool isComposing() const;
    /// Lines the committed text takes at the field's width.
    int lineCount() const;

signals:
    /// Return was pressed: the whole committed text, as it is.
    void submitted(const QString &text);
    /// The user changed the text; it is within the limits (unless composing).
    void textEdited(const QString &text);
    /// Composition started or ended.
    void composingChanged(bool composing);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    /// Once the field is in a shown window it asks for the keyboard, once.
    void showEvent(QShowEvent *event) override;
    /// Anything pasted or dropped arrives as plain text.
    void insertFromMimeData(const QMimeData *source) override;

private:
    struct PendingReturn {
        bool newline;
        QString preedit; ///< the syllable on show when Return came
    };

    /// What of `inserted` may replace the selection: cut to the characters left (never inside one),
    /// each character cut to its longest, none when the text would take too many lines.
    std::optional<QString> admissible(const QString &inserted) const;
    /// Whether `text` keeps to the character limit, every character of it no longer than allowed.
    bool withinLength(const QString &text) const;
    /// Inserts what of `inserted` is admissible; a refusal leaves the text and puts the caret at its end.
    void insertAdmissible(const QString &inserted);
    /// A key that is not Return: printable text goes in through the limits, anything else as usual.
    void typeKey(QKeyEvent *event);
    /// Reports a user edit; a text past the limits that came in another way is put right.
    void followEdit();
    /// Replaces the whole text, the caret at its end.
    void replaceAll(const QString &text);
    /// Return, from the key or from `send`: waits for a syllable being composed, then acts.
    void handleReturn(bool newline);
    /// Return's action once no syllable is pending: a line break, or sending.
    void finishReturn(bool newline);
    /// The input method sent no commit: the syllable seen at Return becomes text.
    void commitFallback();
    /// The width lines wrap at: the field's own.
    qreal measureWidth() const;

    int m_maxLength;
    int m_maxLines;
    QString m_lastFitting;   ///< the last text within the limits
    bool m_applying = false; ///< the field is changing its own text: not a user edit
    bool m_didFocus = false;
    bool m_wasComposing = false;
    std::optional<PendingReturn> m_pendingReturn;
    QTimer m_fallback;
    QString m_lateDuplicate; ///< committed by the fallback; the input method's own copy is dropped
    QElapsedTimer m_lateDuplicateAge;
};
