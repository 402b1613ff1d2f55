#include "AnimationClock.h"
#include "AppState.h"
#include "OnboardingView.h"
#include "PreviewSwitches.h"
#include "RootView.h"
#include "SketchButton.h"
#include "Theme.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QStyleHints>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

bool showsOnboarding(const RootView &root)
{
    return qobject_cast<OnboardingView *>(root.currentScreen()) != nullptr;
}

} // namespace

class TestRootView : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

private slots:
    void initTestCase()
    {
        Theme::registerFonts();
        // The guard against double clicks has its own test; here clicks may follow a step change at once.
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(0);
    }
    void cleanup() { AnimationClock::instance().setJumpToEnd(false); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        AnimationClock::instance().setJumpToEnd(true);
    }

    void screenFollowsTheStore_data()
    {
        QTest::addColumn<bool>("hasOnboarded");
        QTest::newRow("new user finishing") << false;
        QTest::newRow("onboarded, reset") << true;
    }

    void screenFollowsTheStore()
    {
        QFETCH(bool, hasOnboarded);
        SaveData data;
        data.hasOnboarded = hasOnboarded;
        data.customRockShape = RenderPreview::sampleShape(); // so the onboarding opens on choosing
        AppState store(m_dir->filePath(u"data.json"_s), data);
        RootView root(&store);
        root.show();
        QCOMPARE(showsOnboarding(root), !hasOnboarded);
        QPointer<QWidget> before = root.currentScreen();
        // The same value again keeps the screen, and what the user did on it.
        store.setHasOnboarded(hasOnboarded);
        QCOMPARE(root.currentScreen(), before.data());

        // The switch follows the value the signal delivers, before the store holds it.
        bool switchedDuringSignal = false;
        connect(&store, &AppState::hasOnboardedChanged, &root, [&](bool value) {
            switchedDuringSignal = value != store.hasOnboarded() && showsOnboarding(root) == !value;
        });
        if (hasOnboarded) {
            store.setHasOnboarded(false);
        } else {
            // From a click inside the very screen that is replaced.
            for (SketchButton *take : root.findChildren<SketchButton *>())
                if (take->text() == u"내가 그린 돌 데려가기"_s && take->isVisible())
                    QTest::mouseClick(take, Qt::LeftButton);
        }

        QVERIFY(switchedDuringSignal);
        QCOMPARE(showsOnboarding(root), hasOnboarded);
        QVERIFY(root.currentScreen()->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!before);
    }

    void backgroundAndWidth()
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
};

QTEST_MAIN(TestRootView)
#include "tst_rootview.moc"
