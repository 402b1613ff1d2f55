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

namespace {
constexpr double frame = 1.0 / 60;

struct Motion {
    double x;
    double v;
};

// The damped oscillator x'' = -k (x - target) - c x' with unit mass, k = (2π / response)² and
// c = 4π ζ / response, integrated numerically (RK4, tiny steps): independent of the closed forms.
Motion reference(Motion start, double target, double response, double zeta, double t)
{
    const double k = std::pow(2 * std::numbers::pi / response, 2);
    const double c = 4 * std::numbers::pi * zeta / response;
    const auto accel = [&](double x, double v) { return -k * (x - target) - c * v; };
    const int steps = std::max(1, int(std::ceil(t / 1e-5)));
    const double h = t / steps;
    Motion m = start;
    for (int i = 0; i < steps; ++i) {
        const double k1x = m.v, k1v = accel(m.x, m.v);
        const double k2x = m.v + h / 2 * k1v, k2v = accel(m.x + h / 2 * k1x, m.v + h / 2 * k1v);
        const double k3x = m.v + h / 2 * k2v, k3v = accel(m.x + h / 2 * k2x, m.v + h / 2 * k2v);
        const double k4x = m.v + h * k3v, k4v = accel(m.x + h * k3x, m.v + h * k3v);
        m.x += h / 6 * (k1x + 2 * k2x + 2 * k3x + k4x);
        m.v += h / 6 * (k1v + 2 * k2v + 2 * k3v + k4v);
    }
    return m;
}

AnimationClock &animationClock()
{
    return AnimationClock::instance();
}

// Drives the clock by hand in `steps` equal frames.
void runFor(double seconds, int steps)
{
    for (int i = 0; i < steps; ++i) {
        animationClock().advance(seconds / steps);
    }
}

void runFrames(double seconds)
{
    runFor(seconds, std::max(1, int(std::lround(seconds / frame))));
}
} // namespace

class TestAnimation : public QObject {
    Q_OBJECT

    double m_now = 0; ///< the clock's time while a test runs; only tests move it

private slots:
    void init()
    {
        // A frozen time source: even if the real timer fired, no frame would move anything.
        m_now = 0;
        animationClock().setTimeSource([this] { return m_now; });
    }

    void cleanup()
    {
        animationClock().setJumpToEnd(false);
        animationClock().setTimeSource({});
        QCOMPARE(animationClock().runningCount(), 0);
        QVERIFY(!animationClock().isTicking());
    }

    void springFollowsOscillator_data()
    {
        QTest::addColumn<double>("response");
        QTest::addColumn<double>("zeta");
        QTest::addColumn<double>("time");
        QTest::addColumn<int>("steps");

        QTest::newRow("under-damped, first frames") << 0.42 << 0.78 << 0.05 << 3;
        QTest::newRow("under-damped, overshooting") << 0.42 << 0.78 << 0.3 << 18;
        QTest::newRow("under-damped, one long step") << 0.42 << 0.78 << 0.5 << 1;
        QTest::newRow("bouncy landing") << 0.5 << 0.55 << 0.6 << 36;
        QTest::newRow("critically damped") << 0.3 << 1.0 << 0.2 << 12;
        QTest::newRow("critically damped, late") << 0.3 << 1.0 << 0.4 << 24;
        QTest::newRow("just under critical") << 0.3 << 0.999 << 0.3 << 18;
        QTest::newRow("just over critical") << 0.3 << 1.001 << 0.3 << 18;
        QTest::newRow("over-damped") << 0.5 << 1.6 << 0.25 << 15;
        QTest::newRow("over-damped, slow tail") << 0.5 << 1.6 << 0.9 << 54;
    }

    void springFollowsOscillator()
    {
        QFETCH(double, response);
        QFETCH(double, zeta);
        QFETCH(double, time);
        QFETCH(int, steps);

        SpringAnimation<double> spring(0.0);
        spring.animateTo(100.0, Spring{response, zeta});
        runFor(time, steps);

        const Motion expected = reference({0, 0}, 100, response, zeta, time);
        QVERIFY(spring.isRunning());
        QVERIFY2(std::abs(spring.value() - expected.x) < 1e-6,
                 qPrintable(QString("x %1, expected %2").arg(spring.value()).arg(expected.x)));
        QVERIFY2(std::abs(spring.velocity() - expected.v) < 1e-5,
                 qPrintable(QString("v %1, expected %2").arg(spring.velocity()).arg(expected.v)));
        spring.setValue(0);
    }

