#include "IdleRockFollow.h"
#include "PanelPlacement.h"
#include "ScreenCoordinates.h"

#include <QTest>

#include <cmath>

namespace {
const QRectF laptop(0, 0, 1440, 875); // a visible frame below a 25-point top bar on 1440 x 900
constexpr double chrome = 28;

bool near(QPointF a, QPointF b)
{
    return std::abs(a.x() - b.x()) < 1e-9 && std::abs(a.y() - b.y()) < 1e-9;
}
} // namespace

class TestPlacement : public QObject {
    Q_OBJECT

private slots:
    void coordinatesFlipBothWays()
    {
        // A 22-point icon at the very top of a 900-point primary screen sits at y 878..900 when y grows up.
        const QRectF qtIcon(700, 0, 22, 22);
        const QRectF up = ScreenCoordinates::flipped(qtIcon, 900);
        QCOMPARE(up, QRectF(700, 878, 22, 22));
        QCOMPARE(ScreenCoordinates::flipped(up, 900), qtIcon);
        QCOMPARE(ScreenCoordinates::flipped(QPointF(5, 10), 900), QPointF(5, 890));
    }

    void panelFrame_data()
    {
        QTest::addColumn<QRectF>("item");
        QTest::addColumn<QRectF>("visible");
        QTest::addColumn<bool>("tall");
        QTest::addColumn<QRectF>("frame");
        // Short: 470 + 28 high, centred under the icon, its top 8 below the icon's bottom.
        QTest::newRow("centred under the icon")
            << QRectF(700, 875, 22, 22) << laptop << false << QRectF(551, 369, 320, 498);
        QTest::newRow("right edge stops 8 inside")
            << QRectF(1400, 875, 22, 22) << laptop << false << QRectF(1112, 369, 320, 498);
        QTest::newRow("left edge stops 8 inside")
            << QRectF(0, 875, 22, 22) << laptop << false << QRectF(8, 369, 320, 498);
        QTest::newRow("too narrow: the right limit wins")
            << QRectF(100, 875, 22, 22) << QRectF(0, 0, 300, 875) << false << QRectF(-28, 369, 320, 498);
        // An icon reaching into the visible frame would put the panel's top 6 from its edge.
        QTest::newRow("the top stays 8 inside")
            << QRectF(700, 877, 22, 22) << laptop << false << QRectF(551, 369, 320, 498);
        QTest::newRow("tall on 900 visible is 600")
            << QRectF(700, 900, 22, 22) << QRectF(0, 0, 1440, 900) << true << QRectF(551, 264, 320, 628);
        QTest::newRow("tall on 1000 visible rounds to 667")
            << QRectF(700, 1000, 22, 22) << QRectF(0, 0, 1440, 1000) << true << QRectF(551, 297, 320, 695);
        // A tray at the bottom edge: the bottom clamp lifts the panel 8 above the visible frame.
        QTest::newRow("tray at the bottom")
            << QRectF(700, 0, 22, 22) << QRectF(0, 30, 1440, 870) << false << QRectF(551, 38, 320, 498);
        // A short screen: 420 - 8 - 8 - 28 leaves 376 points, so the content is drawn at 0.8: 256 x 376
        // with the chrome on top, kept 8 inside the right edge.
        QTest::newRow("short screen: shrunk to fit")
            << QRectF(600, 420, 16, 16) << QRectF(0, 0, 720, 420) << false << QRectF(456, 8, 256, 404);
        QTest::newRow("short screen, tall: shrunk alike")
            << QRectF(600, 420, 16, 16) << QRectF(0, 0, 720, 420) << true << QRectF(456, 8, 256, 404);
        // Exactly enough room: 498 + 8 + 8 (the icon above the frame) keeps the whole size.
        QTest::newRow("just fits") << QRectF(700, 520, 22, 22) << QRectF(0, 0, 1440, 514) << false
                                   << QRectF(551, 8, 320, 498);
    }
    void panelFrame()
    {
        QFETCH(QRectF, item);
        QFETCH(QRectF, visible);
        QFETCH(bool, tall);
        QFETCH(QRectF, frame);
        QCOMPARE(PanelPlacement::panelFrame({item, visible}, chrome, tall), frame);
    }

