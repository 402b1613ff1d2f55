#include "RockPile.h"

#include <QSet>
#include <QTest>

#include <cmath>

namespace {

/// Published layout figures are given to at most three decimals.
constexpr double published = 1e-3;

bool near(double actual, double expected, double tolerance = published)
{
    return std::abs(actual - expected) <= tolerance;
}

/// The plain row walk the O(1) forms must agree with.
RockPile::Place walkedPlace(int index)
{
    int row = 0;
    while (index >= RockPile::seatCap(row))
        index -= RockPile::seatCap(row++);
    return {row, index};
}

/// Row centres by the plain recursion, rows 0..last.
QList<double> walkedCenters(int last)
{
    QList<double> centers{RockPile::size(0) / 2};
    for (int k = 0; k < last; ++k)
        centers.append(centers[k] + RockPile::size(k) / 2 + RockPile::size(k + 1) / 2 -
                       0.52 * RockPile::size(k));
    return centers;
}

QList<QChar> letters(QStringView text)
{
    return QList<QChar>(text.begin(), text.end());
}

} // namespace

class TestRockPile : public QObject {
    Q_OBJECT

private slots:
    void place_data();
    void place();
    void closedFormsMatchTheWalk();
    void size_data();
    void size();
    void fillOrder_data();
    void fillOrder();
    void spacing_data();
    void spacing();
    void seatOffset_data();
    void seatOffset();
    void rowCenter_data();
    void rowCenter();
    void rowCenterMatchesRecursion();
    void pileHeight_data();
    void pileHeight();
    void contactTilt_data();
    void contactTilt();
    void nearestSeat_data();
    void nearestSeat();
    void collapsedSeven_data();
    void collapsedSeven();
    void collapsedFifteen();
    void collapsedKeepsEveryOtherStone();
};

void TestRockPile::place_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("seat");

    QTest::newRow("first") << 0 << 0 << 0;
    QTest::newRow("end of row 0") << 4 << 0 << 4;
    const QList<int> firsts{0, 5, 10, 14, 18, 21, 24, 27, 29, 31, 33, 34, 35};
    for (int row = 0; row < firsts.size(); ++row)
        QTest::addRow("row %d starts", row) << firsts[row] << row << 0;
    QTest::newRow("end of tiers") << 32 << 9 << 1;
    QTest::newRow("far column") << 10000 << 9977 << 0;
}

void TestRockPile::place()
{
    QFETCH(int, index);
    QFETCH(int, row);
    QFETCH(int, seat);
    QCOMPARE(RockPile::place(index), (RockPile::Place{row, seat}));
    QCOMPARE(RockPile::firstIndex(row), index - seat);
}

void TestRockPile::closedFormsMatchTheWalk()
{
    for (int index = 0; index < 3000; ++index) {
        const RockPile::Place walked = walkedPlace(index);
        QCOMPARE(RockPile::place(index), walked);
        QCOMPARE(RockPile::firstIndex(walked.row) + walked.seat, index);
    }
}

void TestRockPile::size_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("size");

    QTest::newRow("bottom") << 0 << 92.0;
    QTest::newRow("row 9") << 32 << 68.0;
    QTest::newRow("row 10") << 33 << 67.0;
    QTest::newRow("row 11") << 34 << 66.0;
    QTest::newRow("row 12") << 35 << 66.0;
    QTest::newRow("far") << 5000 << 66.0;
}

void TestRockPile::size()
{
    QFETCH(int, index);
    QFETCH(double, size);
    QCOMPARE(RockPile::size(RockPile::place(index).row), size);
}

void TestRockPile::fillOrder_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<QList<int>>("order");

    QTest::newRow("1") << 1 << QList<int>{0};
    QTest::newRow("2") << 2 << QList<int>{0, 1};
    QTest::newRow("3") << 3 << QList<int>{1, 0, 2};
    QTest::newRow("4") << 4 << QList<int>{1, 2, 0, 3};
    QTest::newRow("5") << 5 << QList<int>{2, 1, 3, 0, 4};
}

void TestRockPile::fillOrder()
{
    QFETCH(int, n);
    QFETCH(QList<int>, order);
    const RockPile::FillOrder actual = RockPile::fillOrder(n);
    QCOMPARE(QList<int>(actual.begin(), actual.end()), order);
}