    // The textbook closed forms from rest, 0 towards 100, as a second, analytic reference.
    void springMatchesClosedForm_data()
    {
        QTest::addColumn<double>("zeta");
        QTest::addColumn<double>("time");
        for (double zeta : {0.78, 1.0})
            for (double time : {0.05, 0.2, 0.5})
                QTest::addRow("zeta %g t %g", zeta, time) << zeta << time;
    }
    void springMatchesClosedForm()
    {
        QFETCH(double, zeta);
        QFETCH(double, time);
        const double response = 0.42;
        const double w0 = 2 * std::numbers::pi / response;
        double expected = 0;
        if (zeta < 1) {
            const double wd = w0 * std::sqrt(1 - zeta * zeta);
            expected = 100 - 100 * std::exp(-zeta * w0 * time) *
                                 (std::cos(wd * time) + zeta * w0 / wd * std::sin(wd * time));
        } else {
            expected = 100 - 100 * std::exp(-w0 * time) * (1 + w0 * time);
        }
        SpringAnimation<double> spring(0.0);
        spring.animateTo(100.0, Spring{response, zeta});
        runFrames(time);
        QVERIFY2(std::abs(spring.value() - expected) < 1e-6,
                 qPrintable(QString("x %1, expected %2").arg(spring.value()).arg(expected)));
        spring.setValue(0);
    }

    void springConstants()
    {
        const Spring spring{0.42, 0.78};
        QCOMPARE(spring.stiffness(), std::pow(2 * std::numbers::pi / 0.42, 2));
        QCOMPARE(spring.damping(), 4 * std::numbers::pi * 0.78 / 0.42);
    }

    void retargetKeepsVelocity()
    {
        SpringAnimation<double> spring(0.0);
        QSignalSpy finished(&spring, &Animation::finished);
        spring.animateTo(100.0, Spring{0.42, 0.78});
        runFrames(0.1);
        const double x = spring.value();
        const double v = spring.velocity();
        QVERIFY(v > 100); // well under way

        spring.animateTo(-50.0, Spring{0.3, 0.7});
        QCOMPARE(spring.value(), x);
        QCOMPARE(spring.velocity(), v);
        QVERIFY(spring.isRunning());
        QCOMPARE(finished.count(), 0);

        // It carries on upwards for a while before turning back, exactly as a thrown mass would.
        runFrames(0.15);
        const Motion expected = reference({x, v}, -50, 0.3, 0.7, 0.15);
        QVERIFY(std::abs(spring.value() - expected.x) < 1e-6);
        QVERIFY(std::abs(spring.velocity() - expected.v) < 1e-5);
        spring.setValue(0);
    }

    void springSettles_data()
    {
        QTest::addColumn<double>("response");
        QTest::addColumn<double>("zeta");
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");

        QTest::newRow("90 points, landing spring") << 0.5 << 0.55 << -90.0 << 0.0;
        QTest::newRow("scale 1 to 1.14") << 0.3 << 0.7 << 1.0 << 1.14;
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
        QVERIFY(animationClock().isTicking());
        int frames = 0;
        while (spring.isRunning() && frames < 600) {
            animationClock().advance(frame);
            ++frames;
        }

        QVERIFY(!spring.isRunning());
        QCOMPARE(spring.value(), to);
        QCOMPARE(spring.velocity(), 0.0);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(changed.count(), frames);
        QVERIFY(!animationClock().isTicking());

        // It settles on the first frame where the true motion is within the documented tolerance (1/1000
        // of the distance, at most 0.01) and slower than tolerance × 2π / response; a frame either way
        // allows for rounding near the threshold.
        const double tolerance = std::min(1e-3 * std::abs(to - from), 0.01);
        const double slow = tolerance * 2 * std::numbers::pi / response;
        Motion truth{from, 0};
        int expectedFrames = 0;
        while (expectedFrames < 600 && !(std::abs(truth.x - to) < tolerance && std::abs(truth.v) < slow)) {
            truth = reference(truth, to, response, zeta, frame);
            ++expectedFrames;
        }
        QVERIFY2(std::abs(frames - expectedFrames) <= 1,
                 qPrintable(QString("settled after %1 frames, expected %2").arg(frames).arg(expectedFrames)));
        QVERIFY(frames * frame < 2.0);

        // Nothing keeps repainting once settled.
        runFrames(0.5);
        QCOMPARE(changed.count(), frames);
        QCOMPARE(finished.count(), 1);
    }

