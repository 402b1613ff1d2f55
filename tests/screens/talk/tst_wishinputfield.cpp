#include "Theme.h"
#include "WishInputField.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPlainTextDocumentLayout>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

/// A shown field of 50 characters in 3 lines, 210 wide as on the talk screen.
std::unique_ptr<WishInputField> shownField()
{
    auto field = std::make_unique<WishInputField>(50, 3);
    field->resize(210, 66);
    field->show();
    return field;
}

void sendPreedit(QWidget *field, const QString &preedit)
{
    QInputMethodEvent event(preedit, {});
    QCoreApplication::sendEvent(field, &event);
}

void sendCommit(QWidget *field, const QString &commit)
{
    QInputMethodEvent event;
    event.setCommitString(commit);
    QCoreApplication::sendEvent(field, &event);
}

/// Types `text` key by key, one code point a key, as a keyboard layout that has its characters would.
void type(QWidget *field, const QString &text)
{
    for (const char32_t codePoint : text.toUcs4()) {
        const QString key = QString::fromUcs4(&codePoint, 1);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, key);
        QCoreApplication::sendEvent(field, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, key);
        QCoreApplication::sendEvent(field, &release);
    }
}

void paste(WishInputField *field, const QString &text, const QString &html = {})
{
    auto *data = new QMimeData;
    data->setText(text);
    if (!html.isEmpty())
        data->setHtml(html);
    QGuiApplication::clipboard()->setMimeData(data);
    field->paste();
}

} // namespace

class TestWishInputField : public QObject {
    Q_OBJECT

private slots:
    // Lines are counted in the shipped handwriting font, never in whatever face this machine has.
    void initTestCase()
    {
        Theme::registerFonts();
        QVERIFY(Theme::handwritingAvailable());
    }

