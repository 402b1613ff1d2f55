#include "AppState.h"
#include "FakeDesktop.h"
#include "IdleRockController.h"
#include "IdleRockView.h"
#include "PointerAround.h"
#include "PointerFeed.h"
#include "RockSurface.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr double frame = 1.0 / 60;
// The laptop screen: 1440 x 900 with a 25-point bar at the top; scale 1 gives an 88-point window.
const DesktopScreen laptop{screenId(0), QRectF(0, 0, 1440, 900), QRectF(0, 0, 1440, 875), 60};
const DesktopScreen wide{screenId(1), QRectF(1440, 0, 2560, 1440), QRectF(1440, 0, 2560, 1400), 144};

SaveData defaults()
{
    return {};
}

/// A surface that only remembers what it was told.
struct FakeSurface : RockSurface {
    QRect frame;
    bool visible = false;
    void setFrame(const QRect &f) override { frame = f; }
    void show() override { visible = true; }
    void hide() override { visible = false; }
    void raise() override {}
    bool isVisible() const override { return visible; }
};

/// A compositor's feed: it reports every move, warps included, so a resting rock needs no look.
struct FakeFeed : PointerFeed {
    std::shared_ptr<FakeDesktop> desktop;
    bool listening = false;
    explicit FakeFeed(std::shared_ptr<FakeDesktop> d) : desktop(std::move(d)) {}
    QPointF position() const override { return desktop->pointerAt; }
    void setListening(bool on) override { listening = on; }
    bool reportsMotion() const override { return true; }
    bool reportsWarps() const override { return true; }
};

} // namespace

class TestIdleRockController : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeDesktop> desktop;
    std::unique_ptr<AppState> state;
    std::unique_ptr<IdleRockController> rock;