    void pointSpringMovesLikeTwoNumbers()
    {
        SpringAnimation<QPointF> point(QPointF(0, 0));
        point.animateTo(QPointF(90, -30), Spring{0.5, 0.55});
        runFrames(0.2);
        const Motion x = reference({0, 0}, 90, 0.5, 0.55, 0.2);
        const Motion y = reference({0, 0}, -30, 0.5, 0.55, 0.2);
        QVERIFY(std::abs(point.value().x() - x.x) < 1e-6);
        QVERIFY(std::abs(point.value().y() - y.x) < 1e-6);
        QVERIFY(std::abs(point.velocity().y() - y.v) < 1e-5);

        runFrames(3);
        QVERIFY(!point.isRunning());
        QCOMPARE(point.value(), QPointF(90, -30));
    }

    void tickMeasuresFromStart()
    {
        // The clock was idle for a long time; the first frame must not make up for it.
        m_now = 500;
        SpringAnimation<double> spring(0.0);
        spring.animateTo(100.0, Spring{0.42, 0.78});
        m_now += frame;
        animationClock().tick();
        QVERIFY(std::abs(spring.value() - reference({0, 0}, 100, 0.42, 0.78, frame).x) < 1e-6);

        m_now += 2 * frame; // a dropped frame is caught up
        animationClock().tick();
        QVERIFY(std::abs(spring.value() - reference({0, 0}, 100, 0.42, 0.78, 3 * frame).x) < 1e-6);

        animationClock().tick(); // no time passed: no frame
        QVERIFY(std::abs(spring.value() - reference({0, 0}, 100, 0.42, 0.78, 3 * frame).x) < 1e-6);
        spring.setValue(0);
    }

    void clockTicksOnlyWhileMoving()
    {
        QVERIFY(!animationClock().isTicking());
        const double interval = AnimationClock::frameInterval();
        QVERIFY(interval >= 1.0 / 120 && interval <= 1.0 / 30);

        SpringAnimation<double> spring(0.0);
        EaseAnimation<double> fade(1.0);
        spring.animateTo(1.0, Spring{0.2, 1.0});
        fade.animateTo(0.0, Ease::linear(2.0));
        QVERIFY(animationClock().isTicking());
        QCOMPARE(animationClock().runningCount(), 2);

        runFrames(1.5);
        QVERIFY(!spring.isRunning());
        QVERIFY(fade.isRunning());
        QVERIFY(animationClock().isTicking());

        runFrames(0.6);
        QVERIFY(!fade.isRunning());
        QVERIFY(!animationClock().isTicking());

        // A moving animation that dies takes itself off the clock.
        auto doomed = std::make_unique<EaseAnimation<double>>(0.0);
        doomed->animateTo(1.0, Ease::easeInOut(1.0).repeatForever());
        QVERIFY(animationClock().isTicking());
        doomed.reset();
        QVERIFY(!animationClock().isTicking());
        animationClock().advance(frame);
    }

    void setValueStops()
    {
        SpringAnimation<double> spring(0.0);
        QSignalSpy finished(&spring, &Animation::finished);
        spring.animateTo(10.0, Spring{0.4, 0.8});
        runFrames(0.1);
        spring.setValue(3.0);
        QCOMPARE(spring.value(), 3.0);
        QCOMPARE(spring.velocity(), 0.0);
        QCOMPARE(finished.count(), 1);
        QVERIFY(!animationClock().isTicking());

        // Asking for where it already rests starts nothing.
        spring.animateTo(3.0, Spring{0.4, 0.8});
        QVERIFY(!spring.isRunning());
    }