    void returnKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("sends");
        QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier) << true;
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << true;
        QTest::newRow("Shift-Return") << int(Qt::Key_Return) << int(Qt::ShiftModifier) << false;
        QTest::newRow("Alt-Return") << int(Qt::Key_Return) << int(Qt::AltModifier) << false;
        QTest::newRow("Shift and keypad Enter")
            << int(Qt::Key_Enter) << int(Qt::ShiftModifier | Qt::KeypadModifier) << false;
        QTest::newRow("Control-Return sends") << int(Qt::Key_Return) << int(Qt::ControlModifier) << true;
    }

    void returnKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, sends);
        auto field = shownField();
        type(field.get(), u"소원"_s);
        QSignalSpy submitted(field.get(), &WishInputField::submitted);
        QTest::keyClick(field.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(submitted.count(), sends ? 1 : 0);
        if (sends) {
            QCOMPARE(submitted.first().first().toString(), u"소원"_s);
            QCOMPARE(field->text(), u"소원"_s); // sending alone changes nothing; the screen clears it
        } else {
            // A real line break, not Qt's in-line separator.
            QCOMPARE(field->text(), u"소원\n"_s);
            QCOMPARE(field->document()->blockCount(), 2);
        }
    }

    void heldReturnSendsNothing()
    {
        auto field = shownField();
        type(field.get(), u"a"_s);
        QSignalSpy submitted(field.get(), &WishInputField::submitted);
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, u"\r"_s, true);
        QCoreApplication::sendEvent(field.get(), &repeat);
        QCOMPARE(submitted.count(), 0);
        QCOMPARE(field->text(), u"a"_s);
    }

    void syllableCommittedBeforeReturn()
    {
        // What real input methods do: the syllable becomes text, then Return arrives.
        auto field = shownField();
        QSignalSpy submitted(field.get(), &WishInputField::submitted);
        sendPreedit(field.get(), u"ㅎ"_s);
        sendPreedit(field.get(), u"하"_s);
        QVERIFY(field->isComposing());
        QCOMPARE(field->text(), QString());
        sendPreedit(field.get(), u"한"_s);
        sendCommit(field.get(), u"한"_s);
        QVERIFY(!field->isComposing());
        QTest::keyClick(field.get(), Qt::Key_Return);
        QCOMPARE(submitted.count(), 1);
        QCOMPARE(submitted.first().first().toString(), u"한"_s);
    }

    void returnWhileComposing_data()
    {
        QTest::addColumn<bool>("inputMethodCommits");
        QTest::newRow("the input method commits after the reset") << true;
        QTest::newRow("the input method stays silent") << false;
    }

    void returnWhileComposing()
    {
        QFETCH(bool, inputMethodCommits);
        auto field = shownField();
        type(field.get(), u"안녕"_s);
        QSignalSpy submitted(field.get(), &WishInputField::submitted);
        sendPreedit(field.get(), u"하"_s);
        QTest::keyClick(field.get(), Qt::Key_Return);
        // A second Return before the syllable settles sends nothing more.
        QTest::keyClick(field.get(), Qt::Key_Return);
        QCOMPARE(submitted.count(), 0);
        if (inputMethodCommits)
            sendCommit(field.get(), u"하"_s);
        else
            QTest::qWait(WishInputField::commitFallbackMs + 80);
        QCOMPARE(submitted.count(), 1);
        QCOMPARE(submitted.first().first().toString(), u"안녕하"_s);
        QVERIFY(!field->isComposing());
        // A late copy of the syllable from the input method is not typed twice.
        sendCommit(field.get(), u"하"_s);
        QCOMPARE(field->text(), inputMethodCommits ? u"안녕하하"_s : u"안녕하"_s);
        QTest::qWait(WishInputField::commitFallbackMs + 80);
        QCOMPARE(submitted.count(), 1);
    }

    void shiftReturnWhileComposingBreaksAfterTheSyllable()
    {
        auto field = shownField();
        sendPreedit(field.get(), u"녕"_s);
        QTest::keyClick(field.get(), Qt::Key_Return, Qt::ShiftModifier);
        sendCommit(field.get(), u"녕"_s);
        QCOMPARE(field->text(), u"녕\n"_s);
    }

    void pasteKeepsFiftyCharacters_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("kept");
        QTest::newRow("80 letters") << QString(80, u'a') << QString(50, u'a');
        QTest::newRow("emoji never split")
            << QString(49, u'a') + u"👨‍👩‍👧‍👦👨‍👩‍👧‍👦"_s
            << QString(49, u'a') + u"👨‍👩‍👧‍👦"_s;
        QTest::newRow("fifty emoji fit") << u"😀"_s.repeated(50) << u"😀"_s.repeated(50);
    }

    void pasteKeepsFiftyCharacters()
    {
        QFETCH(QString, pasted);
        QFETCH(QString, kept);
        auto field = std::make_unique<WishInputField>(50, 3);
        field->resize(2000, 66); // wide enough that only the length limit applies
        field->show();
        QSignalSpy edited(field.get(), &WishInputField::textEdited);
        paste(field.get(), pasted);
        QCOMPARE(field->text(), kept);
        QCOMPARE(edited.last().first().toString(), kept);
        QCOMPARE(field->textCursor().position(), kept.size());
    }

    void longCharactersAreCut_data()
    {
        QTest::addColumn<QString>("way"); // "typed", "pasted" or "committed"
        QTest::addColumn<QString>("entered");
        QTest::addColumn<QString>("kept");
        const QString accented = u"a"_s + QString(10000, QChar(0x0301));
        const QString women = QStringList(300, u"👩"_s).join(QChar(0x200D));
        const QString hangul = u"올해는 꼭 건강하기"_s;
        const QString emoji = u"👨‍👩‍👧‍👦😵‍💫"_s;
        for (const QString &way : {u"typed"_s, u"pasted"_s, u"committed"_s}) {
            const QByteArray name = way.toUtf8();
            // A character is cut after 32 code points: the letter and 31 accents, 16 women and joiners.
            QTest::addRow("%s: a letter under 10,000 accents", name.data())
                << way << accented << u"a"_s + QString(31, QChar(0x0301));
            QTest::addRow("%s: 300 joined women", name.data()) << way << women << u"👩\u200D"_s.repeated(16);
            QTest::addRow("%s: hangul", name.data()) << way << hangul << hangul;
            QTest::addRow("%s: joined emoji", name.data()) << way << emoji << emoji;
        }
    }

    /// However it comes in, a character of thousands of code points is kept only as far as it is shown.
    void longCharactersAreCut()
    {
        QFETCH(QString, way);
        QFETCH(QString, entered);
        QFETCH(QString, kept);
        auto field = std::make_unique<WishInputField>(50, 3);
        field->resize(2000, 66); // wide enough that only the length limit applies
        field->show();
        QSignalSpy edited(field.get(), &WishInputField::textEdited);
        if (way == u"typed"_s)
            type(field.get(), entered);
        else if (way == u"pasted"_s)
            paste(field.get(), entered);
        else
            sendCommit(field.get(), entered);
        QCOMPARE(field->text(), kept);
        QCOMPARE(edited.last().first().toString(), kept);
        QCOMPARE(field->textCursor().position(), kept.size());
    }

    void richPasteArrivesPlain()
    {
        auto field = shownField();
        paste(field.get(), u"굵게"_s, u"<b>굵게</b><img src=\"x.png\">"_s);
        QCOMPARE(field->text(), u"굵게"_s);
        QVERIFY(field->document()->toHtml().contains(u"굵게"_s));
        QVERIFY(!field->document()->toHtml().contains(u"<img"_s));
    }

    void fourthLineIsRefused()
    {
        auto field = shownField();
        type(field.get(), u"a"_s);
        QTest::keyClick(field.get(), Qt::Key_Return, Qt::ShiftModifier);
        type(field.get(), u"b"_s);
        QTest::keyClick(field.get(), Qt::Key_Return, Qt::ShiftModifier);
        type(field.get(), u"c"_s);
        QCOMPARE(field->lineCount(), 3);
        // Put the caret at the start, so the refusal visibly moves it to the end.
        field->moveCursor(QTextCursor::Start);
        QTest::keyClick(field.get(), Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(field->text(), u"a\nb\nc"_s);
        QCOMPARE(field->textCursor().position(), 5);
        // A line that wraps past the third is refused too.
        type(field.get(), QString(40, u'가'));
        QCOMPARE(field->lineCount(), 3);
        QVERIFY(field->text().startsWith(u"a\nb\nc"_s));
        // Undo still works after a refusal, and never brings back a text past the limits.
        for (int i = 0; i < 10 && !field->text().isEmpty(); ++i) {
            field->undo();
            QVERIFY(field->lineCount() <= 3);
        }
        QVERIFY(field->text().size() < 5);
    }

    void undoGoesThroughTheLimits()
    {
        auto field = std::make_unique<WishInputField>(50, 3);
        field->resize(2000, 66);
        field->show();
        paste(field.get(), QString(80, u'x'));
        QCOMPARE(field->text().size(), 50);
        field->undo();
        QCOMPARE(field->text(), QString());
        // The 80 never went in, so no redo can bring them.
        field->redo();
        QCOMPARE(field->text(), QString(50, u'x'));
    }

    void noLimitsWhileComposing()
    {
        auto field = std::make_unique<WishInputField>(3, 3);
        field->resize(2000, 66);
        field->show();
        type(field.get(), u"가나다"_s);
        sendPreedit(field.get(), u"라"_s);
        QVERIFY(field->isComposing());
        QCOMPARE(field->text(), u"가나다"_s);
        sendCommit(field.get(), u"라"_s);
        QCOMPARE(field->text(), u"가나다"_s);
    }

    void settingTextFromOutside()
    {
        auto field = shownField();
        QSignalSpy edited(field.get(), &WishInputField::textEdited);
        field->setText(u"둘\n줄"_s);
        QCOMPARE(field->textCursor().position(), 3);
        QCOMPARE(edited.count(), 0); // not a user edit
        field->setText(QString());
        QCOMPARE(field->text(), QString());
        // While composing, the syllable would be lost: the field keeps it.
        sendPreedit(field.get(), u"가"_s);
        field->setText(u"x"_s);
        QVERIFY(field->isComposing());
        QCOMPARE(field->text(), QString());
    }

    void countingLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lines");
        QTest::newRow("empty") << QString() << 1;
        QTest::newRow("one word") << u"소원"_s << 1;
        QTest::newRow("trailing break") << u"가\n나\n다\n"_s << 4;
    }

    void countingMatchesWhatTheFieldShows_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("short") << u"매일 산책 30분"_s;
        QTest::newRow("long Korean") << u"올해는 마음이 단단해지기 그리고 가족 모두 건강하기 매일 산책"_s;
        QTest::newRow("one long word") << QString(45, u'가');
        QTest::newRow("latin words") << u"walk every day and laugh more often with friends"_s;
        QTest::newRow("breaks") << u"가\n\n나다라마바사아자차카타파하가나다라마바사"_s;
    }

    void countingMatchesWhatTheFieldShows()
    {
        QFETCH(QString, text);
        auto field = std::make_unique<WishInputField>(1000, 100);
        field->resize(210, 300);
        field->show();
        field->setText(text);
        auto *layout = qobject_cast<QPlainTextDocumentLayout *>(field->document()->documentLayout());
        QVERIFY(layout);
        int shown = 0;
        for (QTextBlock block = field->document()->begin(); block.isValid(); block = block.next()) {
            layout->ensureBlockLayout(block);
            shown += block.layout()->lineCount();
        }
        QVERIFY(shown >= 1);
        QCOMPARE(WishInputField::countLines(text, WishInputField::fieldFont(), 210), shown);
        QCOMPARE(field->lineCount(), shown);
    }

    void countingLines()
    {
        QFETCH(QString, text);
        QFETCH(int, lines);
        QCOMPARE(WishInputField::countLines(text, WishInputField::fieldFont(), 210), lines);
    }

    void asksForTheKeyboardOnceShown()
    {
        QWidget window;
        auto *field = new WishInputField(50, 3, &window);
        window.show();
        QTRY_COMPARE(window.focusWidget(), field);
    }
};

QTEST_MAIN(TestWishInputField)
#include "tst_wishinputfield.moc"
