#include "RockPile.h"

#include <QSet>
#include <QTest>

#include <cmath>
#include <tuple>

using namespace Qt::Literals::StringLiterals;

namespace {

QList<QChar> letters(QStringView text)
{
    return QList<QChar>(text.begin(), text.end());
}

} // namespace

class TestRockPile : public QObject {
    Q_OBJECT

private slots:
    void fillOrder_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QList<int>>("order");
        // Ties go to the left position.
        QTest::newRow("3") << 3 << QList<int>{1, 0, 2};
        QTest::newRow("4") << 4 << QList<int>{1, 2, 0, 3};
        QTest::newRow("5") << 5 << QList<int>{2, 1, 3, 0, 4};
    }
    void fillOrder()
    {
        QFETCH(int, n);
        QFETCH(QList<int>, order);
        const RockPile::FillOrder actual = RockPile::fillOrder(n);
        QCOMPARE(QList<int>(actual.begin(), actual.end()), order);
    }

    // Places and worked layout figures, the latter published to at most three decimals.
    void figures_data()
    {
        QTest::addColumn<double>("actual");
        QTest::addColumn<double>("expected");
        const auto add = [](const QString &name, double actual, double expected) {
            QTest::newRow(qPrintable(name)) << actual << expected;
        };
        const QList<int> firsts{0, 5, 10, 14, 18, 21, 24, 27, 29, 31, 33, 34, 35};
        for (int row = 0; row < firsts.size(); ++row) {
            add(u"first of row %1"_s.arg(row), RockPile::firstIndex(row), firsts[row]);
            add(u"row of stone %1"_s.arg(firsts[row]), RockPile::place(firsts[row]).row, row);
            add(u"seat of stone %1"_s.arg(firsts[row]), RockPile::place(firsts[row]).seat, 0);
        }
        const std::tuple<int, int, int> places[] = {{4, 0, 4}, {32, 9, 1}, {10000, 9977, 0}};
        for (const auto &[index, row, seat] : places) {
            add(u"row of stone %1"_s.arg(index), RockPile::place(index).row, row);
            add(u"seat of stone %1"_s.arg(index), RockPile::place(index).seat, seat);
            add(u"first of row %1"_s.arg(row), RockPile::firstIndex(row), index - seat);
        }
        const std::pair<int, double> sizes[] = {{0, 92}, {33, 67}, {34, 66}, {5000, 66}};
        for (const auto &[index, size] : sizes)
            add(u"size of stone %1"_s.arg(index), RockPile::size(RockPile::place(index).row), size);

        const QList<double> spacings{42.16, 38.1956, 56.76, 50.96, 52.8, 50.82, 48.84, 47.52, 46.2, 44.88};
        for (int row = 0; row < spacings.size(); ++row)
            add(u"spacing of row %1"_s.arg(row), RockPile::spacing(row), spacings[row]);

        const std::pair<int, QList<double>> offsets[] = {
            {0, {0, -42.16, 42.16, -84.32, 84.32}},
            {1, {9.549, -28.647, 47.744, -66.842, 85.940}},
            {2, {-28.38, 28.38, -85.14, 85.14}},
            {4, {0, -52.8, 52.8}},
            {7, {-23.76, 23.76}},
            {10, {0}},
            {11, {13.188}},
            {12, {19.829}},
        };
        for (const auto &[row, seats] : offsets) {
            add(u"seats in row %1"_s.arg(row), RockPile::seatCap(row), seats.size());
            for (int seat = 0; seat < seats.size(); ++seat)
                add(u"offset of row %1 seat %2"_s.arg(row).arg(seat), RockPile::seatOffset(row, seat),
                    seats[seat]);
        }

        const QList<double> centers{46,     88.66,  129.88, 169.66, 208.0,  244.9, 280.36,
                                    314.88, 348.44, 381.04, 413.18, 444.84, 476.52};
        for (int row = 0; row < centers.size(); ++row)
            add(u"centre of row %1"_s.arg(row), RockPile::rowCenter(row), centers[row]);
        // From row 11 on every row is 0.48 x 66 above the last.
        add(u"centre of row 111"_s, RockPile::rowCenter(111), 444.84 + 100 * 31.68);

        const std::pair<int, double> heights[] = {{0, 0},       {1, 92},      {5, 92},     {6, 133.16},
                                                  {10, 133.16}, {33, 415.04}, {34, 446.68}};
        for (const auto &[count, height] : heights)
            add(u"height of %1 stones"_s.arg(count), RockPile::pileHeight(count), height);

        // Level on the bottom row, on a stone and on the rightmost one; full lean far over either edge;
        // row 10 sits between -33.66 and +11.22 of row 9; row 11 on the single stone of row 10.
        const std::tuple<int, double, double> tilts[] = {
            {0, 30, 0},   {1, 9.549, 7.913}, {1, 0, 0},   {1, -100, -5.528},  {1, 84.32, 0},
            {1, 200, 12}, {1, -200, -12},    {10, 0, -8}, {11, 13.188, 6.384}};
        for (const auto &[row, x, tilt] : tilts)
            add(u"tilt in row %1 at %2"_s.arg(row).arg(x), RockPile::contactTilt(row, x), tilt);

        // Choices inside the tiers are checked through the removal examples.
        const std::tuple<int, int, int> nearest[] = {{1, 6, 5}, {32, 40, 33}, {33, 40, 34}, {5, 10, -1}};
        for (const auto &[above, count, index] : nearest)
            add(u"nearest above %1 of %2"_s.arg(above).arg(count), RockPile::nearestSeat(above, count),
                index);
    }
    void figures()
    {
        QFETCH(double, actual);
        QFETCH(double, expected);
        QVERIFY2(std::abs(actual - expected) <= 1e-3, qPrintable(QString::number(actual, 'f', 4)));
    }

    // Out-of-range input once read past the tiers in release builds; it now has a defined answer.
    void outOfRangeInput_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("seat");
        QTest::addColumn<int>("sameRow"); // the in-range input it must answer like
        QTest::addColumn<int>("sameSeat");
        QTest::newRow("negative row") << -3 << 0 << 0 << 0;
        QTest::newRow("negative seat") << 1 << -1 << 1 << 0;
        QTest::newRow("seat past the row") << 1 << 9 << 1 << RockPile::seatCap(1) - 1;
        QTest::newRow("seat past a top row") << 12 << 5 << 12 << 0;
    }
    void outOfRangeInput()
    {
        QFETCH(int, row);
        QFETCH(int, seat);
        QFETCH(int, sameRow);
        QFETCH(int, sameSeat);
        QCOMPARE(RockPile::seatOffset(row, seat), RockPile::seatOffset(sameRow, sameSeat));
        QCOMPARE(RockPile::size(row), RockPile::size(sameRow));
        QCOMPARE(RockPile::rowCenter(row), RockPile::rowCenter(sameRow));
        QCOMPARE(RockPile::firstIndex(row), RockPile::firstIndex(sameRow));
        QCOMPARE(RockPile::place(-5).row, 0);
        QCOMPARE(RockPile::place(-5).seat, 0);
    }

    void collapsedSeven_data()
    {
        QTest::addColumn<qsizetype>("index");
        QTest::addColumn<QString>("result");
        const QStringList results{"FBCDEG", "AGCDEF", "ABFDEG", "ABCGEF", "ABCDFG", "ABCDEG", "ABCDEF"};
        for (int index = 0; index < results.size(); ++index)
            QTest::addRow("%d", index) << qsizetype(index) << results[index];
        QTest::newRow("before the list") << qsizetype(-1) << "ABCDEFG";
        QTest::newRow("past the list") << qsizetype(7) << "ABCDEFG";
    }
    void collapsedSeven()
    {
        QFETCH(qsizetype, index);
        QFETCH(QString, result);
        QCOMPARE(RockPile::collapsed(letters(u"ABCDEFG"), index), letters(result));
    }

    void collapsedFifteen()
    {
        QList<int> stones;
        for (int i = 0; i < 15; ++i)
            stones.append(i);
        QCOMPARE(RockPile::collapsed(stones, 0), (QList<int>{5, 1, 2, 3, 4, 11, 6, 7, 8, 9, 10, 14, 12, 13}));
        // A top-row stone that is not the last takes the last stone into its seat.
        QCOMPARE(RockPile::collapsed(stones.first(13), 10),
                 (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 11}));
        QCOMPARE(RockPile::collapsed(QList<int>{}, 0), QList<int>{});
    }

    void collapsedKeepsEveryOtherStone()
    {
        // Strings, so a stone moved out and never refilled would show up empty.
        QList<QString> stones;
        for (int count = 1; count <= 60; ++count) {
            stones.append(QString::number(count - 1));
            for (int index = 0; index < count; ++index) {
                const QList<QString> result = RockPile::collapsed(stones, index);
                QSet<QString> expected(stones.begin(), stones.end());
                expected.remove(stones[index]);
                QCOMPARE(result.size(), count - 1);
                QCOMPARE(QSet<QString>(result.begin(), result.end()), expected);
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestRockPile)
#include "tst_rockpile.moc"