    void receiversMayChangeTheClockMidFrame()
    {
        auto other = std::make_unique<SpringAnimation<double>>(0.0);
        SpringAnimation<double> first(0.0);
        first.animateTo(1.0, Spring{0.3, 0.8});
        other->animateTo(1.0, Spring{0.3, 0.8});
        connect(&first, &Animation::changed, this, [&other] { other.reset(); });
        animationClock().advance(frame); // `other` dies before its turn in this frame
        QVERIFY(!other);
        QCOMPARE(animationClock().runningCount(), 1);

        // Starting again from `finished` keeps the clock going.
        int rounds = 0;
        connect(&first, &Animation::finished, this, [&] {
            if (++rounds == 1) {
                first.animateTo(0.0, Spring{0.3, 0.8});
            }
        });
        for (int i = 0; rounds == 0 && i < 600; ++i) {
            animationClock().advance(frame);
        }
        QCOMPARE(rounds, 1);
        QVERIFY(first.isRunning());
        QVERIFY(animationClock().isTicking());
        runFrames(2);
        QCOMPARE(rounds, 2);
        QCOMPARE(first.value(), 0.0);
    }

    void easeCurve_data()
    {
        QTest::addColumn<Ease::Curve>("curve");
        QTest::addColumn<double>("progress");
        QTest::addColumn<double>("expected");

        const Ease::Curve all[] = {Ease::Curve::linear, Ease::Curve::easeIn, Ease::Curve::easeOut,
                                   Ease::Curve::easeInOut};
        for (Ease::Curve curve : all) {
            const QByteArray name = QByteArray::number(int(curve));
            QTest::newRow("start " + name) << curve << 0.0 << 0.0;
            QTest::newRow("end " + name) << curve << 1.0 << 1.0;
            QTest::newRow("before start " + name) << curve << -0.5 << 0.0;
            QTest::newRow("after end " + name) << curve << 1.5 << 1.0;
        }
        QTest::newRow("linear") << Ease::Curve::linear << 0.3 << 0.3;
        QTest::newRow("ease-in-out middle") << Ease::Curve::easeInOut << 0.5 << 0.5;
        // Points of the Bézier at parameter t, worked out from the control points by hand.
        QTest::newRow("ease-in, t = 0.5") << Ease::Curve::easeIn << 0.6575 << 0.5;
        QTest::newRow("ease-out, t = 0.5") << Ease::Curve::easeOut << 0.3425 << 0.5;
        QTest::newRow("ease-in-out, t = 0.25") << Ease::Curve::easeInOut << 0.274375 << 0.15625;
        QTest::newRow("ease-in-out, t = 0.75") << Ease::Curve::easeInOut << 0.725625 << 0.84375;
        QTest::newRow("ease-in, t = 0.2") << Ease::Curve::easeIn << 0.26528 << 0.104;
    }

    void easeCurve()
    {
        QFETCH(Ease::Curve, curve);
        QFETCH(double, progress);
        QFETCH(double, expected);
        QVERIFY2(std::abs(Ease::curveAt(curve, progress) - expected) < 1e-7,
                 qPrintable(QString::number(Ease::curveAt(curve, progress), 'g', 10)));
    }

    void easeCurveShapes()
    {
        double previous = 0;
        for (int i = 1; i < 20; ++i) {
            const double x = i / 20.0;
            const double in = Ease::curveAt(Ease::Curve::easeIn, x);
            const double out = Ease::curveAt(Ease::Curve::easeOut, x);
            const double inOut = Ease::curveAt(Ease::Curve::easeInOut, x);
            QVERIFY(in < x);
            QVERIFY(out > x);
            QVERIFY(std::abs(in - (1 - Ease::curveAt(Ease::Curve::easeOut, 1 - x))) < 1e-7);
            QVERIFY(inOut > previous);
            previous = inOut;
        }
    }

    void easeAnimationRuns()
    {
        EaseAnimation<double> angle(0.0);
        QSignalSpy finished(&angle, &Animation::finished);
        angle.animateTo(10.0, Ease::easeInOut(1.0));
        runFrames(0.25);
        QVERIFY(std::abs(angle.value() - 10 * Ease::curveAt(Ease::Curve::easeInOut, 0.25)) < 1e-9);
        runFrames(0.25);
        QVERIFY(std::abs(angle.value() - 5) < 1e-9);

        // Retargeting runs afresh from where it stands.
        angle.animateTo(0.0, Ease::linear(1.0));
        runFrames(0.5);
        QVERIFY(std::abs(angle.value() - 2.5) < 1e-9);
        runFrames(0.6);
        QCOMPARE(angle.value(), 0.0);
        QCOMPARE(finished.count(), 1);
        QVERIFY(!animationClock().isTicking());
    }

