#include "ClockSteps.h"
#include "RockPile.h"
#include "RockPileView.h"

#include <QSignalSpy>
#include <QTest>

#include <cmath>

using namespace Qt::Literals::StringLiterals;
using State = RockPileView::StoneState;
Q_DECLARE_METATYPE(State)

namespace {

Wish wishWithSeed(double seed)
{
    return Wish{QUuid::createUuid(), u"소원"_s, 0, std::nullopt, seed, std::nullopt};
}

QList<Wish> pileOf(int count, double seed = 0.5)
{
    QList<Wish> wishes;
    for (int i = 0; i < count; ++i)
        wishes.append(wishWithSeed(seed));
    return wishes;
}

/// A shown pile view 320 x 500 holding `wishes`.
std::unique_ptr<RockPileView> shownPile(const QList<Wish> &wishes)
{
    auto view = std::make_unique<RockPileView>();
    view->setWishes(wishes);
    view->resize(320, 500);
    view->show();
    return view;
}

} // namespace

class TestRockPileView : public QObject {
    Q_OBJECT

private slots:
    void restingStates_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<double>("seed");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<bool>("vanishing");
        QTest::addColumn<bool>("dropping");
        QTest::addColumn<State>("state");
        // A seed of one half nudges nothing: the seat, the row's height and the contact tilt alone.
        QTest::newRow("first stone") << 0 << 0.5 << false << false << false << State{{0, -46}, 0, 1, 1};
        QTest::newRow("row 1 leans on the gap")
            << 5 << 0.5 << false << false << false << State{{9.549, -88.66}, 7.913, 1, 1};
        // j = 0.5 on a 92 stone: 5.52 right, 3.68 lower, 2 degrees more.
        QTest::newRow("largest jitter")
            << 0 << 1.0 << false << false << false << State{{5.52, -42.32}, 2, 1, 1};
        QTest::newRow("selected") << 0 << 0.5 << true << false << false << State{{0, -52}, 0, 1.14, 1};
        QTest::newRow("vanishing") << 0 << 0.5 << false << true << false << State{{0, -46}, 0, 0.4, 0};
        QTest::newRow("dropping and selected")
            << 0 << 0.5 << true << false << true << State{{0, -142}, 0, 1.14, 1};
        QTest::newRow("column above the tiers")
            << 34 << 0.5 << false << false << false
            << State{{13.188, -444.84}, 6.384, 1, 1};
    }

    void restingStates()
    {
        QFETCH(int, index);
        QFETCH(double, seed);
        QFETCH(bool, selected);
        QFETCH(bool, vanishing);
        QFETCH(bool, dropping);
        QFETCH(State, state);
        const State got = RockPileView::restingState(index, seed, selected, vanishing, dropping);
        QVERIFY2(std::abs(got.centre.x() - state.centre.x()) < 1e-3,
                 qPrintable(QString::number(got.centre.x())));
        QVERIFY2(std::abs(got.centre.y() - state.centre.y()) < 1e-3,
                 qPrintable(QString::number(got.centre.y())));
        QVERIFY2(std::abs(got.angle - state.angle) < 1e-3, qPrintable(QString::number(got.angle)));
        QCOMPARE(got.scale, state.scale);
        QCOMPARE(got.opacity, state.opacity);
    }

    void storedSeedOutOfRangeIsClamped()
    {
        // A hand-edited seed of 40 would turn the stone 158 degrees; drawn, it counts as just below 1.
        auto view = shownPile({wishWithSeed(40)});
        const State state = *view->stoneState(view->wishes().first().id);
        QVERIFY(std::abs(state.angle - 2) < 1e-6);
    }

    void emptyPile()
    {
        auto view = shownPile({});
        QCOMPARE(view->pileHeight(), 0.0);
        QVERIFY(view->paintOrder().isEmpty());
        QVERIFY(!view->stoneAt(QPointF(160, 400)));
    }

    void selectedStoneIsPaintedLast()
    {
        const QList<Wish> wishes = pileOf(4);
        auto view = shownPile(wishes);
        QCOMPARE(view->paintOrder(), (QList<QUuid>{wishes[0].id, wishes[1].id, wishes[2].id, wishes[3].id}));
        view->setSelectedId(wishes[1].id);
        QCOMPARE(view->paintOrder(), (QList<QUuid>{wishes[0].id, wishes[2].id, wishes[3].id, wishes[1].id}));
    }

    void hitCircles_data()
    {
        QTest::addColumn<bool>("selected");
        QTest::addColumn<double>("radius"); // of the hit circle
        QTest::newRow("resting") << false << 0.36 * 92;
        QTest::newRow("selected: lifted and grown") << true << 0.36 * 92 * 1.14;
    }

    void hitCircles()
    {
        QFETCH(bool, selected);
        QFETCH(double, radius);
        // One stone, tilted by its jitter.
        const QList<Wish> wishes{wishWithSeed(0.9)};
        auto view = shownPile(wishes);
        if (selected)
            view->setSelectedId(wishes[0].id);
        const QPointF centre = view->stoneCentre(*view->stoneState(wishes[0].id));
        QCOMPARE(centre.y(), 500 - 8 - 46 + 0.08 * 92 * 0.4 - (selected ? 6 : 0));
        for (const QPointF direction : {QPointF(1, 0), QPointF(0, 1), QPointF(-0.6, -0.8)}) {
            QVERIFY(view->stoneAt(centre + direction * (radius - 0.5)));
            QVERIFY(!view->stoneAt(centre + direction * (radius + 0.5)));
        }
    }

    void topmostStoneTakesTheTap()
    {
        const QList<Wish> wishes = pileOf(6);
        auto view = shownPile(wishes);
        // Stone 5 rests on stones 0 and 1; where they overlap the later one is on top.
        const QPointF upper = view->stoneCentre(*view->stoneState(wishes[5].id));
        QCOMPARE(view->stoneAt(upper + QPointF(0, 25))->id, wishes[5].id);
        view->setSelectedId(wishes[0].id);
        QCOMPARE(view->stoneAt(upper + QPointF(-5, 30))->id, wishes[0].id);
    }

    void vanishingStonesTakeNoTap()
    {
        const QList<Wish> wishes = pileOf(1);
        auto view = shownPile(wishes);
        const QPointF centre = view->stoneCentre(*view->stoneState(wishes[0].id));
        view->setVanishingIds({wishes[0].id}, Motion::along(Ease::easeIn(0.18)));
        // At once, not only once it has shrunk.
        QVERIFY(!view->stoneAt(centre));
        QSignalSpy empty(view.get(), &RockPileView::tappedEmpty);
        QSignalSpy tapped(view.get(), &RockPileView::tapped);
        QTest::mouseClick(view.get(), Qt::LeftButton, {}, centre.toPoint());
        QCOMPARE(tapped.count(), 0);
        QCOMPARE(empty.count(), 1);
        runClock(0.2);
        QCOMPARE(view->stoneState(wishes[0].id)->scale, 0.4);
        QCOMPARE(view->stoneState(wishes[0].id)->opacity, 0.0);
    }

    void clickingAStoneTapsIt()
    {
        const QList<Wish> wishes = pileOf(3);
        auto view = shownPile(wishes);
        QSignalSpy tapped(view.get(), &RockPileView::tapped);
        QTest::mouseClick(view.get(), Qt::LeftButton, {},
                          view->stoneCentre(*view->stoneState(wishes[2].id)).toPoint());
        QCOMPARE(tapped.count(), 1);
        QCOMPARE(tapped.first().first().value<Wish>().id, wishes[2].id);
    }

    void removedStoneShrinksAwayAndOthersMove()
    {
        const QList<Wish> wishes = pileOf(7);
        auto view = shownPile(wishes);
        // Stone 0 taken out: stone 5 drops into its seat.
        const QList<Wish> after = RockPile::collapsed(wishes, 0);
        view->setWishes(after, Motion::on(Spring{0.45, 0.6}));
        QVERIFY(view->stoneState(wishes[0].id)); // still leaving
        QVERIFY(view->isAnimating());
        runClock(0.1);
        const State midway = *view->stoneState(wishes[5].id);
        QVERIFY(midway.centre.y() > -88.66 && midway.centre.y() < -46);
        runClock(3);
        QVERIFY(!view->isAnimating());
        QVERIFY(!view->stoneState(wishes[0].id)); // gone for good
        QCOMPARE(view->stoneState(wishes[5].id)->centre, QPointF(0, -46));
        QCOMPARE(view->paintOrder().size(), 6);
    }

    void arrivingStoneGrowsIn()
    {
        QList<Wish> wishes = pileOf(2);
        auto view = shownPile(wishes);
        wishes.append(wishWithSeed(0.5));
        view->setWishes(wishes, Motion::on(Spring{0.3, 0.7}));
        QVERIFY(view->stoneState(wishes[2].id)->scale < 0.01);
        runClock(2);
        QCOMPARE(view->stoneState(wishes[2].id)->scale, 1.0);
        QCOMPARE(view->stoneState(wishes[2].id)->opacity, 1.0);
    }

    void droppedStoneLandsAfterThePileShows()
    {
        const QList<Wish> wishes = pileOf(3);
        RockPileView view;
        view.resize(320, 500);
        view.setWishes(wishes);
        view.setDropId(wishes[2].id);
        const double seat = RockPileView::restingState(2, 0.5, false, false, false).centre.y();
        QCOMPARE(view.stoneState(wishes[2].id)->centre.y(), seat - 90);
        runClock(0.5); // not on screen yet: it waits
        QVERIFY(!view.landed());
        view.show();
        runClock(0.05);
        QVERIFY(!view.landed());
        runClock(0.05);
        QVERIFY(view.landed());
        runClock(0.2);
        QVERIFY(view.stoneState(wishes[2].id)->centre.y() > seat - 90);
        runClock(3);
        QCOMPARE(view.stoneState(wishes[2].id)->centre.y(), seat);
    }

    void heightCoversThePileAndItsMargins()
    {
        auto view = shownPile(pileOf(34));
        QCOMPARE(view->pileHeight(), 446.68);
        QCOMPARE(view->minimumSizeHint().height(), int(std::ceil(446.68 + 16)));
    }
};

QTEST_MAIN(TestRockPileView)
#include "tst_rockpileview.moc"
