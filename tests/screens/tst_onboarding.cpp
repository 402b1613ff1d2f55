#include "AnimationClock.h"
#include "AppState.h"
#include "OnboardingView.h"
#include "PreviewSwitches.h"
#include "RockDrawingCanvas.h"
#include "SketchButton.h"
#include "Theme.h"

#include <QLabel>
#include <QSignalSpy>
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
const QString emptyTitle = u"돌 모양을 그려줘."_s;
const QString draftTitle = u"오. 너 닮은 돌."_s;
/// Stands for an environment variable that is not set at all.
const QByteArray unset = "<unset>";

void setEnv(const char *name, const QByteArray &value)
{
    if (value == unset)
        qunsetenv(name);
    else
        qputenv(name, value);
}

/// The one shown sketch button under `root` labelled `text`, or null. Runs postponed deletions first,
/// as the event loop would.
SketchButton *button(QWidget *root, const QString &text)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const auto all = root->findChildren<SketchButton *>();
    QList<SketchButton *> found;
    std::copy_if(all.begin(), all.end(), std::back_inserter(found),
                 [&](SketchButton *b) { return b->text() == text && !b->isHidden(); });
    return found.size() == 1 ? found.first() : nullptr;
}

/// Clicks the button `button` finds; false when there is none to click.
bool click(QWidget *root, const QString &text)
{
    SketchButton *found = button(root, text);
    if (found)
        QTest::mouseClick(found, Qt::LeftButton);
    return found;
}

RockDrawingCanvas *canvasOf(const OnboardingView &view)
{
    return view.findChild<RockDrawingCanvas *>();
}

QWidget *drawingPage(const OnboardingView &view)
{
    return canvasOf(view)->parentWidget();
}

QWidget *choosePage(const OnboardingView &view)
{
    return view.choiceSlot(RockChoice::custom)->parentWidget();
}

bool showsLabel(const QWidget &root, const QString &text)
{
    const auto labels = root.findChildren<QLabel *>();
    return std::any_of(labels.begin(), labels.end(), [&](QLabel *l) { return l->text() == text; });
}

} // namespace

class TestOnboarding : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Theme::registerFonts(); }
    void init();
    void cleanup();

    void startingValues_data();
    void startingValues();
    void strokeOnTheCanvasOffersTheButtons();
    void drawAgainWipesTheDraftAndTheGuide();
    void keepingStoresTheShapeAndMovesOn();
    void keepWithoutDraftDoesNothing();
    void finishing_data();
    void finishing();
    void reopening_data();
    void reopening();
    void redrawKeepsTheStoredShape();
    void selectedRockRocksWhileShown();

private:
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
};

void TestOnboarding::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    AnimationClock::instance().setJumpToEnd(true);
}

void TestOnboarding::cleanup()
{
    qunsetenv("KIVVO_DRAWN");
    qunsetenv("KIVVO_BLANK");
    m_view.reset();
    m_state.reset();
    AnimationClock::instance().setJumpToEnd(false);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestOnboarding::startingValues_data()
{
    QTest::addColumn<QByteArray>("drawn");
    QTest::addColumn<QByteArray>("blank");
    QTest::addColumn<bool>("hasDraft");
    QTest::addColumn<bool>("showsOutline");
    QTest::addColumn<QString>("hint");

    QTest::newRow("no switches") << unset << unset << false << true << traceHint;
    QTest::newRow("drawn") << "1"_ba << unset << true << true << likeItHint;
    QTest::newRow("blank") << unset << "1"_ba << false << false << aroundFaceHint;
    QTest::newRow("drawn and blank") << "1"_ba
                                     << "1"_ba << true << false << likeItHint;
    QTest::newRow("not exactly 1") << "true"_ba
                                   << " 1"_ba << false << true << traceHint;
}

void TestOnboarding::startingValues()
{
    QFETCH(QByteArray, drawn);
    QFETCH(QByteArray, blank);
    QFETCH(bool, hasDraft);
    QFETCH(bool, showsOutline);
    QFETCH(QString, hint);
    setEnv("KIVVO_DRAWN", drawn);
    setEnv("KIVVO_BLANK", blank);

    OnboardingView &view = open(std::nullopt, false);

    QCOMPARE(view.step(), Step::drawing);
    QCOMPARE(view.selectedRock(), RockChoice::custom);
    QCOMPARE(view.wobble(), false);
    QCOMPARE(view.draft(), hasDraft ? std::optional(RenderPreview::sampleShape()) : std::nullopt);
    QCOMPARE(view.showsOutline(), showsOutline);
    QCOMPARE(view.hint(), hint);
    // The canvas is handed the same values, and the page shows them.
    QCOMPARE(canvasOf(view)->draft(), view.draft());
    QCOMPARE(canvasOf(view)->showsOutline(), showsOutline);
    QCOMPARE(canvasOf(view)->hint(), hint);
    QVERIFY(showsLabel(view, hint));
    QCOMPARE(view.title(), hasDraft ? draftTitle : emptyTitle);
    QCOMPARE(button(drawingPage(view), u"이걸로 할래"_s) != nullptr, hasDraft);
    QCOMPARE(button(drawingPage(view), u"다시 그리기"_s) != nullptr, hasDraft);
}

void TestOnboarding::strokeOnTheCanvasOffersTheButtons()
{
    OnboardingView &view = open();
    RockDrawingCanvas *canvas = canvasOf(view);
    QCOMPARE(canvas->size(), QSize(224, 224));

    // A wobbly oval most of the canvas wide, around the eyes.
    QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(199, 112));
    for (int i = 0; i <= 48; ++i) {
        const double t = 2 * std::numbers::pi * i / 48, r = 1 + 0.12 * std::sin(3 * t + 0.6);
        QTest::mouseMove(canvas, QPointF(112 + 87 * r * std::cos(t), 112 + 74 * r * std::sin(t)).toPoint());
    }
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(199, 112));

    QVERIFY(view.draft());
    QCOMPARE(view.draft(), canvas->draft());
    QCOMPARE(view.hint(), likeItHint);
    QVERIFY(showsLabel(view, likeItHint));
    QCOMPARE(view.title(), draftTitle);
    QVERIFY(button(drawingPage(view), u"이걸로 할래"_s));
    QVERIFY(button(drawingPage(view), u"다시 그리기"_s));
}

