#include "AppState.h"
#include "ClockSteps.h"
#include "DrawingWishCanvas.h"
#include "ModeSwitch.h"
#include "SketchBox.h"
#include "SketchButton.h"
#include "SubmitButton.h"
#include "TalkView.h"
#include "Theme.h"
#include "WishHandOver.h"
#include "WishInputField.h"

#include <QAccessible>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;
using Mode = TalkView::InputMode;

namespace {

/// A talk screen on an in-memory store, shown at the panel's size.
struct Screen {
    AppState state{QString()};
    std::unique_ptr<TalkView> view;

    Screen()
    {
        state.setHasOnboarded(true);
        view = std::make_unique<TalkView>(&state);
        view->resize(320, 434);
        view->show();
    }

    QStringList texts() const
    {
        QStringList list;
        for (const Wish &wish : state.wishes())
            list.append(wish.text);
        return list;
    }
};

void type(QWidget *field, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(field, &press);
    }
}

DrawingStroke stroke(int points)
{
    DrawingStroke s;
    for (int i = 0; i < points; ++i)
        s.points.append({double(i), double(i)});
    return s;
}

} // namespace

class TestTalk : public QObject {
    Q_OBJECT

private slots:
    // Lines are counted in the shipped handwriting font, never in whatever face this machine has.
    void initTestCase()
    {
        Theme::registerFonts();
        QVERIFY(Theme::handwritingAvailable());
    }

    void cleanup()
    {
        qunsetenv("KIVVO_TALK");
        runClock(2);
    }

