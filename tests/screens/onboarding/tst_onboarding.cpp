#include "AnimationClock.h"
#include "AppState.h"
#include "OnboardingView.h"
#include "PreviewSwitches.h"
#include "RockDrawingCanvas.h"
#include "SketchButton.h"
#include "Theme.h"

#include <QAccessible>
#include <QLabel>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>
#include <numbers>

using namespace Qt::Literals::StringLiterals;
using Step = OnboardingView::Step;
using RockChoice = OnboardingView::RockChoice;

namespace {

const QString traceHint = u"선을 따라 그려봐."_s;
const QString aroundFaceHint = u"표정 둘레를 한 바퀴 그려줘."_s;
const QString likeItHint = u"마음에 들어?"_s;
const QString takeDrawn = u"내가 그린 돌 데려가기"_s;
const QString again = u"다시 그리기"_s;
const QByteArray unset; ///< null: the environment variable is not set at all
const QByteArray on = "1"_ba;

void setEnv(const char *name, const QByteArray &value)
{
    value.isNull() ? qunsetenv(name) : qputenv(name, value);
}

/// The sketch button labelled `text` on the page on screen, or null. Runs postponed deletions first,
/// as the event loop would.
SketchButton *button(QWidget *root, const QString &text)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (SketchButton *candidate : root->findChildren<SketchButton *>())
        if (candidate->text() == text && candidate->isVisible())
            return candidate;
    return nullptr;
}

/// Clicks the button `button` finds; false when there is none to click.
bool click(QWidget *root, const QString &text)
{
    SketchButton *found = button(root, text);
    if (found)
        QTest::mouseClick(found, Qt::LeftButton);
    return found;
}

} // namespace

class TestOnboarding : public QObject {
    Q_OBJECT

    /// A view over a store on a fresh file that holds `kept` as a kept drawing; shown when `show`.
    OnboardingView &open(std::optional<CustomRockShape> kept = std::nullopt, bool show = true)
    {
        SaveData data;
        data.customRockShape = std::move(kept);
        m_state = std::make_unique<AppState>(m_dir->filePath(u"data.json"_s), data);
        m_view = std::make_unique<OnboardingView>(m_state.get());
        if (show)
            m_view->show();
        return *m_view;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<OnboardingView> m_view;

private slots:
    void initTestCase()
    {
        Theme::registerFonts();
        // The guard against double clicks has its own test; here clicks may follow a step change at once.
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(0);
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        AnimationClock::instance().setJumpToEnd(true);
    }

    void cleanup()
    {
        qunsetenv("KIVVO_DRAWN");
        qunsetenv("KIVVO_BLANK");
        m_view.reset();
        m_state.reset();
        AnimationClock::instance().setJumpToEnd(false);
        AnimationClock::instance().setTimeSource({});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void drawingStep_data()
    {
        QTest::addColumn<QByteArray>("drawn");
        QTest::addColumn<QByteArray>("blank");
        QTest::addColumn<bool>("kept");      ///< whether an earlier visit kept a drawing
        QTest::addColumn<QString>("action"); ///< a stroke, `keepDraft()` or a button label
        QTest::addColumn<bool>("hasDraft");
        QTest::addColumn<bool>("showsOutline");
        QTest::addColumn<QString>("hint");

        QTest::newRow("no switches") << unset << unset << false << "" << false << true << traceHint;
        QTest::newRow("drawn") << on << unset << false << "" << true << true << likeItHint;
        QTest::newRow("blank") << unset << on << false << "" << false << false << aroundFaceHint;
        QTest::newRow("drawn, blank") << on << on << false << "" << true << false << likeItHint;
        const QByteArray notOne = "true", notOneEither = " 1";
        QTest::newRow("not exactly 1") << notOne << notOneEither << false << "" << false << true << traceHint;
        // A draft on the canvas wins over reopening on the kept drawing.
        QTest::newRow("drawn, kept") << on << unset << true << "" << true << true << likeItHint;
        QTest::newRow("stroke") << unset << unset << false << "stroke" << true << true << likeItHint;
        QTest::newRow("draw again") << on << unset << false << again << false << false << aroundFaceHint;
        QTest::newRow("keep, no draft") << unset << unset << false << "keep" << false << true << traceHint;
    }

    void drawingStep()
    {
        QFETCH(QByteArray, drawn);
        QFETCH(QByteArray, blank);
        QFETCH(bool, kept);
        QFETCH(QString, action);
        QFETCH(bool, hasDraft);
        QFETCH(bool, showsOutline);
        QFETCH(QString, hint);
        setEnv("KIVVO_DRAWN", drawn);
        setEnv("KIVVO_BLANK", blank);
        OnboardingView &view = open(kept ? std::optional(RenderPreview::sampleShape()) : std::nullopt);
        RockDrawingCanvas *canvas = view.findChild<RockDrawingCanvas *>();
        QSignalSpy changes(m_state.get(), &AppState::willChange);

        if (action == "stroke") {
            QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(202, 112));
            for (double t = 0; t < 2 * std::numbers::pi; t += 0.1)
                QTest::mouseMove(canvas, QPointF(112 + 90 * std::cos(t), 112 + 80 * std::sin(t)).toPoint());
            QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(202, 112));
        } else if (action == "keep") {
            view.keepDraft();
        } else if (!action.isEmpty()) {
            QVERIFY(click(&view, action));
        }

        QCOMPARE(view.step(), Step::drawing);
        QCOMPARE(view.selectedRock(), RockChoice::custom);
        QCOMPARE(bool(view.draft()), hasDraft);
        if (hasDraft && action.isEmpty())
            QCOMPARE(*view.draft(), RenderPreview::sampleShape());
        QCOMPARE(view.showsOutline(), showsOutline);
        QCOMPARE(view.hint(), hint);
        // The canvas is handed the same values, and the page shows them.
        QCOMPARE(canvas->draft(), view.draft());
        QCOMPARE(canvas->showsOutline(), showsOutline);
        QCOMPARE(canvas->hint(), hint);
        const auto labels = view.findChildren<QLabel *>();
        QVERIFY(std::any_of(labels.begin(), labels.end(), [&](QLabel *l) { return l->text() == hint; }));
        QCOMPARE(view.title(), hasDraft ? u"오. 너 닮은 돌."_s : u"돌 모양을 그려줘."_s);
        QCOMPARE(bool(button(&view, u"이걸로 할래"_s)), hasDraft);
        QCOMPARE(bool(button(&view, again)), hasDraft);
        QCOMPARE(changes.count(), 0);
    }