void TestOnboarding::drawAgainWipesTheDraftAndTheGuide()
{
    qputenv("KIVVO_DRAWN", "1");
    OnboardingView &view = open();

    QVERIFY(click(drawingPage(view), u"다시 그리기"_s));

    QVERIFY(!view.draft() && !canvasOf(view)->draft());
    QCOMPARE(view.showsOutline(), false);
    QCOMPARE(canvasOf(view)->showsOutline(), false);
    QCOMPARE(view.hint(), aroundFaceHint);
    QCOMPARE(canvasOf(view)->hint(), aroundFaceHint);
    QVERIFY(showsLabel(view, aroundFaceHint));
    QCOMPARE(view.title(), emptyTitle);
    QVERIFY(!button(drawingPage(view), u"이걸로 할래"_s));
    QVERIFY(!button(drawingPage(view), u"다시 그리기"_s));
    QCOMPARE(view.step(), Step::drawing);
    QVERIFY(!m_state->customRockShape());
}

void TestOnboarding::keepingStoresTheShapeAndMovesOn()
{
    qputenv("KIVVO_DRAWN", "1");
    OnboardingView &view = open();
    view.select(RockChoice::zezedidIvave);
    QSignalSpy saves(m_state.get(), &AppState::saved);

    QVERIFY(click(drawingPage(view), u"이걸로 할래"_s));

    QCOMPARE(m_state->customRockShape(), RenderPreview::sampleShape());
    QCOMPARE(saves.count(), 1);
    QCOMPARE(view.step(), Step::choose);
    QVERIFY(choosePage(view)->isVisible() && !drawingPage(view)->isVisible());
    QCOMPARE(view.selectedRock(), RockChoice::custom);
    QVERIFY(button(choosePage(view), u"내가 그린 돌 데려가기"_s));
    // The canvas is left ready for "다시 그리기".
    QVERIFY(!view.draft());
    QCOMPARE(view.showsOutline(), false);
    QCOMPARE(view.hint(), aroundFaceHint);
    QCOMPARE(m_state->hasOnboarded(), false);
}

void TestOnboarding::keepWithoutDraftDoesNothing()
{
    OnboardingView &view = open(std::nullopt, false);
    QSignalSpy changes(m_state.get(), &AppState::willChange);

    view.keepDraft();

    QCOMPARE(changes.count(), 0);
    QCOMPARE(view.step(), Step::drawing);
    QCOMPARE(view.hint(), traceHint);
    QCOMPARE(view.showsOutline(), true);
}

void TestOnboarding::finishing_data()
{
    QTest::addColumn<RockChoice>("choice");
    QTest::addColumn<QString>("takeLabel");
    QTest::newRow("ready-made") << RockChoice::zezedidIvave << u"기본 돌 데려가기"_s;
    QTest::newRow("drawn") << RockChoice::custom << u"내가 그린 돌 데려가기"_s;
}