    void contentScale_data()
    {
        QTest::addColumn<QRectF>("item");
        QTest::addColumn<QRectF>("visible");
        QTest::addColumn<double>("chrome");
        QTest::addColumn<double>("scale");
        QTest::newRow("room enough") << QRectF(700, 875, 22, 22) << laptop << 28.0 << 1.0;
        // 1440 x 900 pixels at scale 2 are 720 x 450 points; a 16-point tray bar above the frame.
        // From 8 below the bar to 8 above the bottom: 418 points for 470.
        QTest::newRow("720 x 450 points")
            << QRectF(690, 434, 16, 16) << QRectF(0, 0, 720, 434) << 0.0 << 0.889362;
        QTest::newRow("720 x 450 points with a title bar")
            << QRectF(690, 434, 16, 16) << QRectF(0, 0, 720, 434) << 20.0 << 0.846809;
        // No reserved tray bar: the icon lies inside the frame and the panel still hangs below it.
        QTest::newRow("icon inside the frame")
            << QRectF(690, 434, 16, 16) << QRectF(0, 0, 720, 450) << 0.0 << 0.889362;
        // A tray at the bottom: the panel rises from the bottom margin to the top margin.
        QTest::newRow("tray at the bottom")
            << QRectF(690, 0, 16, 16) << QRectF(0, 16, 720, 434) << 0.0 << 0.889362;
        QTest::newRow("a tiny screen keeps a quarter")
            << QRectF(100, 100, 16, 16) << QRectF(0, 0, 200, 100) << 0.0 << 0.25;
    }
    void contentScale()
    {
        QFETCH(QRectF, item);
        QFETCH(QRectF, visible);
        QFETCH(double, chrome);
        QFETCH(double, scale);
        const double actual = PanelPlacement::contentScale({item, visible}, chrome, 470);
        QVERIFY2(std::abs(actual - scale) < 1e-6, qPrintable(QString::number(actual, 'f', 6)));
    }

    void centredContent_data()
    {
        QTest::addColumn<double>("visible");
        QTest::addColumn<double>("chrome");
        QTest::addColumn<QSizeF>("content");
        QTest::newRow("room enough keeps the size") << 900.0 << 28.0 << QSizeF(320, 470);
        // 434 points between the margins for 470: 0.923404.
        QTest::newRow("720 x 450 points") << 450.0 << 0.0 << QSizeF(295.489362, 434);
        QTest::newRow("with a title bar") << 450.0 << 20.0 << QSizeF(281.87234, 414);
        QTest::newRow("a tiny screen keeps a quarter") << 100.0 << 0.0 << QSizeF(80, 117.5);
    }
    void centredContent()
    {
        QFETCH(double, visible);
        QFETCH(double, chrome);
        QFETCH(QSizeF, content);
        const QSizeF actual = PanelPlacement::centredContent(visible, chrome, 470);
        QVERIFY2(std::abs(actual.width() - content.width()) < 1e-5 &&
                     std::abs(actual.height() - content.height()) < 1e-5,
                 qPrintable(QStringLiteral("%1 x %2").arg(actual.width(), 0, 'f', 6).arg(actual.height())));
    }

    void tallContentHeight_data()
    {
        QTest::addColumn<double>("visible");
        QTest::addColumn<double>("height");
        QTest::newRow("900") << 900.0 << 600.0;
        QTest::newRow("600 keeps the minimum") << 600.0 << 470.0;
        QTest::newRow("1000") << 1000.0 << 667.0;
    }
    void tallContentHeight()
    {
        QFETCH(double, visible);
        QFETCH(double, height);
        QCOMPARE(PanelPlacement::contentHeight(QRectF(0, 0, 800, visible), true), height);
        QCOMPARE(PanelPlacement::contentHeight(QRectF(0, 0, 800, visible), false), 470.0);
    }

    void anchorRect()
    {
        const QRectF icon(10, 20, 22, 22);
        QCOMPARE(PanelPlacement::anchorRect(icon, QPointF(1, 2)), std::optional(icon));
        // StatusNotifier hosts report an empty rectangle, often at (0, 0): the click's pointer stands in.
        QCOMPARE(PanelPlacement::anchorRect(QRectF(), QPointF(600, 880)),
                 std::optional(QRectF(600, 880, 1, 1)));
        QCOMPARE(PanelPlacement::anchorRect(QRectF(0, 0, 0, 22), QPointF(600, 880)),
                 std::optional(QRectF(600, 880, 1, 1)));
        QCOMPARE(PanelPlacement::anchorRect(QRectF(), std::nullopt), std::nullopt);
    }