void TestRockPile::spacing_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<double>("spacing");

    const QList<double> spacings{42.16, 38.1956, 56.76, 50.96, 52.8, 50.82, 48.84, 47.52, 46.2, 44.88};
    for (int row = 0; row < spacings.size(); ++row)
        QTest::addRow("row %d", row) << row << spacings[row];
}

void TestRockPile::spacing()
{
    QFETCH(int, row);
    QFETCH(double, spacing);
    QVERIFY2(near(RockPile::spacing(row), spacing, 1e-4),
             qPrintable(QString::number(RockPile::spacing(row))));
}

void TestRockPile::seatOffset_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QList<double>>("offsets");

    QTest::newRow("row 0") << 0 << QList<double>{0, -42.16, 42.16, -84.32, 84.32};
    QTest::newRow("row 1") << 1 << QList<double>{9.549, -28.647, 47.744, -66.842, 85.940};
    QTest::newRow("row 2") << 2 << QList<double>{-28.38, 28.38, -85.14, 85.14};
    QTest::newRow("row 4") << 4 << QList<double>{0, -52.8, 52.8};
    QTest::newRow("row 7") << 7 << QList<double>{-23.76, 23.76};
    QTest::newRow("row 10") << 10 << QList<double>{0};
    QTest::newRow("row 11") << 11 << QList<double>{13.188};
    QTest::newRow("row 12") << 12 << QList<double>{19.829};
}

void TestRockPile::seatOffset()
{
    QFETCH(int, row);
    QFETCH(QList<double>, offsets);
    QCOMPARE(RockPile::seatCap(row), offsets.size());
    for (int seat = 0; seat < offsets.size(); ++seat) {
        const double actual = RockPile::seatOffset(row, seat);
        QVERIFY2(near(actual, offsets[seat]),
                 qPrintable(QStringLiteral("seat %1: %2").arg(seat).arg(actual, 0, 'f', 4)));
    }
}

void TestRockPile::rowCenter_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<double>("center");

    const QList<double> centers{46,     88.66,  129.88, 169.66, 208.0,  244.9, 280.36,
                                314.88, 348.44, 381.04, 413.18, 444.84, 476.52};
    for (int row = 0; row < centers.size(); ++row)
        QTest::addRow("row %d", row) << row << centers[row];
    // From row 11 on every row is 0.48 x 66 above the last.
    QTest::newRow("row 111") << 111 << 444.84 + 100 * 31.68;
}

void TestRockPile::rowCenter()
{
    QFETCH(int, row);
    QFETCH(double, center);
    QVERIFY2(near(RockPile::rowCenter(row), center), qPrintable(QString::number(RockPile::rowCenter(row))));
}

void TestRockPile::rowCenterMatchesRecursion()
{
    const QList<double> centers = walkedCenters(500);
    for (int row = 0; row < centers.size(); ++row)
        QVERIFY2(near(RockPile::rowCenter(row), centers[row], 1e-9), qPrintable(QString::number(row)));
}

void TestRockPile::pileHeight_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("height");

    QTest::newRow("empty") << 0 << 0.0;
    QTest::newRow("one") << 1 << 92.0;
    QTest::newRow("full bottom row") << 5 << 92.0;
    QTest::newRow("second row begun") << 6 << 133.16;
    QTest::newRow("second row full") << 10 << 133.16;
    QTest::newRow("all tiers") << 33 << 415.04;
    QTest::newRow("first of the column") << 34 << 446.68;
}

void TestRockPile::pileHeight()
{
    QFETCH(int, count);
    QFETCH(double, height);
    QVERIFY2(near(RockPile::pileHeight(count), height),
             qPrintable(QString::number(RockPile::pileHeight(count))));
}

void TestRockPile::contactTilt_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("tilt");

    QTest::newRow("bottom row is level") << 0 << 30.0 << 0.0;
    QTest::newRow("first stone of row 1") << 1 << 9.549 << 7.913;
    QTest::newRow("on a stone") << 1 << 0.0 << 0.0;
    QTest::newRow("mid gap") << 1 << 21.08 << 0.0;
    QTest::newRow("overhang left") << 1 << -100.0 << -5.528;
    QTest::newRow("on the rightmost stone") << 1 << 84.32 << 0.0;
    QTest::newRow("far overhang right") << 1 << 200.0 << 12.0;
    QTest::newRow("far overhang left") << 1 << -200.0 << -12.0;
    QTest::newRow("row 10 on row 9") << 10 << 0.0 << -8.0;
    // 13.188 / (0.37 x 67) of the full lean.
    QTest::newRow("row 11 on row 10") << 11 << 13.188 << 6.384;
}