void TestOnboarding::finishing()
{
    QFETCH(RockChoice, choice);
    QFETCH(QString, takeLabel);
    const RockChoice other = choice == RockChoice::custom ? RockChoice::zezedidIvave : RockChoice::custom;
    const CustomRockShape shape = RenderPreview::sampleShape();
    OnboardingView &view = open(shape);

    // Taps anywhere in a slot select; the other slot first, so everything has to follow both ways.
    QTest::mouseClick(view.choiceSlot(other), Qt::LeftButton, {}, QPoint(2, 152));
    QTest::mouseClick(view.choiceSlot(choice), Qt::LeftButton, {}, QPoint(136, 2));
    QCOMPARE(view.selectedRock(), choice);
    QCOMPARE(view.choiceSlot(choice)->size(), QSize(138, 154));
    QCOMPARE(view.rockScale(choice), 1.12);
    QCOMPARE(view.rockOpacity(choice), 1.0);
    QCOMPARE(std::abs(view.rockAngle(choice)), 4.0);
    QCOMPARE(view.rockScale(other), 1.0);
    QCOMPARE(view.rockOpacity(other), 0.5);
    QCOMPARE(view.rockAngle(other), 0.0);

    QStringList writes;
    const auto note = [&](const QString &what) { return [&writes, what] { writes << what; }; };
    connect(m_state.get(), &AppState::selectedCharacterChanged, this, note(u"character"_s));
    connect(m_state.get(), &AppState::usesCustomRockChanged, this, note(u"usesCustom"_s));
    connect(m_state.get(), &AppState::hasOnboardedChanged, this, note(u"onboarded"_s));
    connect(m_state.get(), &AppState::customRockShapeChanged, this, note(u"shape"_s));
    connect(m_state.get(), &AppState::saved, this, note(u"saved"_s));

    QVERIFY(click(choosePage(view), takeLabel));

    QCOMPARE(writes, QStringList({u"character"_s, u"saved"_s, u"usesCustom"_s, u"saved"_s, u"onboarded"_s,
                                  u"saved"_s}));
    QCOMPARE(m_state->selectedCharacter(), KivvoCharacter::vidovu);
    QCOMPARE(m_state->usesCustomRock(), choice == RockChoice::custom);
    QCOMPARE(m_state->hasOnboarded(), true);
    QCOMPARE(m_state->customRockShape(), shape);
    QCOMPARE(AppState(m_state->fileURL()).saveData(), m_state->saveData());
}

void TestOnboarding::reopening_data()
{
    QTest::addColumn<bool>("kept");
    QTest::addColumn<bool>("previewDraft");
    QTest::addColumn<Step>("stepWhenShown");
    QTest::newRow("kept drawing") << true << false << Step::choose;
    QTest::newRow("nothing kept") << false << false << Step::drawing;
    QTest::newRow("kept, and a draft on the canvas") << true << true << Step::drawing;
}

void TestOnboarding::reopening()
{
    QFETCH(bool, kept);
    QFETCH(bool, previewDraft);
    QFETCH(Step, stepWhenShown);
    setEnv("KIVVO_DRAWN", previewDraft ? "1"_ba : unset);
    const CustomRockShape shape{{{0.2, 0.2}, {0.8, 0.3}, {0.7, 0.8}}};
    OnboardingView &view = open(kept ? std::optional(shape) : std::nullopt, false);
    QCOMPARE(view.step(), Step::drawing);

    view.show();
    QCOMPARE(view.step(), stepWhenShown);
    QCOMPARE(choosePage(view)->isVisible(), stepWhenShown == Step::choose);
    QCOMPARE(view.selectedRock(), RockChoice::custom);
    QCOMPARE(view.wobble(), true);
}

void TestOnboarding::redrawKeepsTheStoredShape()
{
    OnboardingView &view = open(RenderPreview::sampleShape());
    QSignalSpy changes(m_state.get(), &AppState::willChange);

    QVERIFY(click(choosePage(view), u"다시 그리기"_s));

    QCOMPARE(view.step(), Step::drawing);
    QVERIFY(drawingPage(view)->isVisible());
    QCOMPARE(view.showsOutline(), false);
    QCOMPARE(view.hint(), aroundFaceHint);
    QCOMPARE(changes.count(), 0);
    QCOMPARE(m_state->customRockShape(), RenderPreview::sampleShape());
    // Closing and reopening the panel leaves the user where they chose to be.
    view.hide();
    view.show();
    QCOMPARE(view.step(), Step::drawing);
}

void TestOnboarding::selectedRockRocksWhileShown()
{
    AnimationClock &clock = AnimationClock::instance();
    clock.setJumpToEnd(false);
    clock.setTimeSource([] { return 0.0; }); // frames come only from `advance`
    OnboardingView &view = open(RenderPreview::sampleShape(), false);
    QCOMPARE(view.rockAngle(RockChoice::custom), 4.0);
    view.show();
    const auto angle = [&] { return view.rockAngle(RockChoice::custom); };

    // Ease-in-out from +4 to -4 over 1.4 s: level at half time, at the far end after one run, and
    // back again after the next, reversed, run.
    clock.advance(0.7);
    QVERIFY(std::abs(angle()) < 1e-4);
    clock.advance(0.7 - 1e-6);
    QVERIFY(std::abs(angle() + 4) < 1e-3);
    clock.advance(0.35);
    QVERIFY2(angle() > -4 && angle() < 0, qPrintable(QString::number(angle())));
    clock.advance(1.05);
    QVERIFY(std::abs(angle() - 4) < 1e-3);
    QCOMPARE(view.rockAngle(RockChoice::zezedidIvave), 0.0);

    // Out of sight it stops, and the clock with it.
    view.hide();
    QCOMPARE(clock.runningCount(), 0);
    view.show();
    QCOMPARE(clock.runningCount(), 1);
    view.hide();
    clock.setTimeSource({});
}

QTEST_MAIN(TestOnboarding)
#include "tst_onboarding.moc"