    void clickPoint_data()
    {
        using Point = std::optional<QPointF>;
        QTest::addColumn<Point>("host");
        QTest::addColumn<bool>("onScreen");
        QTest::addColumn<Point>("pointer");
        QTest::addColumn<Point>("expected");
        const Point none;
        // A 1440 x 900 screen, y up: its tray bar is near y 890.
        QTest::newRow("global, at the pointer")
            << Point({1300, 880}) << true << Point({1305, 884}) << Point({1300, 880});
        QTest::newRow("global, pointer moved a little")
            << Point({1300, 880}) << true << Point({1340, 860}) << Point({1300, 880});
        QTest::newRow("global, pointer unknown") << Point({1300, 880}) << true << none << Point({1300, 880});
        QTest::newRow("bar-local near the origin")
            << Point({12, 14}) << true << Point({1300, 885}) << Point({1300, 885});
        QTest::newRow("100 points apart")
            << Point({1200, 885}) << true << Point({1300, 885}) << Point({1300, 885});
        QTest::newRow("off every screen")
            << Point({-40, 2000}) << false << Point({1300, 885}) << Point({1300, 885});
        QTest::newRow("off every screen, pointer unknown") << Point({-40, 2000}) << false << none << none;
        QTest::newRow("no host point") << none << false << Point({700, 450}) << Point({700, 450});
        QTest::newRow("nothing known") << none << false << none << none;
    }
    void clickPoint()
    {
        using Point = std::optional<QPointF>;
        QFETCH(Point, host);
        QFETCH(bool, onScreen);
        QFETCH(Point, pointer);
        QFETCH(Point, expected);
        QCOMPARE(PanelPlacement::clickPoint({host, onScreen, pointer}), expected);
    }

    void integralRoundsHalvesAwayFromZero()
    {
        QCOMPARE(PanelPlacement::integral(QRectF(10.5, -10.5, 320.4, 497.6)), QRect(11, -11, 320, 498));
        QCOMPARE(IdleRockFollow::windowFrame(QPointF(514.5, -2.5), QSizeF(88, 88)), QRect(515, -3, 88, 88));
    }

    void originNear_data()
    {
        QTest::addColumn<QPointF>("pointer");
        QTest::addColumn<QRectF>("visible"); // empty: no screen
        QTest::addColumn<double>("side");
        QTest::addColumn<QPointF>("origin");
        QTest::newRow("right of and below the pointer")
            << QPointF(500, 500) << laptop << 88.0 << QPointF(514.96, 394.4);
        // 50 from the right edge: mirrored left, its right edge 0.17 w from the pointer.
        QTest::newRow("mirrored at the right edge")
            << QPointF(1390, 500) << laptop << 88.0 << QPointF(1287.04, 394.4);
        // Near the bottom: above the pointer, its bottom edge 0.2 h above it.
        QTest::newRow("mirrored at the bottom edge")
            << QPointF(500, 50) << laptop << 88.0 << QPointF(514.96, 67.6);
        QTest::newRow("bottom-right corner") << QPointF(1430, 10) << laptop << 88.0 << QPointF(1327.04, 27.6);
        QTest::newRow("no room either side: clamped")
            << QPointF(50, 50) << QRectF(0, 0, 100, 100) << 88.0 << QPointF(0, 12);
        QTest::newRow("frame narrower than the rock: upper bound wins")
            << QPointF(20, 20) << QRectF(0, 0, 50, 50) << 88.0 << QPointF(-38, -38);
        QTest::newRow("no screen: not clamped")
            << QPointF(1439, 5) << QRectF() << 92.0 << QPointF(1454.64, -105.4);
    }
    void originNear()
    {
        QFETCH(QPointF, pointer);
        QFETCH(QRectF, visible);
        QFETCH(double, side);
        QFETCH(QPointF, origin);
        const auto screen = visible.isEmpty() ? std::nullopt : std::optional(visible);
        const QPointF actual = IdleRockFollow::originNear(pointer, QSizeF(side, side), screen);
        QVERIFY2(near(actual, origin),
                 qPrintable(QStringLiteral("(%1, %2)").arg(actual.x()).arg(actual.y())));
    }

    void restingOrigin_data()
    {
        QTest::addColumn<QRectF>("visible");
        QTest::addColumn<double>("side");
        QTest::addColumn<QPointF>("origin");
        // 24 points in from the right edge and from the bottom (y up: the frame's lower edge is 0).
        QTest::newRow("laptop") << laptop << 88.0 << QPointF(1328, 24);
        QTest::newRow("a screen right of it, a dock below") << QRectF(1440, 40, 2560, 1360) << 108.0
                                                             << QPointF(3868, 64);
        QTest::newRow("a frame hardly larger than the rock: inside it") << QRectF(0, 0, 100, 100) << 88.0
                                                                        << QPointF(0, 12);
    }
    void restingOrigin()
    {
        QFETCH(QRectF, visible);
        QFETCH(double, side);
        QFETCH(QPointF, origin);
        QCOMPARE(IdleRockFollow::restingOrigin(QSizeF(side, side), visible), origin);
    }

    void drawnAtWholePoints()
    {
        const QPointF origin = IdleRockFollow::originNear({500, 500}, {88, 88}, laptop);
        QCOMPARE(IdleRockFollow::windowFrame(origin, {88, 88}), QRect(515, 394, 88, 88));
    }

