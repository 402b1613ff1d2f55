#include "IdleRockMetrics.h"
#include "IdleRockRoll.h"

#include "PointerAround.h"

#include <QSignalSpy>
#include <QtTest>

#include <cmath>

namespace {
constexpr double frame = 1.0 / 60;

bool near(double actual, double expected, double tolerance)
{
    return std::abs(actual - expected) < tolerance;
}

// Drives the roll at full speed until the spin is saturated; ends at 1080 degrees, which is upright.
void saturate(IdleRockRoll &roll)
{
    for (int i = 0; i < 60; ++i)
        roll.drive(1e6, frame);
}

} // namespace

class TestIdleRock : public QObject {
    Q_OBJECT

private slots:
    void drive_data()
    {
        QTest::addColumn<double>("first"); // driven one frame before, from rest
        QTest::addColumn<double>("turn");
        QTest::addColumn<double>("dt");
        QTest::addColumn<double>("degrees");
        QTest::addColumn<double>("spin");
        QTest::newRow("30 at 60 fps is limited to 18") << 0.0 << 30.0 << frame << 18.0 << 648.0;
        QTest::newRow("-100 at 60 fps is limited to -18") << 0.0 << -100.0 << frame << -18.0 << -648.0;
        QTest::newRow("small turn passes") << 0.0 << 5.0 << frame << 5.0 << 180.0;
        QTest::newRow("short frame allows less") << 0.0 << 30.0 << 1.0 / 240 << 4.5 << 648.0;
        // 5 x 60 x 0.6 + 648 x 0.4
        QTest::newRow("blends with the previous spin") << 30.0 << 5.0 << frame << 23.0 << 439.2;
    }
    void drive()
    {
        QFETCH(double, first);
        QFETCH(double, turn);
        QFETCH(double, dt);
        QFETCH(double, degrees);
        QFETCH(double, spin);
        IdleRockRoll roll;
        roll.drive(first, frame);
        QSignalSpy changed(&roll, &IdleRockRoll::degreesChanged);
        roll.drive(turn, dt);
        QCOMPARE(roll.degrees(), degrees);
        QCOMPARE(roll.spin(), spin);
        QCOMPARE(changed.count(), 1);
    }

    void spinDownAndSettle()
    {
        IdleRockRoll roll;
        saturate(roll);
        QCOMPARE(roll.spin(), 1080.0);
        QCOMPARE(roll.degrees(), 1080.0); // three full turns draw as 0
        roll.coast(frame);
        QCOMPARE(roll.degrees(), 1098.0); // moved with the speed before the decay
        QVERIFY(near(roll.spin(), 945.19, 0.005));
        for (int i = 1; i < 22; ++i)
            roll.coast(frame);
        QVERIFY(near(roll.degrees(), 1080 + 136.53, 0.005));
        QVERIFY(near(roll.spin(), 57.48, 0.005));

        // The 23rd frame stops the spin and eases back, towards the nearer upright turn.
        roll.coast(frame);
        QCOMPARE(roll.spin(), 0.0);
        QVERIFY(near(roll.degrees(), 1206.5649234647, 1e-6)); // worked out beforehand
        for (int i = 1; i < 95; ++i)
            roll.coast(frame);
        QVERIFY(roll.degrees() != 0); // 95 settling frames are not enough
        roll.coast(frame);
        QCOMPARE(roll.degrees(), 0.0); // the 96th snaps

        QSignalSpy changed(&roll, &IdleRockRoll::degreesChanged);
        for (int i = 0; i < 10; ++i)
            roll.coast(frame);
        QCOMPARE(changed.count(), 0);
    }

    void restSpinSettlesAtOnce()
    {
        IdleRockRoll roll;
        roll.drive(25, 0.25);         // 25 / 0.25 x 0.6
        QVERIFY(roll.spin() == 60.0); // exactly the rest speed, not merely near it
        roll.coast(frame);
        QCOMPARE(roll.spin(), 0.0);
        QVERIFY(roll.degrees() < 25); // coasting would have added 1
    }