    // Without a mouse: Tab, Return and Space take a newcomer from the empty canvas to home, and
    // every stop on the way says what it is.
    void keyboardAlone()
    {
        OnboardingView &view = open();
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        const auto press = [](Qt::Key key) {
            QTest::keyClick(QApplication::focusWidget(), key);
            QAccessibleInterface *element = QAccessible::queryAccessibleInterface(QApplication::focusWidget());
            return element ? element->text(QAccessible::Name) : QString();
        };
        const auto checked = [&](RockChoice choice) {
            return QAccessible::queryAccessibleInterface(view.choosing()->choiceSlot(choice))->state().checked;
        };
        QCOMPARE(press(Qt::Key_Tab), u"돌 그리는 곳"_s);
        press(Qt::Key_Return);
        QVERIFY(view.draft());
        QCOMPARE(press(Qt::Key_Tab), again);
        QCOMPARE(press(Qt::Key_Tab), u"이걸로 할래"_s);
        press(Qt::Key_Space);
        QCOMPARE(view.step(), Step::choose);
        QVERIFY(checked(RockChoice::custom) && !checked(RockChoice::zezedidIvave));
        QCOMPARE(press(Qt::Key_Tab), u"기본 돌"_s);
        QCOMPARE(press(Qt::Key_Tab), u"내가 그린 돌"_s);
        QCOMPARE(press(Qt::Key_Backtab), u"기본 돌"_s);
        press(Qt::Key_Space);
        QCOMPARE(view.selectedRock(), RockChoice::zezedidIvave);
        QVERIFY(checked(RockChoice::zezedidIvave) && !checked(RockChoice::custom));
        // Space on the chosen slot keeps it chosen.
        press(Qt::Key_Space);
        QVERIFY(checked(RockChoice::zezedidIvave));
        QCOMPARE(press(Qt::Key_Tab), u"내가 그린 돌"_s);
        QCOMPARE(press(Qt::Key_Tab), again);
        QCOMPARE(press(Qt::Key_Tab), u"기본 돌 데려가기"_s);
        // "종료" comes last, after the content.
        QCOMPARE(press(Qt::Key_Tab), u"종료"_s);
        QCOMPARE(press(Qt::Key_Backtab), u"기본 돌 데려가기"_s);
        press(Qt::Key_Space);
        QVERIFY(m_state->hasOnboarded());
        QVERIFY(!m_state->usesCustomRock());
    }

    void keepAndFinish_data()
    {
        QTest::addColumn<RockChoice>("choice");
        QTest::addColumn<QString>("takeLabel");
        QTest::newRow("ready-made") << RockChoice::zezedidIvave << u"기본 돌 데려가기"_s;
        QTest::newRow("drawn") << RockChoice::custom << takeDrawn;
    }

    void doubleClickOnKeepDoesNotTakeTheRock()
    {
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(300);
        qputenv("KIVVO_DRAWN", "1");
        OnboardingView &view = open();
        QVERIFY(click(&view, u"이걸로 할래"_s));
        // The second click of a double click lands where the next step shows its main button.
        QVERIFY(click(&view, takeDrawn));
        QVERIFY(!m_state->hasOnboarded());
        QTest::qWait(350);
        QVERIFY(click(&view, takeDrawn));
        QVERIFY(m_state->hasOnboarded());
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(0);
    }