    void initialMode_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("mode");
        QTest::newRow("drawing") << "drawing"_ba << int(Mode::drawing);
        QTest::newRow("other case") << "Drawing"_ba << int(Mode::text);
        QTest::newRow("absent") << QByteArray() << int(Mode::text);
    }

    void initialMode()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, mode);
        if (!value.isNull())
            qputenv("KIVVO_TALK", value);
        Screen screen;
        QCOMPARE(int(screen.view->mode()), mode);
        QCOMPARE(int(screen.view->modeSwitch()->mode()), mode);
        QCOMPARE(screen.view->canvas()->isVisible(), mode == int(Mode::drawing));
    }

    void sendingAWish()
    {
        Screen screen;
        QSignalSpy handedOver(WishHandOver::of(&screen.state), &WishHandOver::handedOver);
        WishInputField *field = screen.view->field();
        type(field, u"  소원  "_s);
        QVERIFY(screen.view->canSubmit());
        QTRY_VERIFY(screen.view->submitButton()->isOffered());
        // Reached by Tab, "속닥이기" shows it has the keyboard.
        runClock(1);
        screen.view->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(screen.view->window()));
        const QImage unfocused = screen.view->submitButton()->grab().toImage();
        screen.view->submitButton()->setFocus(Qt::TabFocusReason);
        QVERIFY(screen.view->submitButton()->grab().toImage() != unfocused);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);
        // Stored trimmed, and the box is empty before the key is done with: a second Return sends nothing.
        QCOMPARE(screen.texts(), QStringList{u"소원"_s});
        QCOMPARE(field->text(), QString());
        QVERIFY(screen.view->placeholderLabel()->isVisible());
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(screen.texts().size(), 1);
        // The rock hops, and the tower hears of the wish 0.3 s after it was stored.
        runClock(0.1);
        QVERIFY(screen.view->bounce() > 0.3);
        QCOMPARE(handedOver.count(), 0);
        runClock(0.25);
        QCOMPARE(handedOver.count(), 1);
        QCOMPARE(handedOver.first().first().toUuid(), screen.state.wishes().first().id);
        runClock(2);
        QCOMPARE(screen.view->bounce(), 0.0);
    }

    void handOverOutlivesTheScreen()
    {
        Screen screen;
        QSignalSpy handedOver(WishHandOver::of(&screen.state), &WishHandOver::handedOver);
        screen.view->submit(u"빨리 닫기"_s);
        screen.view.reset();
        runClock(0.35);
        QCOMPARE(handedOver.count(), 1);
    }

    void blankTextIsNeverSent_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("spaces") << u"   "_s;
        QTest::newRow("spaces and breaks") << u" \n \n"_s;
        QTest::newRow("empty") << QString();
    }

    void blankTextIsNeverSent()
    {
        QFETCH(QString, text);
        Screen screen;
        screen.view->field()->insertPlainText(text);
        QVERIFY(!screen.view->canSubmit());
        QVERIFY(!screen.view->submitButton()->isOffered());
        QTest::keyClick(screen.view->field(), Qt::Key_Return);
        screen.view->submit(text);
        QVERIFY(screen.state.wishes().isEmpty());
    }

    void placeholderShowsOnlyForAnEmptyText()
    {
        Screen screen;
        QLabel *hint = screen.view->placeholderLabel();
        QCOMPARE(hint->text(), u"소원은 말할수록 선명해져."_s);
        QVERIFY(hint->isVisible());
        type(screen.view->field(), u" "_s);
        QVERIFY(!hint->isVisible()); // a single space hides it
        screen.view->field()->setText(QString());
        QInputMethodEvent composing(u"ㅎ"_s, {});
        QCoreApplication::sendEvent(screen.view->field(), &composing);
        QVERIFY(!hint->isVisible()); // and so does a syllable being composed
        QInputMethodEvent commit;
        commit.setCommitString(QString());
        QCoreApplication::sendEvent(screen.view->field(), &commit);
        QVERIFY(hint->isVisible());
    }

    void composerHeightFollowsTheLines()
    {
        Screen screen;
        TalkView *view = screen.view.get();
        // The hint is what is measured while empty: one line.
        QCOMPARE(view->estimatedTextLineCount(), 1);
        QCOMPARE(view->composer()->height(), 44);
        view->field()->setText(u"가\n나"_s);
        type(view->field(), u"다"_s);
        QCOMPARE(view->estimatedTextLineCount(), 2);
        QCOMPARE(view->composer()->height(), 66);
        type(view->field(), u"\n"_s); // not a break: Return is a key, text "\n" is not printable
        view->field()->setText(QString());
        for (int i = 0; i < 50 && view->field()->lineCount() < 3; ++i)
            type(view->field(), u"가"_s);
        QCOMPARE(view->estimatedTextLineCount(), 3);
        QCOMPARE(view->composer()->height(), 88);
        runClock(1);
        // All three lines show at once: the first has not scrolled away under the box's edge.
        QCOMPARE(view->field()->verticalScrollBar()->value(), 0);
        QVERIFY(view->field()->cursorRect().bottom() <= view->field()->viewport()->height());
        // The box and the field count lines the same way, at the same width.
        QCOMPARE(view->field()->width(), TalkView::textInputMeasureWidth);
        QCOMPARE(view->field()->lineCount(), view->estimatedTextLineCount());
        view->setMode(Mode::drawing);
        runClock(1);
        QCOMPARE(view->composer()->height(), 88);
    }

    // The handwriting is as large as it can be while a whole wish of wide syllables fits the box.
    void fiftyWideSyllablesFitTheBox()
    {
        Screen screen;
        type(screen.view->field(), u"가나다라마바사아자차"_s.repeated(6));
        QCOMPARE(screen.view->field()->text(), u"가나다라마바사아자차"_s.repeated(5));
        QCOMPARE(screen.view->estimatedTextLineCount(), 3);
    }

    void modesKeepEachOthersWork()
    {
        Screen screen;
        TalkView *view = screen.view.get();
        type(view->field(), u"글"_s);
        view->setMode(Mode::drawing);
        QVERIFY(!view->eraseButton()->isVisible());
        view->canvas()->setStrokes({stroke(3)});
        QVERIFY(view->canSubmitDrawing());
        QVERIFY(view->eraseButton()->isVisible());
        QVERIFY(view->submitButton()->isOffered());
        view->setMode(Mode::text);
        QCOMPARE(view->text(), u"글"_s);
        QVERIFY(!view->eraseButton()->isVisible());
        view->setMode(Mode::drawing);
        QCOMPARE(view->canvas()->strokes().size(), 1);
        QTest::mouseClick(view->eraseButton(), Qt::LeftButton);
        QVERIFY(view->canvas()->strokes().isEmpty());
        QVERIFY(!view->submitButton()->isOffered());
    }

    void drawingsNeedAPoint_data()
    {
        QTest::addColumn<QList<DrawingStroke>>("strokes");
        QTest::addColumn<bool>("sent");
        QTest::newRow("nothing") << QList<DrawingStroke>{} << false;
        QTest::newRow("taps without points") << QList<DrawingStroke>{stroke(0), stroke(0)} << false;
        QTest::newRow("one point") << QList<DrawingStroke>{stroke(0), stroke(1)} << false;
        const DrawingStroke still{{{5, 5}, {5, 5}, {5, 5}}};
        QTest::newRow("points on one spot") << QList<DrawingStroke>{still, stroke(0)} << false;
        QTest::newRow("two points") << QList<DrawingStroke>{stroke(0), stroke(2)} << true;
    }

    void drawingsNeedAPoint()
    {
        QFETCH(QList<DrawingStroke>, strokes);
        QFETCH(bool, sent);
        qputenv("KIVVO_TALK", "drawing");
        Screen screen;
        screen.view->canvas()->setStrokes(strokes);
        QCOMPARE(screen.view->canSubmitDrawing(), sent);
        screen.view->submitDrawing();
        QCOMPARE(screen.state.wishes().size(), sent ? 1 : 0);
        if (sent) {
            // Stored without the empty strokes; the pad is cleared.
            QCOMPARE(screen.state.wishes().first().drawingStrokes->size(), 1);
            QVERIFY(screen.view->canvas()->strokes().isEmpty());
        }
    }

    void drawingByPointer_data()
    {
        QTest::addColumn<QList<QList<QPoint>>>("drags"); // each drag: press, moves, release
        QTest::addColumn<bool>("sendable");
        QTest::newRow("a click") << QList<QList<QPoint>>{{{40, 40}}} << false;
        QTest::newRow("two clicks") << QList<QList<QPoint>>{{{40, 40}}, {{60, 50}}} << false;
        QTest::newRow("a drag on one spot") << QList<QList<QPoint>>{{{40, 40}, {40, 40}}} << false;
        QTest::newRow("a short line") << QList<QList<QPoint>>{{{40, 40}, {42, 40}}} << true;
        QTest::newRow("a click, then a line")
            << QList<QList<QPoint>>{{{10, 10}}, {{40, 40}, {60, 50}}} << true;
    }

    /// The pad offers its drawing to send, with the erase button, once a stroke shows; a click alone
    /// leaves an invisible dot and offers nothing.
    void drawingByPointer()
    {
        QFETCH(QList<QList<QPoint>>, drags);
        QFETCH(bool, sendable);
        qputenv("KIVVO_TALK", "drawing");
        Screen screen;
        QCoreApplication::processEvents();
        DrawingWishCanvas *pad = screen.view->canvas();
        for (const QList<QPoint> &drag : drags) {
            QTest::mousePress(pad, Qt::LeftButton, {}, drag.first());
            for (const QPoint &to : drag.mid(1))
                QTest::mouseMove(pad, to);
            QTest::mouseRelease(pad, Qt::LeftButton, {}, drag.last());
        }
        QCOMPARE(screen.view->canSubmitDrawing(), sendable);
        QCOMPARE(screen.view->eraseButton()->isVisible(), sendable);
        QCOMPARE(screen.view->submitButton()->isOffered(), sendable);
        screen.view->submitDrawing();
        QCOMPARE(screen.state.wishes().size(), sendable ? 1 : 0);
    }

    void submitButtonSendsAndIsNamed()
    {
        Screen screen;
        SubmitButton *button = screen.view->submitButton();
        QCOMPARE(button->accessibleName(), u"속닥이기"_s);
        QCOMPARE(button->size(), QSize(28, 28));
        type(screen.view->field(), u"별"_s);
        runClock(1);
        QCOMPARE(button->presence(), 1.0);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(screen.texts(), QStringList{u"별"_s});
        // Gone with the text, it takes no more clicks.
        QVERIFY(button->testAttribute(Qt::WA_TransparentForMouseEvents));
    }

    void arrowSendsTheSyllableBeingComposed_data()
    {
        QTest::addColumn<QString>("committed");
        QTest::addColumn<QString>("composing");
        QTest::addColumn<QString>("stored");
        QTest::newRow("last syllable") << u"사랑"_s << u"해"_s << u"사랑해"_s;
        QTest::newRow("only syllable") << QString() << u"별"_s << u"별"_s;
    }

    // Korean input methods keep the last syllable composing until the next key: the arrow must send it.
    void arrowSendsTheSyllableBeingComposed()
    {
        QFETCH(QString, committed);
        QFETCH(QString, composing);
        QFETCH(QString, stored);
        Screen screen;
        WishInputField *field = screen.view->field();
        type(field, committed);
        QInputMethodEvent preedit(composing, {});
        QCoreApplication::sendEvent(field, &preedit);
        runClock(1);
        QCOMPARE(screen.view->submitButton()->presence(), 1.0);
        QTest::mouseClick(screen.view->submitButton(), Qt::LeftButton);
        // No input method answers here: the syllable on show goes in once the fallback runs out.
        QTRY_COMPARE_WITH_TIMEOUT(screen.texts(), QStringList{stored}, 2000);
        QCOMPARE(field->shownText(), QString());
    }

    void modeSwitchIsOneNamedControl()
    {
        Screen screen;
        ModeSwitch *control = screen.view->modeSwitch();
        QCOMPARE(control->size(), QSize(88, 40));
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Name), u"입력 방식"_s);
        QCOMPARE(accessible->text(QAccessible::Value), u"글"_s);
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(66, 20));
        QCOMPARE(screen.view->mode(), Mode::drawing);
        QCOMPARE(accessible->text(QAccessible::Value), u"그림"_s);
        runClock(0.05);
        QVERIFY(control->knob() > 0 && control->knob() < 1);
        runClock(1);
        QCOMPARE(control->knob(), 1.0);
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(10, 20));
        QCOMPARE(screen.view->mode(), Mode::text);
    }
};

QTEST_MAIN(TestTalk)
#include "tst_talk.moc"
