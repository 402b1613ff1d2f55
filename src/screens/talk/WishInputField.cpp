#include "WishInputField.h"

#include "Graphemes.h"
#include "Theme.h"
#include "WrappedText.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace {

/// Lines wrap between words, or anywhere in a word too long for a line, as shown text does.
constexpr QTextOption::WrapMode wrapMode = WrappedText::wrapMode;

/// Drops the last code point of `text`, both halves of a surrogate pair.
void chopCodePoint(QString &text)
{
    const qsizetype size = text.size();
    const bool pair = size >= 2 && text[size - 1].isLowSurrogate() && text[size - 2].isHighSurrogate();
    text.chop(pair ? 2 : 1);
}

bool isReturn(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

WishInputField::WishInputField(int maxLength, int maxLines, QWidget *parent)
    : QPlainTextEdit(parent), m_maxLength(maxLength), m_maxLines(maxLines)
{
    setFont(fieldFont());
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(wrapMode);
    setTabChangesFocus(true);
    document()->setDocumentMargin(0);
    setViewportMargins(0, 0, 0, 0);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Text, Theme::ink);
    palette.setColor(QPalette::Base, Qt::transparent);
    setPalette(palette);
    viewport()->setAutoFillBackground(false);
    setBackgroundVisible(false);
    m_fallback.setSingleShot(true);
    m_fallback.setInterval(commitFallbackMs);
    connect(&m_fallback, &QTimer::timeout, this, &WishInputField::commitFallback);
    connect(this, &QPlainTextEdit::textChanged, this, &WishInputField::followEdit);
}

QFont WishInputField::fieldFont()
{
    return Theme::handwriting(15);
}

int WishInputField::countLines(const QString &text, const QFont &font, qreal width)
{
    // As the field's plain-text layout does it: each paragraph its own layout, every line as wide as
    // the field (no margins), breaking between words or, for a word too long, anywhere.
    return WrappedText::lineCount(text, font, width);
}

void WishInputField::setText(const QString &text)
{
    if (isComposing() || text == toPlainText())
        return;
    m_applying = true;
    setPlainText(text);
    moveCursor(QTextCursor::End);
    m_applying = false;
    m_lastFitting = text;
}

bool WishInputField::isComposing() const
{
    const QTextLayout *layout = textCursor().block().layout();
    return layout && !layout->preeditAreaText().isEmpty();
}

int WishInputField::lineCount() const
{
    return countLines(toPlainText(), font(), measureWidth());
}

void WishInputField::keyPressEvent(QKeyEvent *event)
{
    if (!isReturn(event->key())) {
        typeKey(event);
        return;
    }
    event->accept();
    // A held key sends once; the keypad's Enter carries the keypad modifier, so test bits, not equality.
    if (!event->isAutoRepeat())
        handleReturn(event->modifiers() & (Qt::ShiftModifier | Qt::AltModifier));
}

QString WishInputField::shownText() const
{
    const QTextLayout *layout = textCursor().block().layout();
    if (!layout || layout->preeditAreaText().isEmpty())
        return toPlainText();
    QString shown = toPlainText();
    shown.insert(textCursor().position(), layout->preeditAreaText());
    return shown;
}

void WishInputField::send()
{
    handleReturn(false);
}

void WishInputField::handleReturn(bool newline)
{
    if (m_pendingReturn)
        return;
    if (isComposing()) {
        // Asking the input method to commit makes some double the syllable and others drop it:
        // reset it, take the commit it sends, and commit the syllable ourselves if none comes.
        m_pendingReturn = PendingReturn{newline, textCursor().block().layout()->preeditAreaText()};
        QGuiApplication::inputMethod()->reset();
        if (m_pendingReturn)
            m_fallback.start();
        return;
    }
    finishReturn(newline);
}

void WishInputField::inputMethodEvent(QInputMethodEvent *event)
{
    if (!m_lateDuplicate.isEmpty() && m_lateDuplicateAge.elapsed() > lateDuplicateMs)
        m_lateDuplicate.clear();
    if (!m_lateDuplicate.isEmpty() && event->commitString() == m_lateDuplicate) {
        // The syllable was committed already when the input method kept quiet; this is its late copy.
        m_lateDuplicate.clear();
        QInputMethodEvent withoutCommit(event->preeditString(), event->attributes());
        QPlainTextEdit::inputMethodEvent(&withoutCommit);
        event->accept();
        return;
    }
    const QString commit = event->commitString();
    const std::optional<QString> admitted = commit.isEmpty() ? std::optional(commit) : admissible(commit);
    if (admitted == commit) {
        QPlainTextEdit::inputMethodEvent(event);
    } else {
        // The syllable would pass a limit: what fits goes in, and the composition ends all the same.
        QInputMethodEvent cut(event->preeditString(), event->attributes());
        cut.setCommitString(admitted.value_or(QString()), event->replacementStart(),
                            event->replacementLength());
        QPlainTextEdit::inputMethodEvent(&cut);
        if (!admitted)
            moveCursor(QTextCursor::End);
    }
    if (m_pendingReturn && !commit.isEmpty()) {
        const bool newline = m_pendingReturn->newline;
        m_pendingReturn.reset();
        m_fallback.stop();
        finishReturn(newline);
    }
}

