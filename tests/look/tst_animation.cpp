#include "AnimationClock.h"
#include "Ease.h"
#include "EaseAnimation.h"
#include "Spring.h"
#include "SpringAnimation.h"

#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <memory>
#include <numbers>

#define QCOMPARE_NEAR(actual, expected, tolerance)                                                           \
    QVERIFY2(                                                                                                \
        std::abs((actual) - (expected)) < (tolerance),                                                       \
        qPrintable(QStringLiteral("%1, expected %2").arg(actual, 0, 'g', 12).arg(expected, 0, 'g', 12)))

namespace {
constexpr double frame = 1.0 / 60;

struct Motion {
    double x;
    double v;
};

// x'' = -k (x - target) - c x' with unit mass, k = (2π / response)² and c = 4π ζ / response, integrated
// by RK4 in tiny steps: independent of the closed forms the code uses.
Motion reference(Motion m, double target, double response, double zeta, double t)
{
    const double k = std::pow(2 * std::numbers::pi / response, 2);
    const double c = 4 * std::numbers::pi * zeta / response;
    const auto a = [&](double x, double v) { return -k * (x - target) - c * v; };
    const int steps = std::max(1, int(std::ceil(t / 1e-5)));
    const double h = t / steps;
    for (int i = 0; i < steps; ++i) {
        const double k1x = m.v, k1v = a(m.x, m.v);
        const double k2x = m.v + h / 2 * k1v, k2v = a(m.x + h / 2 * k1x, k2x);
        const double k3x = m.v + h / 2 * k2v, k3v = a(m.x + h / 2 * k2x, k3x);
        const double k4x = m.v + h * k3v, k4v = a(m.x + h * k3x, k4x);
        m.x += h / 6 * (k1x + 2 * k2x + 2 * k3x + k4x);
        m.v += h / 6 * (k1v + 2 * k2v + 2 * k3v + k4v);
    }
    return m;
}

AnimationClock &theClock()
{
    return AnimationClock::instance();
}

double now = 0; ///< the clock's time source; only tests move it, and only forwards

// Moves time on in `steps` equal frames, by default 60 a second, each ticking the clock once; then
// ticks once more with no time passed, which must move nothing.
void runFor(double seconds, int steps = 0)
{
    steps = steps > 0 ? steps : std::max(1, int(std::lround(seconds / frame)));
    for (int i = 0; i < steps; ++i) {
        now += seconds / steps;
        theClock().tick();
    }
    theClock().tick();
}
} // namespace