void TestRockPile::contactTilt()
{
    QFETCH(int, row);
    QFETCH(double, x);
    QFETCH(double, tilt);
    const double actual = RockPile::contactTilt(row, x);
    QVERIFY2(near(actual, tilt), qPrintable(QString::number(actual, 'f', 4)));
}

void TestRockPile::nearestSeat_data()
{
    QTest::addColumn<int>("above");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("nearest");

    QTest::newRow("centre of seven") << 0 << 7 << 5;
    QTest::newRow("left of centre") << 1 << 7 << 6;
    QTest::newRow("right of centre") << 2 << 7 << 5;
    QTest::newRow("far left") << 3 << 7 << 6;
    QTest::newRow("far right") << 4 << 7 << 5;
    QTest::newRow("only one above") << 1 << 6 << 5;
    QTest::newRow("row 1 to row 2") << 5 << 15 << 11;
    QTest::newRow("row 2 to row 3") << 11 << 15 << 14;
    QTest::newRow("top tier to column") << 32 << 40 << 33;
    QTest::newRow("within the column") << 33 << 40 << 34;
    QTest::newRow("nothing above") << 5 << 10 << -1;
}

void TestRockPile::nearestSeat()
{
    QFETCH(int, above);
    QFETCH(int, count);
    QFETCH(int, nearest);
    QCOMPARE(RockPile::nearestSeat(above, count), nearest);
}

void TestRockPile::collapsedSeven_data()
{
    QTest::addColumn<qsizetype>("index");
    QTest::addColumn<QString>("result");

    QTest::newRow("0") << qsizetype(0) << "FBCDEG";
    QTest::newRow("1") << qsizetype(1) << "AGCDEF";
    QTest::newRow("2") << qsizetype(2) << "ABFDEG";
    QTest::newRow("3") << qsizetype(3) << "ABCGEF";
    QTest::newRow("4") << qsizetype(4) << "ABCDFG";
    QTest::newRow("5") << qsizetype(5) << "ABCDEG";
    QTest::newRow("6, the last") << qsizetype(6) << "ABCDEF";
    QTest::newRow("before the list") << qsizetype(-1) << "ABCDEFG";
    QTest::newRow("past the list") << qsizetype(7) << "ABCDEFG";
}

void TestRockPile::collapsedSeven()
{
    QFETCH(qsizetype, index);
    QFETCH(QString, result);
    QCOMPARE(RockPile::collapsed(letters(u"ABCDEFG"), index), letters(result));
}

void TestRockPile::collapsedFifteen()
{
    QList<int> stones;
    for (int i = 0; i < 15; ++i)
        stones.append(i);
    QCOMPARE(RockPile::collapsed(stones, 0), (QList<int>{5, 1, 2, 3, 4, 11, 6, 7, 8, 9, 10, 14, 12, 13}));
    // A top-row stone that is not the last takes the last stone into its seat.
    QCOMPARE(RockPile::collapsed(stones.first(13), 10), (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 11}));
    QCOMPARE(RockPile::collapsed(QList<int>{}, 0), QList<int>{});
}

void TestRockPile::collapsedKeepsEveryOtherStone()
{
    // Strings, so a stone moved out and never refilled would show up empty.
    for (int count = 1; count <= 60; ++count) {
        QList<QString> stones;
        for (int i = 0; i < count; ++i)
            stones.append(QString::number(i));
        for (int index = 0; index < count; ++index) {
            const QList<QString> result = RockPile::collapsed(stones, index);
            QSet<QString> expected(stones.begin(), stones.end());
            expected.remove(stones[index]);
            QCOMPARE(result.size(), count - 1);
            QCOMPARE(QSet<QString>(result.begin(), result.end()), expected);
        }
    }
}

QTEST_APPLESS_MAIN(TestRockPile)
#include "tst_rockpile.moc"