void WishInputField::showEvent(QShowEvent *event)
{
    QPlainTextEdit::showEvent(event);
    if (m_didFocus)
        return;
    // Later, once the window is up, so the focus lands in it.
    QTimer::singleShot(0, this, [this] {
        if (m_didFocus || !isVisible())
            return;
        m_didFocus = true;
        setFocus(Qt::OtherFocusReason);
    });
}

void WishInputField::insertFromMimeData(const QMimeData *source)
{
    if (!source || !source->hasText())
        return;
    insertAdmissible(source->text());
}

std::optional<QString> WishInputField::admissible(const QString &inserted) const
{
    const QString text = toPlainText();
    const QTextCursor cursor = textCursor();
    const QString before = text.left(cursor.selectionStart());
    const QString after = text.mid(cursor.selectionEnd());
    QString piece =
        Graphemes::bounded(inserted, std::max<qsizetype>(0, m_maxLength - Graphemes::count(before + after)));
    // Characters may join across the seams: drop whole characters while there are too many, and
    // code points while a joined one is too long.
    while (!piece.isEmpty() && !withinLength(before + piece + after)) {
        if (Graphemes::count(before + piece + after) > m_maxLength)
            piece = Graphemes::truncated(piece, Graphemes::count(piece) - 1);
        else
            chopCodePoint(piece);
    }
    if (piece.isEmpty() && !inserted.isEmpty())
        return QString();
    if (countLines(before + piece + after, font(), measureWidth()) > m_maxLines)
        return std::nullopt;
    return piece;
}

bool WishInputField::withinLength(const QString &text) const
{
    return Graphemes::bounded(text, m_maxLength) == text;
}

void WishInputField::insertAdmissible(const QString &inserted)
{
    const std::optional<QString> piece = admissible(inserted);
    if (!piece) {
        // Refused: the text stays as it was, the caret goes to its end.
        moveCursor(QTextCursor::End);
        return;
    }
    if (!piece->isEmpty())
        insertPlainText(*piece);
}

void WishInputField::typeKey(QKeyEvent *event)
{
    const QString typed = event->text();
    // Whole code points: an emoji arrives as a surrogate pair, a joiner as a format character.
    const char32_t first = typed.isEmpty() ? 0 : typed.toUcs4().first();
    const bool printable = (QChar::isPrint(first) || QChar::category(first) == QChar::Other_Format) &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
    if (!printable) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    insertAdmissible(typed);
}

void WishInputField::followEdit()
{
    if (m_applying)
        return;
    const bool composing = isComposing();
    if (composing != m_wasComposing) {
        m_wasComposing = composing;
        emit composingChanged(composing);
    }
    QString text = toPlainText();
    if (!composing) {
        if (!withinLength(text)) {
            text = Graphemes::bounded(text, m_maxLength);
            replaceAll(text);
        }
        if (countLines(text, font(), measureWidth()) > m_maxLines) {
            text = m_lastFitting;
            replaceAll(text);
        }
        m_lastFitting = text;
    }
    emit textEdited(text);
}

void WishInputField::replaceAll(const QString &text)
{
    m_applying = true;
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(text);
    cursor.endEditBlock();
    moveCursor(QTextCursor::End);
    m_applying = false;
}

void WishInputField::finishReturn(bool newline)
{
    if (newline) {
        // A real paragraph break; Qt's own Shift-Return would put U+2028 inside the line.
        insertAdmissible(QStringLiteral("\n"));
        return;
    }
    emit submitted(toPlainText());
}

void WishInputField::commitFallback()
{
    if (!m_pendingReturn)
        return;
    const PendingReturn pending = *m_pendingReturn;
    m_pendingReturn.reset();
    QInputMethodEvent commit;
    commit.setCommitString(pending.preedit);
    QPlainTextEdit::inputMethodEvent(&commit);
    m_lateDuplicate = pending.preedit;
    m_lateDuplicateAge.start();
    finishReturn(pending.newline);
}

qreal WishInputField::measureWidth() const
{
    return contentsRect().width();
}