    void repeatForever_data()
    {
        QTest::addColumn<Ease::Curve>("curve");
        QTest::addColumn<bool>("reverses");
        QTest::addColumn<double>("elapsed");
        QTest::addColumn<double>("expected");

        const auto linear = Ease::Curve::linear;
        QTest::newRow("first run") << linear << true << 0.25 << 2.5;
        QTest::newRow("end of first run") << linear << true << 1.0 << 10.0;
        QTest::newRow("going back") << linear << true << 1.25 << 7.5;
        QTest::newRow("nearly back") << linear << true << 1.75 << 2.5;
        QTest::newRow("back at the start") << linear << true << 2.0 << 0.0;
        QTest::newRow("out again") << linear << true << 2.25 << 2.5;
        QTest::newRow("many runs later, going back") << linear << true << 9.5 << 5.0;
        QTest::newRow("restarting instead") << linear << false << 1.25 << 2.5;
        // Going back plays the curve backwards: at 3/4 of the curve, not at its mirror image.
        QTest::newRow("ease-in backwards")
            << Ease::Curve::easeIn << true << 1.25 << 10 * Ease::curveAt(Ease::Curve::easeIn, 0.75);
    }

    void repeatForever()
    {
        QFETCH(Ease::Curve, curve);
        QFETCH(bool, reverses);
        QFETCH(double, elapsed);
        QFETCH(double, expected);

        EaseAnimation<double> angle(0.0);
        QSignalSpy finished(&angle, &Animation::finished);
        angle.animateTo(10.0, Ease{curve, 1.0}.repeatForever(reverses));
        runFor(elapsed, int(std::lround(elapsed / 0.05)));
        QVERIFY2(std::abs(angle.value() - expected) < 1e-9, qPrintable(QString::number(angle.value())));
        QVERIFY(angle.isRunning());
        QCOMPARE(finished.count(), 0);
        angle.setValue(0);
    }

    void startingWhileJumping_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("expected");

        QTest::newRow("spring") << 0 << 44.0;
        QTest::newRow("ease") << 1 << 44.0;
        QTest::newRow("repeating ease rests at its start") << 2 << 4.0;
    }

    void startingWhileJumping()
    {
        QFETCH(int, kind);
        QFETCH(double, expected);

        animationClock().setJumpToEnd(true);
        SpringAnimation<double> spring(4.0);
        EaseAnimation<double> ease(4.0);
        Animation *animation = kind == 0 ? static_cast<Animation *>(&spring) : &ease;
        QSignalSpy changed(animation, &Animation::changed);
        QSignalSpy finished(animation, &Animation::finished);
        if (kind == 0) {
            spring.animateTo(44.0, Spring{0.5, 0.55});
        } else {
            ease.animateTo(44.0, kind == 1 ? Ease::easeIn(0.18) : Ease::easeInOut(1.4).repeatForever());
        }

        QCOMPARE(kind == 0 ? spring.value() : ease.value(), expected);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(finished.count(), 1);
        QVERIFY(!animation->isRunning());
        QVERIFY(!animationClock().isTicking());
    }

    void switchingJumpOnLandsEverything()
    {
        SpringAnimation<double> drop(-90.0);
        EaseAnimation<double> rocking(4.0);
        EaseAnimation<double> fade(1.0);
        QSignalSpy dropFinished(&drop, &Animation::finished);
        QSignalSpy rockingFinished(&rocking, &Animation::finished);
        drop.animateTo(0.0, Spring{0.5, 0.55});
        rocking.animateTo(-4.0, Ease::easeInOut(1.4).repeatForever());
        fade.animateTo(0.0, Ease::easeIn(0.18));
        runFrames(0.1);

        animationClock().setJumpToEnd(true);
        QCOMPARE(drop.value(), 0.0);
        QCOMPARE(drop.velocity(), 0.0);
        QCOMPARE(rocking.value(), 4.0);
        QCOMPARE(fade.value(), 0.0);
        QCOMPARE(dropFinished.count(), 1);
        QCOMPARE(rockingFinished.count(), 1);
        QVERIFY(!animationClock().isTicking());
        QCOMPARE(animationClock().runningCount(), 0);

        // Switched off again, animations move over time as before.
        animationClock().setJumpToEnd(false);
        drop.animateTo(10.0, Spring{0.5, 0.55});
        QVERIFY(drop.isRunning());
        QVERIFY(animationClock().isTicking());
        drop.setValue(0);
    }
};

QTEST_MAIN(TestAnimation)
#include "tst_animation.moc"