    void settleTarget_data()
    {
        QTest::addColumn<double>("start");
        QTest::addColumn<double>("next"); // after one 60 Hz frame, worked out beforehand
        QTest::newRow("200 goes to 360") << 200.0 << 211.67345335798504;
        QTest::newRow("180 goes to 360") << 180.0 << 193.1326350277332;
        QTest::newRow("-180 goes to -360") << -180.0 << -193.1326350277332;
        QTest::newRow("179.9 goes to 0") << 179.9 << 166.77466088061556;
    }
    void settleTarget()
    {
        QFETCH(double, start);
        QFETCH(double, next);
        IdleRockRoll roll;
        roll.drive(start, 20.0); // one long frame: the whole turn, spin below the rest speed
        QCOMPARE(roll.degrees(), start);
        roll.coast(frame);
        QVERIFY(near(roll.degrees(), next, 1e-9));
    }

    void spinIsLimitedBothWays_data()
    {
        QTest::addColumn<double>("turn");
        QTest::addColumn<double>("limit");
        QTest::newRow("clockwise") << 1e6 << 1080.0;
        QTest::newRow("anticlockwise") << -1e6 << -1080.0;
    }
    void spinIsLimitedBothWays()
    {
        QFETCH(double, turn);
        QFETCH(double, limit);
        IdleRockRoll roll;
        double furthest = 0;
        for (int i = 0; i < 60; ++i) {
            roll.drive(turn, frame);
            QVERIFY(std::abs(roll.spin()) <= 1080);
            furthest = limit > 0 ? std::max(furthest, roll.spin()) : std::min(furthest, roll.spin());
        }
        QCOMPARE(furthest, limit); // reached, exactly, and never passed
        QCOMPARE(roll.spin(), limit);
    }

    void ring_data()
    {
        QTest::addColumn<QPointF>("offset");
        QTest::addColumn<bool>("onRock");
        // rockSize 72: radius 36, ring from 9 to 42.
        QTest::newRow("outer edge") << QPointF(42, 0) << true;
        QTest::newRow("just outside") << QPointF(0, -42.001) << false;
        QTest::newRow("inner edge") << QPointF(-9, 0) << true;
        QTest::newRow("just inside the hole") << QPointF(0, 8.999) << false;
        QTest::newRow("diagonal 40") << QPointF(24, 32) << true;
        QTest::newRow("diagonal 50") << QPointF(-30, 40) << false;
    }
    void ring()
    {
        QFETCH(QPointF, offset);
        QFETCH(bool, onRock);
        const QPointF centre(500, 300);
        QCOMPARE(IdleRockRoll::RollInput::isOnRock(centre + offset, centre, 72), onRock);
    }

    void sweep_data()
    {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<double>("degrees");
        QTest::newRow("counter-clockwise") << 10.0 << 20.0 << 10.0;
        QTest::newRow("across -x counter-clockwise") << 179.0 << -179.0 << 2.0;
        QTest::newRow("across -x clockwise") << -179.0 << 179.0 << -2.0;
    }
    void sweep()
    {
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(double, degrees);
        const double swept = IdleRockRoll::RollInput::sweep(qDegreesToRadians(from), qDegreesToRadians(to));
        QVERIFY2(near(swept, qDegreesToRadians(degrees), 1e-12), qPrintable(QString::number(swept)));
    }

    void pointerLeavingCoastsAndHidingResets()
    {
        const QPointF centre(200, 200);
        IdleRockRoll roll;
        IdleRockRoll::RollInput input;
        for (int i = 0; i <= 10; ++i) // clockwise, 10 per frame, across the -x axis
            input.step(roll, around(centre, 30, -130.0 - 10.0 * i), centre, 72, frame);
        QVERIFY(near(roll.degrees(), 100, 1e-9));
        const double spin = roll.spin();
        QVERIFY(spin > IdleRockRoll::restSpin);

        input.step(roll, around(centre, 60, 0), centre, 72, frame);
        QVERIFY(!input.lastRollAngle.has_value());
        QCOMPARE(roll.degrees(), 100 + spin * frame);

        // Back on the rock far round from where it left: no jump, the angle is only stored.
        const double degrees = roll.degrees();
        input.step(roll, around(centre, 30, 170), centre, 72, frame);
        QCOMPARE(roll.degrees(), degrees);
        QVERIFY(input.lastRollAngle.has_value());

        // Hiding stops and uprights at once.
        QSignalSpy changed(&roll, &IdleRockRoll::degreesChanged);
        roll.reset();
        QCOMPARE(roll.degrees(), 0.0);
        QCOMPARE(roll.spin(), 0.0);
        QCOMPARE(changed.count(), 1);
    }

