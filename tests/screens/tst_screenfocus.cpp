#include "AppState.h"
#include "ClockSteps.h"
#include "CustomizeView.h"
#include "HomeView.h"
#include "RootView.h"
#include "SettingsView.h"
#include "SketchButton.h"
#include "TalkView.h"
#include "Theme.h"
#include "TowerView.h"
#include "WishInputField.h"

#include <QApplication>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;
using Screen = HomeView::Screen;

namespace {

/// A home on an in-memory store, in an active window of the panel's size.
struct Home {
    AppState state{QString()};
    std::unique_ptr<HomeView> view;

    Home()
    {
        state.setHasOnboarded(true);
        state.addWish(u"하나"_s);
        view = std::make_unique<HomeView>(&state);
        view->resize(320, 470);
        view->show();
        view->activateWindow();
    }

    SketchButton *quit() const { return view->findChild<SketchButton *>(u"quit"_s); }
    WishInputField *field() const
    {
        auto *talk = qobject_cast<TalkView *>(view->content());
        return talk ? talk->field() : nullptr;
    }
};

/// Focus given by the keyboard, as Tab gives it.
void tabTo(QWidget *widget)
{
    widget->setFocus(Qt::TabFocusReason);
}

} // namespace

class TestScreenFocus : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Theme::registerFonts();
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(0);
    }

    void cleanup()
    {
        runClock(3);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void focusAfterAScreenChange_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("start"); // "field" on the talk screen, else the screen itself
        QTest::newRow("settings opened while typing") << u"settings"_s << u"screen"_s;
        QTest::newRow("settings closed by Space on the back button") << u"back"_s << u"field"_s;
        QTest::newRow("a segment chosen by Space") << u"segment"_s << u"screen"_s;
        QTest::newRow("a wish sent with Return") << u"send"_s << u"screen"_s;
        QTest::newRow("a redraw left") << u"redraw"_s << u"screen"_s;
        QTest::newRow("back to the talk screen") << u"talk"_s << u"field"_s;
    }

    /// The widget that had the focus goes with its screen; the focus must not fall to the next button
    /// in the tab chain, and Space there must not quit.
    void focusAfterAScreenChange()
    {
        QFETCH(QString, change);
        QFETCH(QString, start);
        Home home;
        QVERIFY(QTest::qWaitForWindowActive(home.view.get()));
        QSignalSpy quits(home.quit(), &QAbstractButton::clicked);
        QTRY_COMPARE(QApplication::focusWidget(), home.field());

        if (change == u"settings"_s) {
            QTest::mouseClick(home.view->settingsButton(), Qt::LeftButton);
        } else if (change == u"back"_s) {
            home.view->setShowingSettings(true);
            tabTo(home.view->backButton());
            QTest::keyClick(home.view->backButton(), Qt::Key_Space);
        } else if (change == u"segment"_s) {
            tabTo(home.view->segment(Screen::tower));
            QTest::keyClick(home.view->segment(Screen::tower), Qt::Key_Space);
        } else if (change == u"send"_s) {
            QTest::keyClicks(home.field(), u"sun"_s);
            QTest::keyClick(home.field(), Qt::Key_Return);
            runClock(0.5);
            QVERIFY(qobject_cast<TowerView *>(home.view->content()));
        } else if (change == u"redraw"_s) {
            home.view->choose(Screen::customize);
            auto *customize = qobject_cast<CustomizeView *>(home.view->content());
            customize->startRedraw();
            runClock(1);
            tabTo(home.view->content()->findChild<SketchButton *>());
            customize->cancelRedraw();
            runClock(1);
        } else if (change == u"talk"_s) {
            home.view->choose(Screen::customize);
            tabTo(home.view->segment(Screen::talk));
            QTest::keyClick(home.view->segment(Screen::talk), Qt::Key_Space);
        }
        QCoreApplication::processEvents();

        QWidget *expected = start == u"field"_s ? static_cast<QWidget *>(home.field()) : home.view->content();
        QVERIFY(expected);
        QCOMPARE(QApplication::focusWidget(), expected);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(quits.count(), 0);
    }

    void homeTakesTheFocusAfterOnboarding()
    {
        AppState state{QString()};
        RootView root(&state);
        root.resize(320, 470);
        root.show();
        root.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&root));
        QWidget *onboarding = root.currentScreen();
        QCOMPARE(QApplication::focusWidget(), onboarding);
        state.setHasOnboarded(true);
        auto *home = qobject_cast<HomeView *>(root.currentScreen());
        QVERIFY(home);
        QCOMPARE(QApplication::focusWidget(), qobject_cast<TalkView *>(home->content())->field());
    }
};

QTEST_MAIN(TestScreenFocus)
#include "tst_screenfocus.moc"
