#include "AppDelegate.h"
#include "AppState.h"
#include "FakeDesktop.h"
#include "HomeView.h"
#include "IdleRockController.h"
#include "PanelWindow.h"
#include "RootView.h"
#include "SettingsView.h"
#include "SketchButton.h"
#include "StatusItem.h"

#include <QSlider>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {
// A 1440 x 900 screen whose tray bar takes the top 24 points (Qt's y 0..24).
const DesktopScreen screen{screenId(0), QRectF(0, 0, 1440, 900), QRectF(0, 0, 1440, 876), 60};

struct FakeStatusItem : StatusItem {
    QList<RockAppearance> looks; ///< every icon set, in order
    QRectF rect;
    bool hidden = false;
    void setAppearance(const RockAppearance &appearance) override { looks.append(appearance); }
    QRectF geometry() const override { return rect; }
    void hide() override { hidden = true; }
};

struct FakeIdleRock : IdleRock {
    QList<QString> calls; ///< "show x,y" or "hide"
    void showRock(QPointF p) override { calls.append(QStringLiteral("show %1,%2").arg(p.x()).arg(p.y())); }
    void hideRock() override { calls.append(QStringLiteral("hide")); }
};

// Where the frame's top left is and how big the content is: the window manager's side borders may
// widen the frame, the title bar lengthens it.
QRect placed(const QWidget *panel)
{
    return QRect(panel->frameGeometry().topLeft(), panel->size());
}

CustomRockShape someShape()
{
    CustomRockShape shape;
    shape.points = {{0.2, 0.2}, {0.8, 0.2}, {0.8, 0.8}, {0.2, 0.8}};
    return shape;
}
} // namespace

class TestAppDelegate : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeDesktop> desktop;
    FakeStatusItem *item = nullptr;
    FakeIdleRock *idle = nullptr;
    bool trayAvailable = true;
    std::unique_ptr<AppDelegate> delegate;

    void make(SaveData data = {})
    {
        AppDelegate::Parts parts{desktop,
                                 [this] {
                                     auto made = std::make_unique<FakeStatusItem>();
                                     item = made.get();
                                     // Without a tray host there is no icon to measure.
                                     item->rect = trayAvailable ? QRectF(1000, 5, 22, 22) : QRectF();
                                     return made;
                                 },
                                 [this](AppState *) {
                                     auto made = std::make_unique<FakeIdleRock>();
                                     idle = made.get();
                                     return made;
                                 },
                                 [this] { return trayAvailable; }, QString()};
        delegate = std::make_unique<AppDelegate>(std::make_unique<AppState>(QString(), data), parts);
        delegate->launch();
    }
    AppState &store() { return *delegate->state(); }