    void keepAndFinish()
    {
        QFETCH(RockChoice, choice);
        QFETCH(QString, takeLabel);
        qputenv("KIVVO_DRAWN", "1");
        OnboardingView &view = open();
        view.select(RockChoice::zezedidIvave);
        QSignalSpy saves(m_state.get(), &AppState::saved);

        // Keeping stores the drawing and moves on with it selected, the canvas left ready to draw again.
        QVERIFY(click(&view, u"이걸로 할래"_s));
        QCOMPARE(m_state->customRockShape(), RenderPreview::sampleShape());
        QCOMPARE(saves.count(), 1);
        QCOMPARE(view.step(), Step::choose);
        QCOMPARE(view.selectedRock(), RockChoice::custom);
        QVERIFY(button(&view, takeDrawn));
        QVERIFY(!view.draft() && !view.showsOutline() && view.hint() == aroundFaceHint);
        QCOMPARE(m_state->hasOnboarded(), false);

        // Taps anywhere in a slot select; the other slot first, so everything has to follow both ways.
        const RockChoice other = choice == RockChoice::custom ? RockChoice::zezedidIvave : RockChoice::custom;
        QTest::mouseClick(view.choosing()->choiceSlot(other), Qt::LeftButton, {}, QPoint(2, 152));
        QTest::mouseClick(view.choosing()->choiceSlot(choice), Qt::LeftButton, {}, QPoint(136, 2));
        QCOMPARE(view.selectedRock(), choice);
        QCOMPARE(view.choosing()->rockScale(choice), 1.12);
        QCOMPARE(view.choosing()->rockOpacity(choice), 1.0);
        QCOMPARE(std::abs(view.choosing()->rockAngle(choice)), 4.0);
        QCOMPARE(view.choosing()->rockScale(other), 1.0);
        QCOMPARE(view.choosing()->rockOpacity(other), 0.5);
        QCOMPARE(view.choosing()->rockAngle(other), 0.0);

        QStringList writes;
        const auto note = [&](const QString &what) { return [&writes, what] { writes << what; }; };
        connect(m_state.get(), &AppState::selectedCharacterChanged, this, note(u"character"_s));
        connect(m_state.get(), &AppState::usesCustomRockChanged, this, note(u"usesCustom"_s));
        connect(m_state.get(), &AppState::hasOnboardedChanged, this, note(u"onboarded"_s));
        connect(m_state.get(), &AppState::customRockShapeChanged, this, note(u"shape"_s));
        connect(m_state.get(), &AppState::saved, this, note(u"saved"_s));
        QVERIFY(click(&view, takeLabel));

        QCOMPARE(writes, QStringList({u"character"_s, u"saved"_s, u"usesCustom"_s, u"saved"_s, u"onboarded"_s,
                                      u"saved"_s}));
        QCOMPARE(m_state->selectedCharacter(), KivvoCharacter::vidovu);
        QCOMPARE(m_state->usesCustomRock(), choice == RockChoice::custom);
        QCOMPARE(m_state->hasOnboarded(), true);
        QCOMPARE(m_state->customRockShape(), RenderPreview::sampleShape());
        QCOMPARE(AppState(m_state->fileURL()).saveData(), m_state->saveData());
    }

    // The selected rock rocks only while it can be seen.
    void reopeningOverAKeptDrawing()
    {
        AnimationClock &clock = AnimationClock::instance();
        clock.setJumpToEnd(false);
        clock.setTimeSource([] { return 0.0; }); // frames come only from `advance`
        const CustomRockShape shape{{{0.2, 0.2}, {0.8, 0.3}, {0.7, 0.8}}};
        OnboardingView &view = open(shape, false);
        QCOMPARE(view.step(), Step::drawing);
        QCOMPARE(view.wobble(), false);
        view.show();
        QCOMPARE(view.step(), Step::choose);
        QVERIFY(button(&view, takeDrawn));
        QCOMPARE(view.selectedRock(), RockChoice::custom);
        QCOMPARE(view.wobble(), true);

        // Ease-in-out from +4 to -4 over 1.4 s: level at half time, at the far end after one run, and
        // back again after the next, reversed, run.
        const auto angle = [&] { return view.choosing()->rockAngle(RockChoice::custom); };
        clock.advance(0.7);
        QVERIFY(std::abs(angle()) < 1e-4);
        clock.advance(0.7 - 1e-6);
        QVERIFY(std::abs(angle() + 4) < 1e-3);
        clock.advance(0.35);
        QVERIFY2(angle() > -4 && angle() < 0, qPrintable(QString::number(angle())));
        clock.advance(1.05);
        QVERIFY(std::abs(angle() - 4) < 1e-3);
        view.hide();
        QCOMPARE(clock.runningCount(), 0);
        view.show();
        QCOMPARE(clock.runningCount(), 1);

        // Back to an empty canvas, the kept shape untouched; reopening leaves the user there.
        QSignalSpy changes(m_state.get(), &AppState::willChange);
        QVERIFY(click(&view, again));
        view.hide();
        view.show();
        QCOMPARE(view.step(), Step::drawing);
        QVERIFY(!button(&view, takeDrawn));
        QVERIFY(!view.showsOutline() && view.hint() == aroundFaceHint);
        QCOMPARE(changes.count(), 0);
        QCOMPARE(m_state->customRockShape(), shape);
    }
};

QTEST_MAIN(TestOnboarding)
#include "tst_onboarding.moc"
