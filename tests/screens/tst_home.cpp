#include "AppState.h"
#include "Chip.h"
#include "ClockSteps.h"
#include "CustomizeView.h"
#include "HomeView.h"
#include "RockPileView.h"
#include "SettingsView.h"
#include "SketchButton.h"
#include "TalkView.h"
#include "Theme.h"
#include "TowerView.h"
#include "WishHandOver.h"

#include <QAccessible>
#include <QLabel>
#include <QPointer>
#include <QStyleHints>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;
using Screen = HomeView::Screen;

namespace {

/// A home on an in-memory store with `wishes` wishes, shown at the panel's size.
struct Home {
    AppState state{QString()};
    std::unique_ptr<HomeView> view;

    explicit Home(int wishes = 0)
    {
        state.setHasOnboarded(true);
        for (int i = 0; i < wishes; ++i)
            state.addWish(QString::number(i));
        view = std::make_unique<HomeView>(&state);
        view->resize(320, 470);
        view->show();
        QCoreApplication::processEvents();
    }

    template <typename T> T *content() const { return qobject_cast<T *>(view->content()); }
};

} // namespace

class TestHome : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Theme::registerFonts();
        // The guard against double clicks has its own test; here clicks may follow a switch at once.
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(0);
    }

    void cleanup()
    {
        qunsetenv("KIVVO_SCREEN");
        runClock(3);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void startsAsTheEnvironmentSays_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("screen");
        QTest::addColumn<bool>("settings");
        QTest::addColumn<bool>("redraw");
        QTest::newRow("absent") << QByteArray() << int(Screen::talk) << false << false;
        QTest::newRow("tower") << "tower"_ba << int(Screen::tower) << false << false;
        QTest::newRow("customize") << "customize"_ba << int(Screen::customize) << false << false;
        QTest::newRow("redraw") << "redraw"_ba << int(Screen::customize) << false << true;
        QTest::newRow("settings") << "settings"_ba << int(Screen::talk) << true << false;
        QTest::newRow("capital T") << "Tower"_ba << int(Screen::talk) << false << false;
    }

    void startsAsTheEnvironmentSays()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, screen);
        QFETCH(bool, settings);
        QFETCH(bool, redraw);
        if (!value.isNull())
            qputenv("KIVVO_SCREEN", value);
        Home home;
        QCOMPARE(int(home.view->screen()), screen);
        QCOMPARE(home.view->isShowingSettings(), settings);
        QCOMPARE(home.view->isRedrawingRock(), redraw);
        // What is on show follows: settings over the screen, no header and no "설정" while redrawing.
        QCOMPARE(home.content<SettingsView>() != nullptr, settings);
        QCOMPARE(home.view->segment(Screen::talk)->isVisible(), !settings && !redraw);
        QCOMPARE(home.view->backButton()->isVisible(), settings);
        QCOMPARE(home.view->settingsButton()->isVisible(), !settings && !redraw);
        if (redraw)
            QVERIFY(home.content<CustomizeView>()->isRedrawing());
        // Read once, at construction.
        qputenv("KIVVO_SCREEN", "customize");
        QCOMPARE(int(home.view->screen()), screen);
    }

    void countFollowsTheWishes()
    {
        Home home;
        QCOMPARE(home.view->countLabel()->text(), u"돌 0"_s);
        home.state.addWish(u"하나"_s);
        home.state.addWish(u"둘"_s);
        QCOMPARE(home.view->countLabel()->text(), u"돌 2"_s);
    }

    void segmentsSwitchScreens()
    {
        Home home(2);
        // A screen reader hears which segment is the current one.
        const auto current = [&] {
            QList<Screen> checked;
            for (Screen screen : {Screen::talk, Screen::tower, Screen::customize})
                if (QAccessible::queryAccessibleInterface(home.view->segment(screen))->state().checked)
                    checked.append(screen);
            return checked;
        };
        QVERIFY(home.content<TalkView>());
        QCOMPARE(current(), QList{Screen::talk});
        QTest::mouseClick(home.view->segment(Screen::tower), Qt::LeftButton);
        QVERIFY(home.content<TowerView>());
        QCOMPARE(current(), QList{Screen::tower});
        QWidget *tower = home.view->content();
        // The chosen segment again changes nothing.
        QTest::mouseClick(home.view->segment(Screen::tower), Qt::LeftButton);
        QCOMPARE(home.view->content(), tower);
        QCOMPARE(current(), QList{Screen::tower});
        QTest::mouseClick(home.view->segment(Screen::customize), Qt::LeftButton);
        QVERIFY(home.content<CustomizeView>());
        // Settings replace the screen; back returns to it.
        QTest::mouseClick(home.view->settingsButton(), Qt::LeftButton);
        QVERIFY(home.content<SettingsView>());
        QCOMPARE(home.view->backButton()->accessibleName(), u"뒤로"_s);
        QTest::mouseClick(home.view->backButton(), Qt::LeftButton);
        QVERIFY(home.content<CustomizeView>());
        // A segment pressed while settings are open closes them.
        home.view->setShowingSettings(true);
        QTest::mouseClick(home.view->segment(Screen::talk), Qt::LeftButton);
        QVERIFY(!home.view->isShowingSettings());
        QVERIFY(home.content<TalkView>());
    }

    void toldWishDropsOntoTheTowerOnce()
    {
        Home home(3);
        home.content<TalkView>()->submit(u"새 소원"_s);
        const QUuid id = home.state.wishes().last().id;
        QVERIFY(home.content<TalkView>()); // the hop first
        runClock(0.32);
        auto *tower = home.content<TowerView>();
        QVERIFY(tower);
        QCOMPARE(home.view->lastAddedId(), id);
        QCOMPARE(home.view->pendingDropId(), id);
        QCOMPARE(tower->selected()->id, id);
        QCOMPARE(tower->pile()->dropId(), id);
        runClock(3);
        QVERIFY(tower->pile()->landed());
        // Away and back: still marked, not falling again.
        home.view->choose(Screen::talk);
        QVERIFY(!home.view->pendingDropId());
        home.view->choose(Screen::tower);
        tower = home.content<TowerView>();
        QCOMPARE(tower->selected()->id, id);
        QVERIFY(!tower->pile()->dropId());
    }

    /// Settings opened just after telling a wish stay open when the wish is handed over; the tower
    /// with the falling stone waits under them.
    void toldWishLeavesSettingsOpen()
    {
        Home home(3);
        home.content<TalkView>()->submit(u"설정 전에"_s);
        const QUuid id = home.state.wishes().last().id;
        runClock(0.1);
        QTest::mouseClick(home.view->settingsButton(), Qt::LeftButton);
        QPointer<SettingsView> settings = home.content<SettingsView>();
        QVERIFY(settings);
        settings->idleRockSwitch()->setFocus();
        runClock(0.3);
        QCOMPARE(home.view->lastAddedId(), id);
        QVERIFY(home.view->isShowingSettings());
        QCOMPARE(home.content<SettingsView>(), settings.data()); // the same screen, not a new one
        QVERIFY(settings->idleRockSwitch()->hasFocus());
        QCOMPARE(home.view->screen(), Screen::tower);
        QTest::mouseClick(home.view->backButton(), Qt::LeftButton);
        auto *tower = home.content<TowerView>();
        QVERIFY(tower);
        QCOMPARE(tower->selected()->id, id);
        QCOMPARE(tower->pile()->dropId(), id);
    }

    /// A redraw begun just after telling a wish is not cut off by the hand-over, nor left without its
    /// header on the tower: the tower with the falling stone comes when the redraw ends.
    void toldWishWaitsForTheRedraw()
    {
        Home home(3);
        home.content<TalkView>()->submit(u"그리기 전에"_s);
        const QUuid id = home.state.wishes().last().id;
        runClock(0.1);
        home.view->choose(Screen::customize);
        QPointer<CustomizeView> customize = home.content<CustomizeView>();
        customize->startRedraw();
        QVERIFY(home.view->isRedrawingRock());
        runClock(0.3);
        QCOMPARE(home.view->lastAddedId(), id);
        QCOMPARE(home.content<CustomizeView>(), customize.data());
        QVERIFY(customize->isRedrawing());
        customize->cancelRedraw();
        QVERIFY(!home.view->isRedrawingRock());
        auto *tower = home.content<TowerView>();
        QVERIFY(tower);
        QCOMPARE(tower->selected()->id, id);
        QCOMPARE(tower->pile()->dropId(), id);
        runClock(1);
        QVERIFY(home.view->segment(Screen::tower)->isVisible()); // the header is back
    }

    void toldWishReachesATowerAlreadyShown()
    {
        qputenv("KIVVO_SCREEN", "tower");
        Home home(3);
        auto *tower = home.content<TowerView>();
        const std::optional<Wish> wish = home.state.addWish(u"바로 그 탑"_s);
        WishHandOver::of(&home.state)->handOver(wish->id, 0.01);
        runClock(0.05);
        QCOMPARE(home.content<TowerView>(), tower);
        QCOMPARE(tower->selected()->id, wish->id);
        QCOMPARE(tower->pile()->dropId(), wish->id);
        const double seat = tower->pile()->stoneState(wish->id)->centre.y();
        runClock(3);
        QVERIFY(tower->pile()->stoneState(wish->id)->centre.y() > seat); // it fell and landed
    }

    void panelIsTallOnlyOnTheTallTower()
    {
        qputenv("KIVVO_SCREEN", "tower");
        Home home(2);
        QVERIFY(!home.state.isPanelTall());
        home.state.setIsTowerTall(true);
        QCoreApplication::processEvents();
        QVERIFY(home.state.isPanelTall());
        home.view->setShowingSettings(true);
        QVERIFY(!home.state.isPanelTall());
        home.view->setShowingSettings(false);
        QVERIFY(home.state.isPanelTall());
        home.view->choose(Screen::talk);
        QVERIFY(!home.state.isPanelTall());
    }

    void redrawHidesTheHeader()
    {
        qputenv("KIVVO_SCREEN", "customize");
        Home home;
        auto *customize = home.content<CustomizeView>();
        const int pickerTop = customize->mapTo(home.view.get(), QPoint()).y();
        QCOMPARE(pickerTop, 56);
        customize->startRedraw();
        QVERIFY(home.view->isRedrawingRock());
        // The header slides away on its spring while the screen takes its room.
        runClock(0.05);
        const int sliding = customize->mapTo(home.view.get(), QPoint()).y();
        QVERIFY2(sliding > 0 && sliding < 56, qPrintable(QString::number(sliding)));
        runClock(1);
        QVERIFY(!home.view->segment(Screen::talk)->isVisible());
        QVERIFY(!home.view->settingsButton()->isVisible());
        QCOMPARE(customize->mapTo(home.view.get(), QPoint()).y(), 0);
        QCOMPARE(customize->height(), 470 - 36);
        customize->cancelRedraw();
        runClock(1);
        QVERIFY(home.view->segment(Screen::talk)->isVisible());
        QCOMPARE(customize->mapTo(home.view.get(), QPoint()).y(), 56);
        QVERIFY(home.view->settingsButton()->isVisible());
    }

    void doubleClickDoesNotReachTheNextScreen()
    {
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(200);
        Home home(2);
        home.view->choose(Screen::tower);
        auto *tower = home.content<TowerView>();
        // The second click of a double click lands on the new screen at once: dropped.
        QTest::mouseClick(tower->tallChip(), Qt::LeftButton);
        QVERIFY(!home.state.isTowerTall());
        QTest::qWait(250);
        QTest::mouseClick(tower->tallChip(), Qt::LeftButton);
        QVERIFY(home.state.isTowerTall());
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(0);
    }
};

QTEST_MAIN(TestHome)
#include "tst_home.moc"