    void metrics_data()
    {
        QTest::addColumn<bool>("hasScreen");
        QTest::addColumn<QRectF>("visibleFrame");
        QTest::addColumn<double>("scale");
        QTest::addColumn<double>("baseSide");
        QTest::addColumn<double>("rock");
        QTest::addColumn<double>("padding");
        struct Screen {
            const char *name;
            bool present;
            QRectF frame;
            double base;
            double values[5][2];
        };
        const Screen screens[] = {
            {"none", false, {}, 92, {{60, 8}, {66, 9}, {72, 10}, {90, 13}, {108, 15}}},
            {"875", true, {0, 25, 1440, 875}, 87.5, {{60, 8}, {64, 9}, {68, 10}, {85, 12}, {102, 14}}},
            // The 600 and 1240 frames are portrait: the shorter side is the width.
            {"600", true, {0, 0, 600, 1000}, 84, {{60, 8}, {63, 9}, {66, 9}, {82, 12}, {98, 14}}},
            {"1240", true, {0, 0, 1240, 2000}, 124, {{60, 8}, {78, 11}, {97, 14}, {121, 17}, {145, 20}}},
            {"2160", true, {0, 0, 3840, 2160}, 124, {{60, 8}, {78, 11}, {97, 14}, {121, 17}, {145, 20}}},
        };
        const double scales[] = {0.5, 0.75, 1.0, 1.25, 1.5};
        for (const Screen &s : screens)
            for (int i = 0; i < 5; ++i)
                QTest::addRow("%s at %g", s.name, scales[i])
                    << s.present << s.frame << scales[i] << s.base << s.values[i][0] << s.values[i][1];
    }
    void metrics()
    {
        QFETCH(bool, hasScreen);
        QFETCH(QRectF, visibleFrame);
        QFETCH(double, scale);
        QFETCH(double, baseSide);
        QFETCH(double, rock);
        QFETCH(double, padding);
        IdleRockMetrics metrics;
        const QSizeF panel = metrics.update(hasScreen ? std::optional(visibleFrame) : std::nullopt, scale);
        QCOMPARE(metrics.baseSide(), baseSide);
        QCOMPARE(metrics.rockSize(), rock);
        QCOMPARE(metrics.padding(), padding);
        QCOMPARE(panel, QSizeF(rock + 2 * padding, rock + 2 * padding));
        QCOMPARE(metrics.panelSize(), panel);
    }

    void metricsNotifyOnlyRealChanges()
    {
        IdleRockMetrics metrics;
        QStringList notices;
        connect(&metrics, &IdleRockMetrics::rockSizeChanged, this, [&] { notices << "rock"; });
        connect(&metrics, &IdleRockMetrics::paddingChanged, this, [&] { notices << "padding"; });
        connect(&metrics, &IdleRockMetrics::panelSizeChanged, this, [&] { notices << "panel"; });
        QSignalSpy panelSpy(&metrics, &IdleRockMetrics::panelSizeChanged);

        metrics.update(std::nullopt, 1.0); // the initial sizes already
        QCOMPARE(notices, QStringList());
        const QRectF laptop(0, 25, 1440, 875);
        metrics.update(laptop, 1.0); // 68, 10 (unchanged), 88
        QCOMPARE(notices, QStringList({"rock", "panel"}));
        QCOMPARE(panelSpy.takeFirst().at(0).toSizeF(), QSizeF(88, 88));
        notices.clear();
        metrics.update(laptop, 1.0);
        QCOMPARE(notices, QStringList());
        metrics.update(laptop, 1.25); // 85, 12, 109
        QCOMPARE(notices, QStringList({"rock", "padding", "panel"}));

        // Without a screen the last one's base side stays.
        QCOMPARE(metrics.update(std::nullopt, 1.5), QSizeF(130, 130));
        QCOMPARE(metrics.baseSide(), 87.5);
    }
};

QTEST_APPLESS_MAIN(TestIdleRock)
#include "tst_idlerock.moc"