    void advanceCoversTheSameShareAtAnyRate()
    {
        // A 100-point jump: 12.03 points in one 60 Hz frame...
        const QPointF one = IdleRockFollow::advanced({0, 0}, {100, -100}, 1.0 / 60);
        QVERIFY(std::abs(one.x() - 12.0327) < 1e-4);
        QVERIFY(std::abs(one.y() + 12.0327) < 1e-4);
        // ...and about 63 % after 0.13 s, whether in 60 or 120 steps a second.
        for (int rate : {60, 120}) {
            QPointF at(0, 0);
            const int frames = int(std::lround(0.13 * rate * 100)); // 0.13 s in 1/(100 rate) frames
            for (int i = 0; i < frames; ++i)
                at = IdleRockFollow::advanced(at, {100, 0}, 1.0 / (100.0 * rate));
            QVERIFY2(std::abs(at.x() - 63.21) < 0.01, qPrintable(QString::number(at.x())));
        }
    }

    void interactionLock_data()
    {
        QTest::addColumn<bool>("before");
        QTest::addColumn<QPointF>("pointer");
        QTest::addColumn<bool>("after");
        // The window is (100, 100, 92, 92): the lock zone reaches 12 out, the release 78.2 out.
        QTest::newRow("far and free stays free") << false << QPointF(300, 146) << false;
        QTest::newRow("13 out does not lock") << false << QPointF(205, 146) << false;
        QTest::newRow("12 out locks") << false << QPointF(204, 146) << true;
        QTest::newRow("inside locks") << false << QPointF(146, 146) << true;
        QTest::newRow("78 out keeps the lock") << true << QPointF(270, 146) << true;
        QTest::newRow("79 out releases it") << true << QPointF(271, 146) << false;
        QTest::newRow("79 below releases it") << true << QPointF(146, 21) << false;
        QTest::newRow("between zones a free rock stays free") << false << QPointF(250, 146) << false;
    }
    void interactionLock()
    {
        QFETCH(bool, before);
        QFETCH(QPointF, pointer);
        QFETCH(bool, after);
        QCOMPARE(IdleRockFollow::lockedAfter(before, QRectF(100, 100, 92, 92), pointer), after);
    }

    void frameTiming_data()
    {
        QTest::addColumn<double>("reported");
        QTest::addColumn<double>("rate");
        QTest::addColumn<int>("intervalMs");
        QTest::addColumn<double>("dt");
        QTest::newRow("unknown counts as 60") << 0.0 << 60.0 << 17 << 0.017;
        QTest::newRow("not a number counts as 60") << double(NAN) << 60.0 << 17 << 0.017;
        QTest::newRow("144 is capped at 120") << 144.0 << 120.0 << 8 << 0.008;
        QTest::newRow("24 is raised to 30") << 24.0 << 30.0 << 33 << 0.033;
        QTest::newRow("75 stays") << 75.0 << 75.0 << 13 << 0.013;
    }
    void frameTiming()
    {
        QFETCH(double, reported);
        QFETCH(double, rate);
        QFETCH(int, intervalMs);
        QFETCH(double, dt);
        QCOMPARE(IdleRockFollow::frameRate(reported), rate);
        QCOMPARE(IdleRockFollow::frameIntervalMs(reported), intervalMs);
        // dt is the interval actually used, not the nominal 1 / rate.
        QCOMPARE(IdleRockFollow::frameTime(intervalMs), dt);
    }

    void frameTimeNeverBelowOne240th()
    {
        QCOMPARE(IdleRockFollow::frameTime(1), 1.0 / 240);
        QCOMPARE(IdleRockFollow::frameTime(0), 1.0 / 240);
    }

    void arrival_data()
    {
        QTest::addColumn<QPointF>("current");
        QTest::addColumn<QPointF>("target");
        QTest::addColumn<bool>("arrived");
        QTest::newRow("same point") << QPointF(10, 10) << QPointF(10, 10) << true;
        QTest::newRow("within half, same whole point") << QPointF(10.1, 10) << QPointF(10.45, 10) << true;
        QTest::newRow("within half, across a rounding edge")
            << QPointF(10.4, 10) << QPointF(10.6, 10) << false;
        QTest::newRow("a point away") << QPointF(9, 10) << QPointF(10, 10) << false;
        QTest::newRow("y still moving") << QPointF(10, 9.2) << QPointF(10, 10) << false;
    }
    void arrival()
    {
        QFETCH(QPointF, current);
        QFETCH(QPointF, target);
        QFETCH(bool, arrived);
        QCOMPARE(IdleRockFollow::hasArrived(current, target, {92, 92}), arrived);
    }
};

QTEST_GUILESS_MAIN(TestPlacement)
#include "tst_placement.moc"