private slots:
    void init()
    {
        desktop = std::make_shared<FakeDesktop>();
        desktop->screens = {laptop};
        desktop->pointerAt = {500, 500};
        state = std::make_unique<AppState>(QString(), defaults());
        rock = std::make_unique<IdleRockController>(state.get(), desktop);
    }
    void cleanup()
    {
        rock.reset();
        state.reset();
    }

    void showPlacesTheRockAtOnce()
    {
        rock->showRock(desktop->pointerAt);
        QCOMPARE(rock->activePanelSize(), QSizeF(88, 88));
        QVERIFY(std::abs(rock->currentOrigin().x() - 514.96) < 1e-9);
        QVERIFY(std::abs(rock->currentOrigin().y() - 394.4) < 1e-9);
        QCOMPARE(rock->targetOrigin(), rock->currentOrigin());
        QCOMPARE(rock->windowFrame(), QRectF(515, 394, 88, 88));
        // In Qt's coordinates the same window's top is 900 - (394 + 88).
        QCOMPARE(rock->view()->geometry(), QRect(515, 418, 88, 88));
        QVERIFY(rock->view()->isVisible());
        QVERIFY(rock->isRunning());
    }

    void trailsThePointer()
    {
        rock->showRock(desktop->pointerAt);
        desktop->pointerAt += QPointF(100, 0);
        rock->step(frame);
        // 12.03 % of the 100-point jump in one 60 Hz frame.
        QVERIFY(std::abs(rock->currentOrigin().x() - (514.96 + 12.033)) < 1e-3);
        QCOMPARE(rock->windowFrame().x(), 527.0);
        QVERIFY(!rock->isInteractionLocked());
    }

    void stopsAtThePointerAndFollowsAgainFarAway()
    {
        rock->showRock(desktop->pointerAt);
        const QPointF centre = rock->windowFrame().center();
        desktop->pointerAt = centre + QPointF(50, 0); // 6 outside the right edge
        rock->step(frame);
        QVERIFY(rock->isInteractionLocked());
        const QPointF target = rock->targetOrigin();
        desktop->pointerAt = centre + QPointF(44 + 78, 0); // 78 out, beyond 0.85 x 88 = 74.8
        rock->step(frame);
        QVERIFY(!rock->isInteractionLocked());
        QVERIFY(rock->targetOrigin() != target);
    }

    void lockHoldsWithinTheReleaseZone()
    {
        rock->showRock(desktop->pointerAt);
        const QPointF centre = rock->windowFrame().center();
        desktop->pointerAt = centre;
        rock->step(frame);
        QVERIFY(rock->isInteractionLocked());
        const QPointF target = rock->targetOrigin();
        desktop->pointerAt = centre + QPointF(44 + 74, 0); // 74 out of 74.8
        rock->step(frame);
        QVERIFY(rock->isInteractionLocked());
        QCOMPARE(rock->targetOrigin(), target);
    }

    void circlingClockwiseTurnsTheRockClockwise()
    {
        rock->showRock(desktop->pointerAt);
        const QPointF centre = rock->windowFrame().center();
        // Clockwise on screen is a falling angle when y grows upwards.
        for (int i = 0; i <= 20; ++i) {
            desktop->pointerAt = around(centre, 30, -10.0 * i);
            rock->step(frame);
        }
        QVERIFY(rock->isInteractionLocked());
        QVERIFY2(rock->roll().degrees() > 150, qPrintable(QString::number(rock->roll().degrees())));
        QVERIFY(rock->roll().spin() > 0);
    }

    void hiddenWhileSpinningShowsUprightWithoutSliding()
    {
        rock->showRock(desktop->pointerAt);
        const QPointF centre = rock->windowFrame().center();
        for (int i = 0; i <= 10; ++i) {
            desktop->pointerAt = around(centre, 30, 15.0 * i);
            rock->step(frame);
        }
        QVERIFY(rock->roll().spin() != 0);
        rock->hideRock();
        QVERIFY(!rock->view()->isVisible());
        QVERIFY(!rock->isRunning());
        QCOMPARE(rock->roll().degrees(), 0.0);
        QCOMPARE(rock->roll().spin(), 0.0);
        QVERIFY(!rock->isInteractionLocked());
        QVERIFY(!rock->hasOrigin());

        rock->showRock({900, 300});
        QCOMPARE(rock->windowFrame().topLeft(), QPointF(915, 194)); // 900 + 14.96, 300 - 17.6 - 88
        QCOMPARE(rock->currentOrigin(), rock->targetOrigin());
    }

    void showWhileShownJumps()
    {
        rock->showRock(desktop->pointerAt);
        rock->showRock({200, 700});
        QCOMPARE(rock->windowFrame().topLeft(), QPointF(215, 594));
        QCOMPARE(rock->currentOrigin(), rock->targetOrigin());
        QVERIFY(rock->isRunning());
    }

    void newScaleAppliesOnTheNextFrame()
    {
        rock->showRock(desktop->pointerAt);
        state->setIdleRockScale(1.5);
        rock->step(frame);
        QCOMPARE(rock->activePanelSize(), QSizeF(130, 130));
        QCOMPARE(rock->windowFrame().size(), QSizeF(130, 130));
        QCOMPARE(rock->view()->size(), QSize(130, 130));
    }

    void sizesAreRecomputedOncePerScreen()
    {
        desktop->screens = {laptop, wide};
        rock->showRock(desktop->pointerAt);
        QCOMPARE(rock->frameIntervalMs(), 17);
        QSignalSpy sizes(&rock->metrics(), &IdleRockMetrics::panelSizeChanged);
        desktop->pointerAt = {2000, 700};
        rock->step(frame);
        rock->step(frame);
        rock->step(frame);
        QCOMPARE(sizes.count(), 1);
        QCOMPARE(rock->metrics().baseSide(), 124.0); // a tenth of 1400, capped
        QCOMPARE(rock->activePanelSize(), QSizeF(125, 125));
        QCOMPARE(rock->frameIntervalMs(), 8); // 144 Hz is capped at 120
    }

    void theSeamsColumnBelongsToTheNextScreen_data()
    {
        QTest::addColumn<QPointF>("pointer");
        QTest::addColumn<double>("side");
        QTest::newRow("the laptop's last column") << QPointF(1439.5, 500) << 88.0;
        QTest::newRow("the wide screen's first column") << QPointF(1440, 500) << 125.0;
        QTest::newRow("above the laptop, on the wide screen") << QPointF(1440, 1200) << 125.0;
    }
    void theSeamsColumnBelongsToTheNextScreen()
    {
        QFETCH(QPointF, pointer);
        QFETCH(double, side);
        desktop->screens = {laptop, wide};
        rock->showRock(pointer);
        QCOMPARE(rock->activePanelSize().width(), side);
    }

    void crossingASeamSlowlyKeepsFollowing()
    {
        // From the laptop onto the larger screen, 2 points a frame: the rock grows from 88 to 125 on
        // the way and must never stop by growing into the pointer.
        desktop->screens = {laptop, wide};
        desktop->pointerAt = {1300, 600};
        rock->showRock(desktop->pointerAt);
        for (int i = 0; i < 200; ++i) {
            desktop->pointerAt.rx() += 2;
            rock->step(frame);
            QVERIFY2(!rock->isInteractionLocked(), qPrintable(u"locked at x = %1"_s.arg(desktop->pointerAt.x())));
        }
        QCOMPARE(rock->activePanelSize(), QSizeF(125, 125));
        for (int i = 0; i < 120; ++i)
            rock->step(frame);
        QVERIFY(std::abs(rock->windowFrame().left() - (1700 + 0.17 * 125)) <= 1);
    }

    void theRockCrossesAGapBetweenScalesAtOnce()
    {
        // A laptop at scale 2 shows 720 x 450 points; the monitor beside it starts at 1440 points.
        const DesktopScreen halfLaptop{screenId(0), QRectF(0, 450, 720, 450), QRectF(0, 450, 720, 425), 60};
        desktop->screens = {halfLaptop, wide};
        desktop->pointerAt = {600, 700};
        rock->showRock(desktop->pointerAt);
        desktop->pointerAt = {1500, 700};
        for (int i = 0; i < 30; ++i) {
            rock->step(frame);
            const QPointF centre = rock->windowFrame().center();
            const QString where = u"frame %1: the rock at %2, %3"_s.arg(i).arg(centre.x()).arg(centre.y());
            QVERIFY2(halfLaptop.holds(centre) || wide.holds(centre), qPrintable(where));
        }
        QVERIFY(wide.holds(rock->windowFrame().center()));
    }

    void aPointerWaveringOnTheSeamChangesTheSizeOnce()
    {
        desktop->screens = {laptop, wide};
        desktop->pointerAt = {1430, 600};
        rock->showRock(desktop->pointerAt);
        QSignalSpy sizes(&rock->metrics(), &IdleRockMetrics::panelSizeChanged);
        for (int i = 0; i < 60; ++i) {
            desktop->pointerAt.setX(i % 2 ? 1436 : 1446);
            rock->step(frame);
        }
        QCOMPARE(sizes.count(), 0);
        desktop->pointerAt.setX(1470); // well past the seam
        rock->step(frame);
        QCOMPARE(sizes.count(), 1);
        QCOMPARE(rock->activePanelSize(), QSizeF(125, 125));
    }

    void aScreensNewAreaIsUsedAtOnce()
    {
        desktop->pointerAt = {990, 500};
        rock->showRock(desktop->pointerAt);
        QVERIFY(rock->targetOrigin().x() > 990);
        // The same screen, its usable area now ending at 1000 (a dock on the right).
        desktop->screens = {{laptop.id, laptop.frame, QRectF(0, 0, 1000, 875), 60}};
        rock->step(frame);
        QVERIFY(rock->targetOrigin().x() + 88 <= 990);
    }

    void aLockedRockLeftOutsideAShrunkScreenComesBackIn()
    {
        desktop->pointerAt = {1300, 100};
        rock->showRock(desktop->pointerAt);
        desktop->pointerAt = rock->windowFrame().center(); // on the rock: it stops
        rock->step(frame);
        QVERIFY(rock->isInteractionLocked());
        // The monitor's resolution drops to 1280 x 720 (its top stays where it was, y up).
        const QRectF smaller(0, 180, 1280, 720);
        desktop->screens = {{laptop.id, smaller, smaller.adjusted(0, 0, 0, -25), 60}};
        desktop->pointerAt = {1270, 200};
        for (int i = 0; i < 120; ++i)
            rock->step(frame);
        const QRectF at = rock->windowFrame();
        QVERIFY2(smaller.contains(at), qPrintable(u"the rock at %1, %2"_s.arg(at.x()).arg(at.y())));
    }

    void withoutScreensNothingIsClamped()
    {
        desktop->screens.clear();
        rock->showRock({1439, 5});
        QCOMPARE(rock->metrics().baseSide(), 92.0);
        QCOMPARE(rock->windowFrame(), QRectF(1455, -105, 92, 92)); // 1439 + 15.64, 5 - 18.4 - 92
    }

    void restsOnceSettledAndWakesOnMotion()
    {
        rock->showRock(desktop->pointerAt);
        const int pictures = rock->view()->pictureCount();
        rock->step(frame);
        QVERIFY(rock->isRunning()); // the first frame has no earlier pointer to compare with
        rock->step(frame);
        QVERIFY(!rock->isRunning());
        QCOMPARE(rock->view()->pictureCount(), pictures); // nothing turned or grew: nothing redrawn
        desktop->pointerAt += QPointF(40, 0);
        QTRY_VERIFY_WITH_TIMEOUT(rock->isRunning(), 2000);
    }

    void restsWithThePointerResting_data()
    {
        QTest::addColumn<QPointF>("offset"); // from the rock's centre
        QTest::addColumn<double>("turn");    // degrees the pointer turns the rock before resting
        QTest::newRow("in the middle, upright") << QPointF(0, 0) << 0.0;
        QTest::newRow("on the ring, left tilted") << QPointF(30, 0) << 40.0;
        QTest::newRow("just outside, upright") << QPointF(48, 0) << 0.0;
    }
    void restsWithThePointerResting()
    {
        QFETCH(QPointF, offset);
        QFETCH(double, turn);
        rock->showRock(desktop->pointerAt);
        const QPointF centre = rock->windowFrame().center();
        const double angle = turn * M_PI / 180;
        desktop->pointerAt = centre + QPointF(30 * std::cos(angle), 30 * std::sin(angle));
        rock->step(frame);
        desktop->pointerAt = turn ? centre + QPointF(30, 0) : centre + offset;
        rock->step(frame);
        QVERIFY(rock->isInteractionLocked());
        const double degrees = rock->roll().degrees();
        QCOMPARE(degrees != 0, turn != 0);
        // The pointer stays on the rock: once the spin has died away nothing changes, and frames stop.
        int frames = 0;
        while (rock->isRunning() && frames < 600) {
            rock->step(frame);
            ++frames;
        }
        QVERIFY2(!rock->isRunning(), "still running after 10 s");
        QVERIFY(rock->isInteractionLocked());
        QCOMPARE(rock->roll().degrees(), degrees); // left tilted where the pointer holds it
    }

    void keepsRunningWhileTheRockApproaches()
    {
        rock->showRock(desktop->pointerAt);
        desktop->pointerAt += QPointF(300, 0);
        rock->step(frame);
        rock->step(frame); // the pointer is still now, but the rock is far from it
        QVERIFY(rock->isRunning());
        for (int i = 0; i < 200 && rock->isRunning(); ++i)
            rock->step(frame);
        QVERIFY(!rock->isRunning());
        QCOMPARE(rock->windowFrame().x(), std::round(800 + 14.96));
    }

    void stopsWhenTheWindowWasHiddenElsewhere()
    {
        rock->showRock(desktop->pointerAt);
        rock->view()->hide();
        rock->step(frame);
        QVERIFY(!rock->isRunning());
    }

    void redrawsOnlyWhenTheRockTurns()
    {
        rock->showRock(desktop->pointerAt);
        IdleRockView *view = rock->view();
        const int before = view->pictureCount();
        for (int i = 0; i < 3; ++i)
            rock->step(frame);
        QCOMPARE(view->pictureCount(), before);
        const QPointF centre = rock->windowFrame().center();
        desktop->pointerAt = around(centre, 30, 0);
        rock->step(frame);
        desktop->pointerAt = around(centre, 30, -20);
        rock->step(frame);
        QCOMPARE(view->pictureCount(), before + 1);
    }

    void screenReadersDoNotSeeTheRock()
    {
        rock->showRock(desktop->pointerAt);
        QAccessibleInterface *element = QAccessible::queryAccessibleInterface(rock->view());
        QVERIFY(element->state().invisible);
        QVERIFY(element->text(QAccessible::Name).isEmpty());
        QCOMPARE(element->childCount(), 0);
    }

    void maskFollowsTheRock()
    {
        rock->showRock(desktop->pointerAt);
        IdleRockView *view = rock->view();
        view->setUsesShapeMask(true);
        const QRegion mask = view->mask();
        QVERIFY(mask.contains(QPoint(44, 44)));  // the rock's middle
        QVERIFY(!mask.contains(QPoint(1, 1)));   // the window's corner is empty paper
        view->setUsesShapeMask(false);
        QVERIFY(view->mask().isEmpty());
    }

    void followsTheLookOfTheStore()
    {
        rock->showRock(desktop->pointerAt);
        IdleRockView *view = rock->view();
        const QImage before = view->picture();
        state->setRockColor(RockColor::blue);
        QTRY_VERIFY(view->picture() != before);
    }

    void withoutAFeedTheRockRestsInTheCorner()
    {
        FakeSurface *surface = nullptr;
        IdleRockPlatform platform{[&](AppState *, const IdleRockMetrics *, const IdleRockRoll *) {
                                      auto made = std::make_unique<FakeSurface>();
                                      surface = made.get();
                                      return made;
                                  },
                                  [] { return std::shared_ptr<PointerFeed>(); }};
        IdleRockController resting(state.get(), desktop, platform);
        resting.showRock(desktop->pointerAt);
        QVERIFY(!resting.follows());
        // 24 in from the right and from the bottom of 1440 x 875: Qt's top is 900 - (24 + 88).
        QCOMPARE(surface->frame, QRect(1328, 788, 88, 88));
        QVERIFY(surface->visible);
        QVERIFY(!resting.isRunning());
        desktop->pointerAt = QPointF(1300, 60); // onto the rock: nothing moves, nothing locks
        resting.step(frame);
        QCOMPARE(surface->frame, QRect(1328, 788, 88, 88));
        QVERIFY(!resting.isRunning());
        state->setIdleRockScale(1.5); // bigger, still in the corner
        QTRY_VERIFY(surface->frame.width() > 88);
        QCOMPARE(surface->frame.right() + 1, 1440 - 24);
        QCOMPARE(surface->frame.bottom() + 1, 900 - 24);
        resting.hideRock();
        QVERIFY(!surface->visible);
    }

    void aFeedThatReportsEveryMoveWakesTheRock()
    {
        auto feed = std::make_shared<FakeFeed>(desktop);
        FakeSurface *surface = nullptr;
        IdleRockPlatform platform{[&](AppState *, const IdleRockMetrics *, const IdleRockRoll *) {
                                      auto made = std::make_unique<FakeSurface>();
                                      surface = made.get();
                                      return made;
                                  },
                                  [feed] { return feed; }};
        IdleRockController following(state.get(), desktop, platform);
        following.showRock(desktop->pointerAt);
        QCOMPARE(surface->frame, QRect(515, 418, 88, 88));
        for (int i = 0; i < 3 && following.isRunning(); ++i)
            following.step(frame);
        QVERIFY(!following.isRunning());
        QVERIFY(feed->listening);
        desktop->pointerAt += QPointF(100, 0);
        emit feed->moved();
        QVERIFY(following.isRunning());
        QVERIFY(!feed->listening);
        following.step(frame);
        QVERIFY(surface->frame.x() > 515);
    }
};

QTEST_MAIN(TestIdleRockController)
#include "tst_idlerockcontroller.moc"