class TestAnimation : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        // A time source frozen between frames, so the real timer moves nothing. Then the clock sits idle
        // a long while: its first frame must not make up for that.
        theClock().setTimeSource([] { return now; });
        now += 100;
    }

    void cleanup()
    {
        theClock().setJumpToEnd(false);
        theClock().setTimeSource({});
        QCOMPARE(theClock().runningCount(), 0);
        QVERIFY(!theClock().isTicking());
    }

    void springFollowsOscillator_data()
    {
        QTest::addColumn<double>("response");
        QTest::addColumn<double>("zeta");
        QTest::addColumn<double>("time");
        QTest::addColumn<int>("steps");
        QTest::newRow("under-damped") << 0.42 << 0.78 << 0.3 << 18;
        QTest::newRow("under-damped, one long step") << 0.42 << 0.78 << 0.5 << 1;
        QTest::newRow("critically damped") << 0.3 << 1.0 << 0.2 << 12;
        QTest::newRow("just under critical") << 0.3 << 0.999 << 0.3 << 18;
        QTest::newRow("just over critical") << 0.3 << 1.001 << 0.3 << 18;
        QTest::newRow("over-damped, slow tail") << 0.5 << 1.6 << 0.9 << 54;
    }

    void springFollowsOscillator()
    {
        QFETCH(double, response);
        QFETCH(double, zeta);
        QFETCH(double, time);
        QFETCH(int, steps);
        SpringAnimation<double> spring(0.0);
        SpringAnimation<QPointF> point(QPointF(0, 0)); // moves like two numbers
        spring.animateTo(100.0, Spring{response, zeta});
        point.animateTo(QPointF(100, -50), Spring{response, zeta});
        runFor(time, steps);

        const Motion m = reference({0, 0}, 100, response, zeta, time);
        QVERIFY(spring.isRunning());
        QCOMPARE_NEAR(spring.value(), m.x, 1e-6);
        QCOMPARE_NEAR(spring.velocity(), m.v, 1e-5);
        QCOMPARE_NEAR(point.value().x(), m.x, 1e-6);
        QCOMPARE_NEAR(point.value().y(), -m.x / 2, 1e-6);
        QCOMPARE_NEAR(point.velocity().y(), -m.v / 2, 1e-5);
    }

    // The textbook closed forms from rest, 0 towards 100, as a second, analytic reference.
    void springMatchesClosedForm_data()
    {
        QTest::addColumn<double>("zeta");
        QTest::addColumn<double>("time");
        QTest::addColumn<double>("expected");
        // From 0 towards 100 with response 0.42: the damped oscillator's closed form, worked out
        // beforehand (under- and critically damped).
        QTest::newRow("zeta 0.78 t 0.05") << 0.78 << 0.05 << 18.82555022671822;
        QTest::newRow("zeta 0.78 t 0.2") << 0.78 << 0.2 << 91.34185777861582;
        QTest::newRow("zeta 0.78 t 0.5, overshooting") << 0.78 << 0.5 << 100.37366388257232;
        QTest::newRow("zeta 1 t 0.05") << 1.0 << 0.05 << 17.26496005824478;
        QTest::newRow("zeta 1 t 0.2") << 1.0 << 0.2 << 79.96525956620431;
        QTest::newRow("zeta 1 t 0.5") << 1.0 << 0.5 << 99.52150232901631;
    }

    void springMatchesClosedForm()
    {
        QFETCH(double, zeta);
        QFETCH(double, time);
        QFETCH(double, expected);
        SpringAnimation<double> spring(0.0);
        spring.animateTo(100.0, Spring{0.42, zeta});
        runFor(time);
        QCOMPARE_NEAR(spring.value(), expected, 1e-6);
    }

    void retargetKeepsVelocity()
    {
        SpringAnimation<double> spring(0.0);
        QSignalSpy finished(&spring, &Animation::finished);
        spring.animateTo(100.0, Spring{0.42, 0.78});
        runFor(0.1);
        const Motion before{spring.value(), spring.velocity()};
        QVERIFY(before.v > 100); // well under way

        spring.animateTo(-50.0, Spring{0.3, 0.7});
        QCOMPARE(spring.value(), before.x);
        QCOMPARE(spring.velocity(), before.v);
        QCOMPARE(finished.count(), 0);

        // It carries on upwards for a while before turning back, exactly as a thrown mass would.
        runFor(0.15);
        const Motion expected = reference(before, -50, 0.3, 0.7, 0.15);
        QCOMPARE_NEAR(spring.value(), expected.x, 1e-6);
        QCOMPARE_NEAR(spring.velocity(), expected.v, 1e-5);
    }

    void springSettles_data()
    {
        QTest::addColumn<double>("response");
        QTest::addColumn<double>("zeta");
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::newRow("90 points, landing spring") << 0.5 << 0.55 << -90.0 << 0.0;
        QTest::newRow("opacity down, critical") << 0.3 << 1.0 << 1.0 << 0.0;
        QTest::newRow("knob, over-damped") << 0.24 << 1.5 << 2.0 << 44.0;
    }

    void springSettles()
    {
        QFETCH(double, response);
        QFETCH(double, zeta);
        QFETCH(double, from);
        QFETCH(double, to);
        SpringAnimation<double> spring(from);
        QSignalSpy changed(&spring, &Animation::changed);
        QSignalSpy finished(&spring, &Animation::finished);
        spring.animateTo(to, Spring{response, zeta});
        QVERIFY(theClock().isTicking());
        int frames = 0;
        for (; spring.isRunning() && frames < 600; ++frames)
            runFor(frame);

        QCOMPARE(spring.value(), to);
        QCOMPARE(spring.velocity(), 0.0);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(changed.count(), frames);
        QVERIFY(!theClock().isTicking());

        // The first frame where the true motion is within the tolerance (1/1000 of the distance, at
        // most 0.01) and slower than tolerance × 2π / response; a frame either way for rounding.
        const double tolerance = std::min(1e-3 * std::abs(to - from), 0.01);
        const double slow = tolerance * 2 * std::numbers::pi / response;
        Motion truth{from, 0};
        int expected = 0;
        for (; expected < 600 && !(std::abs(truth.x - to) < tolerance && std::abs(truth.v) < slow);
             ++expected)
            truth = reference(truth, to, response, zeta, frame);
        QVERIFY2(std::abs(frames - expected) <= 1,
                 qPrintable(QString("%1 frames, not %2").arg(frames).arg(expected)));

        // Nothing keeps repainting once settled.
        runFor(0.5);
        QCOMPARE(changed.count(), frames);
        QCOMPARE(finished.count(), 1);
    }

    void clockRunsOnlyWhileSomethingMoves()
    {
        SpringAnimation<double> spring(0.0);
        EaseAnimation<double> fade(1.0);
        QSignalSpy finished(&spring, &Animation::finished);
        spring.animateTo(1.0, Spring{0.2, 1.0});
        fade.animateTo(0.0, Ease::linear(2.0));
        QCOMPARE(theClock().runningCount(), 2);
        runFor(0.1);

        spring.setValue(3.0); // stops where it is put
        QCOMPARE(spring.velocity(), 0.0);
        QCOMPARE(finished.count(), 1);
        spring.animateTo(3.0, Spring{0.4, 0.8}); // where it already rests: starts nothing
        QVERIFY(!spring.isRunning());
        QCOMPARE(theClock().runningCount(), 1);
        QVERIFY(theClock().isTicking()); // for the fade

        // Retargeting an ease runs afresh from where it stands.
        runFor(0.9);
        QCOMPARE_NEAR(fade.value(), 0.5, 1e-9);
        fade.animateTo(1.0, Ease::linear(1.0));
        runFor(0.5);
        QCOMPARE_NEAR(fade.value(), 0.75, 1e-9);
        runFor(0.6);
        QVERIFY(!fade.isRunning());
        QVERIFY(!theClock().isTicking());

        // A moving animation that dies takes itself off the clock.
        auto doomed = std::make_unique<EaseAnimation<double>>(0.0);
        doomed->animateTo(1.0, Ease::easeInOut(1.0).repeatForever());
        doomed.reset();
        QVERIFY(!theClock().isTicking());
        runFor(frame);
    }

    void receiversMayChangeTheClockMidFrame()
    {
        auto other = std::make_unique<SpringAnimation<double>>(0.0);
        SpringAnimation<double> first(0.0);
        first.animateTo(1.0, Spring{0.3, 0.8});
        other->animateTo(1.0, Spring{0.3, 0.8});
        connect(&first, &Animation::changed, this, [&other] { other.reset(); });
        runFor(frame); // `other` dies before its turn in this frame
        QCOMPARE(theClock().runningCount(), 1);

        // Starting again from `finished` keeps the clock going.
        int rounds = 0;
        connect(&first, &Animation::finished, this, [&] {
            if (++rounds == 1)
                first.animateTo(0.0, Spring{0.3, 0.8});
        });
        for (int i = 0; rounds == 0 && i < 600; ++i)
            runFor(frame);
        QVERIFY(first.isRunning());
        QVERIFY(theClock().isTicking());
        runFor(2);
        QCOMPARE(rounds, 2);
        QCOMPARE(first.value(), 0.0);
    }

    void easeCurve_data()
    {
        QTest::addColumn<Ease::Curve>("curve");
        QTest::addColumn<double>("progress");
        QTest::addColumn<double>("expected");
        struct Shape {
            Ease::Curve curve;
            double x1, y1, x2, y2;
        };
        const Shape shapes[] = {{Ease::Curve::linear, 0, 0, 1, 1},
                                {Ease::Curve::easeIn, 0.42, 0, 1, 1},
                                {Ease::Curve::easeOut, 0, 0, 0.58, 1},
                                {Ease::Curve::easeInOut, 0.42, 0, 0.58, 1}};
        const auto bezier = [](double p1, double p2, double t) {
            return 3 * (1 - t) * (1 - t) * t * p1 + 3 * (1 - t) * t * t * p2 + t * t * t;
        };
        for (const Shape &s : shapes) {
            const int c = int(s.curve);
            // Clamped outside [0, 1] and exact at both ends.
            for (double p : {-0.5, 0.0, 1.0, 1.5})
                QTest::addRow("curve %d at %g", c, p) << s.curve << p << std::clamp(p, 0.0, 1.0);
            // Points of the Bézier taken from its parameter, not solved for progress.
            for (double t : {0.1, 0.25, 0.5, 0.75, 0.9})
                QTest::addRow("curve %d, t %g", c, t)
                    << s.curve << bezier(s.x1, s.x2, t) << bezier(s.y1, s.y2, t);
        }
    }

    void easeCurve()
    {
        QFETCH(Ease::Curve, curve);
        QFETCH(double, progress);
        QFETCH(double, expected);
        QCOMPARE_NEAR(Ease::curveAt(curve, progress), expected, 1e-7);
    }

    void easeOverTime_data()
    {
        QTest::addColumn<Ease::Curve>("curve");
        QTest::addColumn<int>("repeats"); // 0 once, 1 restarting, 2 there and back
        QTest::addColumn<double>("elapsed");
        QTest::addColumn<double>("expected");
        const auto linear = Ease::Curve::linear, inOut = Ease::Curve::easeInOut;
        QTest::newRow("once, a quarter in") << inOut << 0 << 0.25 << 10 * Ease::curveAt(inOut, 0.25);
        QTest::newRow("once, half way") << inOut << 0 << 0.5 << 5.0;
        QTest::newRow("once, landed") << inOut << 0 << 1.2 << 10.0;
        QTest::newRow("first run") << linear << 2 << 0.25 << 2.5;
        QTest::newRow("going back") << linear << 2 << 1.25 << 7.5;
        QTest::newRow("back at the start") << linear << 2 << 2.0 << 0.0;
        QTest::newRow("many runs later, going back") << linear << 2 << 9.5 << 5.0;
        QTest::newRow("restarting instead") << linear << 1 << 1.25 << 2.5;
        // Going back plays the curve backwards: at 3/4 of the curve, not at its mirror image.
        QTest::newRow("ease-in backwards")
            << Ease::Curve::easeIn << 2 << 1.25 << 10 * Ease::curveAt(Ease::Curve::easeIn, 0.75);
    }

    void easeOverTime()
    {
        QFETCH(Ease::Curve, curve);
        QFETCH(int, repeats);
        QFETCH(double, elapsed);
        QFETCH(double, expected);
        EaseAnimation<double> angle(0.0);
        QSignalSpy finished(&angle, &Animation::finished);
        angle.animateTo(10.0, repeats ? Ease{curve, 1.0}.repeatForever(repeats == 2) : Ease{curve, 1.0});
        runFor(elapsed, int(std::lround(elapsed / 0.05)));
        QCOMPARE_NEAR(angle.value(), expected, 1e-9);
        const bool ended = !repeats && elapsed >= 1;
        QCOMPARE(angle.isRunning(), !ended);
        QCOMPARE(finished.count(), int(ended));
    }

    void jumpToEnd_data()
    {
        QTest::addColumn<bool>("midway");
        QTest::newRow("on from the start") << false;
        QTest::newRow("switched on midway") << true;
    }

    void jumpToEnd()
    {
        QFETCH(bool, midway);
        int changed = 0, finished = 0;
        SpringAnimation<double> drop(4.0);
        EaseAnimation<double> fade(4.0), rocking(4.0);
        for (Animation *animation : std::initializer_list<Animation *>{&drop, &fade, &rocking}) {
            connect(animation, &Animation::changed, this, [&] { ++changed; });
            connect(animation, &Animation::finished, this, [&] { ++finished; });
        }
        theClock().setJumpToEnd(!midway);
        drop.animateTo(44.0, Spring{0.5, 0.55});
        fade.animateTo(44.0, Ease::easeIn(0.18));
        rocking.animateTo(44.0, Ease::easeInOut(1.4).repeatForever());
        if (midway) {
            runFor(0.1);
            QCOMPARE(finished, 0);
            theClock().setJumpToEnd(true);
        } else {
            QCOMPARE(changed, 3);
        }
        QCOMPARE(drop.value(), 44.0);
        QCOMPARE(drop.velocity(), 0.0);
        QCOMPARE(fade.value(), 44.0);
        QCOMPARE(rocking.value(), 4.0); // a run that never ends rests where it started
        QCOMPARE(finished, 3);
        QCOMPARE(theClock().runningCount(), 0);
        QVERIFY(!theClock().isTicking());

        // Switched off again, animations move over time as before.
        theClock().setJumpToEnd(false);
        drop.animateTo(10.0, Spring{0.5, 0.55});
        QVERIFY(drop.isRunning());
    }
};

QTEST_MAIN(TestAnimation)
#include "tst_animation.moc"