private slots:
    void init()
    {
        desktop = std::make_shared<FakeDesktop>();
        desktop->screens = {screen};
        desktop->pointerAt = {300, 400};
        trayAvailable = true;
    }
    void cleanup() { delegate.reset(); }

    void launchSetsTheIconTwiceAndShowsTheRock()
    {
        make();
        QCOMPARE(item->looks.size(), 2);
        QCOMPARE(item->looks[0], store().appearance());
        QCOMPARE(item->looks[1], store().appearance());
        QCOMPARE(idle->calls, QStringList{"show 300,400"});
        QVERIFY(!delegate->panel());
    }

    void aDisabledRockStaysHiddenAtLaunch()
    {
        SaveData data;
        data.isIdleRockEnabled = false;
        make(data);
        QVERIFY(idle->calls.isEmpty());
    }

    void iconFollowsTheDeliveredLook()
    {
        make();
        item->looks.clear();
        store().setRockColor(RockColor::original); // the same look: no new icon
        QVERIFY(item->looks.isEmpty());
        store().setRockExpression(RockExpression::smile);
        QCOMPARE(item->looks.size(), 1);
        // Built from the delivered value: the store did not hold it yet when the icon was made.
        QCOMPARE(item->looks[0].expression, RockExpression::smile);
        // A stored drawing changes nothing while the ready-made rock is in use...
        store().setCustomRockShape(someShape());
        QCOMPARE(item->looks.size(), 1);
        // ...and shows once it is.
        store().setUsesCustomRock(true);
        QCOMPARE(item->looks.size(), 2);
        QCOMPARE(item->looks[1].customShape, std::optional(someShape()));
        QCOMPARE(item->looks[1], store().appearance());
    }

    void rockFollowsTheSetting()
    {
        make();
        idle->calls.clear();
        store().setIsIdleRockEnabled(true); // the same value again does nothing
        QVERIFY(idle->calls.isEmpty());
        store().setIsIdleRockEnabled(false);
        desktop->pointerAt = {700, 100};
        store().setIsIdleRockEnabled(true);
        QCOMPARE(idle->calls, (QStringList{"hide", "show 700,100"}));
    }

    void heightChangesNeverMakeThePanel()
    {
        make();
        store().setIsPanelTall(true);
        store().setIsPanelTall(false);
        QVERIFY(!delegate->panel());
    }

    void clicksShowHideAndShowTheSamePanel()
    {
        make();
        emit item->clicked();
        PanelWindow *panel = delegate->panel();
        QVERIFY(panel);
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->windowTitle(), QStringLiteral("키보"));
        // Centred under the icon (1011 - 160), its top 8 below the icon's bottom (27 + 8).
        QCOMPARE(placed(panel), QRect(851, 35, 320, 470));
        QVERIFY(QTest::qWaitForWindowActive(panel));
        emit item->clicked();
        QVERIFY(!panel->isVisible());
        emit item->clicked();
        QCOMPARE(delegate->panel(), panel);
        QVERIFY(panel->isVisible());
    }

    void anInactivePanelHidesInOneClick()
    {
        make();
        emit item->clicked();
        PanelWindow *panel = delegate->panel();
        QVERIFY(QTest::qWaitForWindowActive(panel));
        QWidget elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        QTest::qWait(800); // long since left for another window: still in sight
        emit item->clicked();
        QVERIFY(!panel->isVisible());
    }

    void aMinimisedPanelComesBackWhole()
    {
        make();
        emit item->clicked();
        PanelWindow *panel = delegate->panel();
        QVERIFY(QTest::qWaitForWindowActive(panel));
        panel->showMinimized();
        QVERIFY(panel->isMinimized());
        emit item->clicked();
        QVERIFY(panel->isVisible());
        QVERIFY(!panel->isMinimized());
        QVERIFY(panel->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(placed(panel), QRect(851, 35, 320, 470));
        QVERIFY(QTest::qWaitForWindowActive(panel));
        // Whole again, the next click puts it away.
        emit item->clicked();
        QVERIFY(!panel->isVisible());
    }

    void offersNoMinimiseOrMaximise()
    {
        make();
        emit item->clicked();
        const Qt::WindowFlags flags = delegate->panel()->windowFlags();
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(flags & Qt::WindowCloseButtonHint);
    }

    void escapePutsThePanelAway()
    {
        SaveData data;
        data.hasOnboarded = true;
        make(data);
        emit item->clicked();
        PanelWindow *panel = delegate->panel();
        QVERIFY(QTest::qWaitForWindowActive(panel));
        // Typing in the wish field: Escape still reaches the panel.
        QTRY_VERIFY(QApplication::focusWidget() && panel->isAncestorOf(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!panel->isVisible());
        QVERIFY(delegate->panel());
    }

    void aShortScreenShrinksThePanelToFit()
    {
        // 1440 x 900 pixels at scale 2: 720 x 450 points, a 16-point tray bar at the top.
        desktop->height = 450;
        desktop->screens = {{screenId(0), QRectF(0, 0, 720, 450), QRectF(0, 0, 720, 434), 60}};
        SaveData data;
        data.hasOnboarded = true;
        make(data);
        item->rect = QRectF(690, 0, 16, 16);
        emit item->clicked();
        PanelWindow *panel = delegate->panel();
        // 418 points between the margins, less the 4 of this platform's window frame, for 470: drawn
        // at 0.881, 282 x 414, 8 inside the right edge and the bottom.
        QCOMPARE(placed(panel), QRect(430, 24, 282, 414));
        QVERIFY(std::abs(panel->contentScale() - 282.0 / 320) < 1e-9);
        QVERIFY(QTest::qWaitForWindowExposed(panel));
        auto *home = qobject_cast<HomeView *>(panel->rootView()->currentScreen());
        QVERIFY(home);
        // "종료" and "설정" lie inside the panel, which lies inside the screen.
        for (const QString &name : {u"quit"_s, u"settings"_s}) {
            auto *button = home->findChild<QWidget *>(name);
            QVERIFY(button);
            const QRect global(button->mapToGlobal(QPoint(0, 0)),
                               button->mapToGlobal(QPoint(button->width(), button->height())));
            QVERIFY2(panel->geometry().contains(global), qPrintable(name));
        }
        // A click where "설정" is drawn opens the settings.
        const QWidget *settings = home->settingsButton();
        const QPoint at = settings->mapToGlobal(settings->rect().center());
        QWidget *under = QApplication::widgetAt(at);
        QVERIFY(under);
        QTest::mouseClick(under, Qt::LeftButton, {}, under->mapFromGlobal(at));
        QTRY_VERIFY(home->isShowingSettings());
        // The keyboard goes round the shrunk panel's controls: the switch, the size slider (the floating
        // rock is on), the login switch, "종료" after the content, the back chevron in the header, and the
        // switch again; Backtab goes back.
        panel->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(panel));
        QCOMPARE(panel->rootView()->focusWidget(), home->content());
        auto *settingsView = qobject_cast<SettingsView *>(home->content());
        const QList<QWidget *> round{settingsView->idleRockSwitch(), settingsView->sizeSlider(),
                                     settingsView->loginSwitch(), home->findChild<QWidget *>(u"quit"_s),
                                     home->backButton(), settingsView->idleRockSwitch()};
        for (QWidget *expected : round) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(panel->rootView()->focusWidget(), expected);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(panel->rootView()->focusWidget(), home->backButton());
        // Escape still puts the shrunk panel away.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!panel->isVisible());
        // A tall screen again: whole size, the root view back in the panel itself.
        desktop->height = 900;
        desktop->screens = {screen};
        item->rect = QRectF(1000, 5, 22, 22);
        delegate->applyHeight(false);
        QCOMPARE(placed(panel), QRect(851, 35, 320, 470));
        QCOMPARE(panel->contentScale(), 1.0);
        QCOMPARE(panel->rootView()->parentWidget(), panel);
    }

    void closingOnlyHides()
    {
        make();
        emit item->clicked();
        PanelWindow *panel = delegate->panel();
        panel->close();
        QVERIFY(!panel->isVisible());
        emit item->clicked();
        QCOMPARE(delegate->panel(), panel);
        QVERIFY(panel->isVisible());
    }

    void tallPanelGrowsDownwards()
    {
        make();
        emit item->clicked();
        store().setIsPanelTall(true);
        // Two thirds of the 876-point visible height: 584; the top edge stays put.
        QCOMPARE(placed(delegate->panel()), QRect(851, 35, 320, 584));
        store().setIsPanelTall(false);
        QCOMPARE(placed(delegate->panel()), QRect(851, 35, 320, 470));
    }

    void anEmptyIconRectAnchorsOnTheClick()
    {
        make();
        item->rect = QRectF(0, 0, 0, 0);
        desktop->pointerAt = {700.5, 860}; // y up: 40 points below the screen's top
        emit item->clicked();
        // x = 701 - 160 (the half rounds away from zero); the top 8 below the 1 x 1 anchor.
        QCOMPARE(placed(delegate->panel()), QRect(541, 48, 320, 470));
    }

    void theHostsClickPointAnchors_data()
    {
        using Point = std::optional<QPointF>;
        QTest::addColumn<QRectF>("icon");
        QTest::addColumn<Point>("at"); // Qt's coordinates, as hosts send them
        QTest::addColumn<bool>("pointerKnown");
        QTest::addColumn<QPointF>("pointer"); // y up
        QTest::addColumn<QRect>("expected");
        const QRectF none;
        // Anchored 1 x 1 at x 700, 40 below the top: x = 700.5 - 160 rounded away, top 8 below.
        QTest::newRow("global, pointer there")
            << none << Point({700, 40}) << true << QPointF(705, 858) << QRect(541, 48, 320, 470);
        QTest::newRow("global, pointer unknown")
            << none << Point({700, 40}) << false << QPointF(100, 100) << QRect(541, 48, 320, 470);
        QTest::newRow("bar-local, pointer far")
            << none << Point({12, 14}) << true << QPointF(1200, 860) << QRect(1041, 48, 320, 470);
        QTest::newRow("off screen, pointer known")
            << none << Point({-30, 5000}) << true << QPointF(700, 860) << QRect(541, 48, 320, 470);
        QTest::newRow("tray's rectangle first") << QRectF(1000, 5, 22, 22) << Point({12, 14}) << true
                                                << QPointF(100, 100) << QRect(851, 35, 320, 470);
    }
    void theHostsClickPointAnchors()
    {
        using Point = std::optional<QPointF>;
        QFETCH(QRectF, icon);
        QFETCH(Point, at);
        QFETCH(bool, pointerKnown);
        QFETCH(QPointF, pointer);
        QFETCH(QRect, expected);
        make();
        item->rect = icon;
        desktop->pointerKnown = pointerKnown;
        desktop->pointerAt = pointer;
        emit item->clicked(at);
        QCOMPARE(placed(delegate->panel()), expected);
    }

    void aStalePointerIsNotTakenForTheClick()
    {
        make();
        item->rect = QRectF();
        desktop->pointerKnown = false;
        desktop->pointerAt = {100, 100};
        emit item->clicked();
        // Centred in the visible frame below the 24-point bar: centre 720, 462.
        const QPoint offCentre = delegate->panel()->frameGeometry().center() - QPoint(720, 462);
        QVERIFY2(offCentre.manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1, %2").arg(offCentre.x()).arg(offCentre.y())));
    }

    void withoutATrayThePanelShowsCentredAtLaunch()
    {
        trayAvailable = false;
        make();
        PanelWindow *panel = delegate->panel();
        QVERIFY(panel);
        QVERIFY(panel->isVisible());
        // The visible frame lies under a 24-point bar at the top: its centre is at 720, 24 + 438.
        const QPoint offCentre = panel->frameGeometry().center() - QPoint(720, 462);
        QVERIFY2(offCentre.manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1, %2").arg(offCentre.x()).arg(offCentre.y())));
    }

    void withoutATrayAShortScreenStillHoldsThePanel()
    {
        // 720 x 450 points with a 16-point bar: centred, and shrunk to 434 points between the margins.
        desktop->height = 450;
        desktop->screens = {{screenId(0), QRectF(0, 0, 720, 450), QRectF(0, 0, 720, 434), 60}};
        trayAvailable = false;
        make();
        PanelWindow *panel = delegate->panel();
        QVERIFY(panel->contentScale() < 1);
        const QRect frame = panel->frameGeometry();
        QVERIFY2(QRect(0, 16 + 8, 720, 434 - 16).contains(frame), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                                 .arg(frame.x())
                                                                                 .arg(frame.y())
                                                                                 .arg(frame.width())
                                                                                 .arg(frame.height())));
        QVERIFY(std::abs(frame.center().x() - 360) <= 1 && std::abs(frame.center().y() - 233) <= 1);
    }

    void quittingIsNotStoppedByThePanel()
    {
        make();
        delegate->showPanel();
        // "종료" quits through the event loop while the panel is open: nothing may hold it up.
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QTimer::singleShot(3000, qApp, [] { QCoreApplication::exit(1); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(delegate->panel()); // closed, not deleted
    }

    void thePanelHoldsTheRootView()
    {
        make();
        delegate->showPanel();
        QVERIFY(delegate->panel()->rootView());
        QCOMPARE(delegate->panel()->rootView()->width(), 320);
    }
};

QTEST_MAIN(TestAppDelegate)
#include "tst_appdelegate.moc"
