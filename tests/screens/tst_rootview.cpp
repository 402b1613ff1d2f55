#include "AnimationClock.h"
#include "AppState.h"
#include "OnboardingView.h"
#include "RootView.h"
#include "SketchButton.h"
#include "Theme.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

SketchButton *button(QWidget *root, const QString &text)
{
    for (SketchButton *candidate : root->findChildren<SketchButton *>())
        if (candidate->text() == text && candidate->isVisible())
            return candidate;
    return nullptr;
}

bool showsOnboarding(const RootView &root)
{
    return qobject_cast<OnboardingView *>(root.currentScreen()) != nullptr;
}

} // namespace

class TestRootView : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Theme::registerFonts(); }
    void init();
    void cleanup();

    void screenFollowsTheStore_data();
    void screenFollowsTheStore();
    void finishingOnboardingShowsHome();
    void sameValueAgainKeepsTheScreen();
    void backgroundAndWidth();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestRootView::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    AnimationClock::instance().setJumpToEnd(true);
}

void TestRootView::cleanup()
{
    qunsetenv("KIVVO_DRAWN");
    AnimationClock::instance().setJumpToEnd(false);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestRootView::screenFollowsTheStore_data()
{
    QTest::addColumn<bool>("hasOnboarded");
    QTest::newRow("new user") << false;
    QTest::newRow("onboarded") << true;
}

void TestRootView::screenFollowsTheStore()
{
    QFETCH(bool, hasOnboarded);
    SaveData data;
    data.hasOnboarded = hasOnboarded;
    AppState store(m_dir->filePath(u"data.json"_s), data);
    RootView root(&store);
    QCOMPARE(showsOnboarding(root), !hasOnboarded);
    QCOMPARE(root.findChildren<OnboardingView *>().size(), hasOnboarded ? 0 : 1);

    QPointer<QWidget> before = root.currentScreen();
    store.setHasOnboarded(!hasOnboarded);
    QCOMPARE(showsOnboarding(root), hasOnboarded);
    QVERIFY(root.currentScreen() != before);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!before);
    QCOMPARE(root.findChildren<OnboardingView *>().size(), hasOnboarded ? 1 : 0);
}

void TestRootView::finishingOnboardingShowsHome()
{
    qputenv("KIVVO_DRAWN", "1");
    AppState store(m_dir->filePath(u"data.json"_s));
    RootView root(&store);
    root.resize(320, 470);
    root.show();
    QVERIFY(QTest::qWaitForWindowExposed(&root));
    QPointer<QWidget> onboarding = root.currentScreen();
    QVERIFY(showsOnboarding(root));

    // The switch happens while the store is still telling of the change, before it holds the value.
    bool switchedDuringSignal = false;
    connect(&store, &AppState::hasOnboardedChanged, this, [&](bool value) {
        switchedDuringSignal = value && !store.hasOnboarded() && !showsOnboarding(root);
    });

    for (const QString &text : {u"이걸로 할래"_s, u"내가 그린 돌 데려가기"_s}) {
        SketchButton *next = button(&root, text);
        QVERIFY2(next, qPrintable(text));
        QTest::mouseClick(next, Qt::LeftButton);
    }

    QVERIFY(switchedDuringSignal);
    QCOMPARE(store.hasOnboarded(), true);
    QCOMPARE(store.usesCustomRock(), true);
    QVERIFY(!showsOnboarding(root));
    QCOMPARE(root.currentScreen()->objectName(), u"home"_s);
    QVERIFY(root.currentScreen()->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!onboarding);
}

void TestRootView::sameValueAgainKeepsTheScreen()
{
    AppState store(m_dir->filePath(u"data.json"_s));
    RootView root(&store);
    auto *onboarding = qobject_cast<OnboardingView *>(root.currentScreen());
    QVERIFY(onboarding);
    onboarding->select(OnboardingView::RockChoice::zezedidIvave);

    store.setHasOnboarded(false);

    // The same view, with what the user did on it.
    QCOMPARE(root.currentScreen(), onboarding);
    QCOMPARE(onboarding->selectedRock(), OnboardingView::RockChoice::zezedidIvave);
}

void TestRootView::backgroundAndWidth()
{
    SaveData data;
    data.hasOnboarded = true;
    AppState store(m_dir->filePath(u"data.json"_s), data);
    RootView root(&store);
    QCOMPARE(root.minimumWidth(), 320);
    QCOMPARE(root.maximumWidth(), 320);
    root.resize(320, 470);
    // Another ground colour for the window, so only the view's own painting can make it white.
    QPalette palette = root.palette();
    palette.setColor(QPalette::Window, Qt::darkRed);
    root.setPalette(palette);
    const QImage image = root.grab().toImage();
    for (const QPoint &point : {QPoint(0, 0), QPoint(160, 235), QPoint(319, 469)})
        QCOMPARE(image.pixelColor(point), Theme::bg);
}

QTEST_MAIN(TestRootView)
#include "tst_rootview.moc"
