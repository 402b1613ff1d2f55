#include "Chevron.h"
#include "Theme.h"

#include <QPainter>
#include <QtTest>

#include <algorithm>

namespace {

using Direction = Chevron::Direction;

/// A chevron 90 points wide (50 tall) whose layout box is centred on (100, 100).
QImage drawn(Direction direction)
{
    QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    Chevron::paint(painter, QPointF(55, 75), direction, 90);
    return image;
}

QList<QPoint> inked(const QImage &image)
{
    QList<QPoint> points;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 128)
                points.append({x, y});
    return points;
}

} // namespace

class TestChevron : public QObject {
    Q_OBJECT

private slots:
    void sizeIgnoresDirection_data();
    void sizeIgnoresDirection();
    void pointsWhereItSays_data();
    void pointsWhereItSays();
    void strokeIsSoftInkOfScaledWidth();
};

void TestChevron::sizeIgnoresDirection_data()
{
    QTest::addColumn<Direction>("direction");
    QTest::addColumn<qreal>("width");
    QTest::addColumn<QSize>("size");
    QTest::newRow("down 9") << Direction::down << 9.0 << QSize(9, 5);
    QTest::newRow("up 9") << Direction::up << 9.0 << QSize(9, 5);
    QTest::newRow("left 9") << Direction::left << 9.0 << QSize(9, 5);
    QTest::newRow("left 10") << Direction::left << 10.0 << QSize(10, 6);
    QTest::newRow("down 7") << Direction::down << 7.0 << QSize(7, 4);
    QTest::newRow("up 18") << Direction::up << 18.0 << QSize(18, 10);
}

void TestChevron::sizeIgnoresDirection()
{
    QFETCH(Direction, direction);
    QFETCH(qreal, width);
    QFETCH(QSize, size);
    Chevron chevron(direction, width);
    QCOMPARE(chevron.sizeHint(), size);
    QCOMPARE(Chevron::boxSize(width), QSizeF(width, width * 5 / 9));
    chevron.setDirection(Direction::down);
    QCOMPARE(chevron.sizeHint(), size);
}

void TestChevron::pointsWhereItSays_data()
{
    QTest::addColumn<Direction>("direction");
    QTest::addColumn<QPoint>("towards");
    QTest::newRow("down") << Direction::down << QPoint(0, 1);
    QTest::newRow("up") << Direction::up << QPoint(0, -1);
    QTest::newRow("left") << Direction::left << QPoint(-1, 0);
}

void TestChevron::pointsWhereItSays()
{
    QFETCH(Direction, direction);
    QFETCH(QPoint, towards);
    const QList<QPoint> points = inked(drawn(direction));
    QVERIFY(!points.isEmpty());
    const QPoint centre(100, 100);
    const auto along = [&](QPoint p) { return QPoint::dotProduct(p - centre, towards); };
    const auto across = [&](QPoint p) {
        return QPoint::dotProduct(p - centre, QPoint(towards.y(), towards.x()));
    };

    // The tip, the point furthest in the pointing direction, lies on the centre line; the two arm
    // ends, furthest the other way, lie 45 points either side of it.
    const int tipReach = along(*std::max_element(points.begin(), points.end(),
                                                 [&](QPoint a, QPoint b) { return along(a) < along(b); }));
    const int backReach = along(*std::min_element(points.begin(), points.end(),
                                                  [&](QPoint a, QPoint b) { return along(a) < along(b); }));
    int tipLow = 1000, tipHigh = -1000, backLow = 1000, backHigh = -1000;
    for (const QPoint &p : points) {
        if (along(p) >= tipReach - 1) {
            tipLow = std::min(tipLow, across(p));
            tipHigh = std::max(tipHigh, across(p));
        }
        if (along(p) <= backReach + 1) {
            backLow = std::min(backLow, across(p));
            backHigh = std::max(backHigh, across(p));
        }
    }
    QVERIFY2(tipLow >= -6 && tipHigh <= 6, qPrintable(QString("tip %1..%2").arg(tipLow).arg(tipHigh)));
    QVERIFY2(backLow <= -45 && backHigh >= 45, qPrintable(QString("ends %1..%2").arg(backLow).arg(backHigh)));
    // Turned about the centre: the V spans its 50 point height (plus the round caps) along the
    // pointing direction, around the centre.
    QVERIFY(qAbs(tipReach - 25 - 8) <= 2);
    QVERIFY(qAbs(backReach + 25 + 8) <= 2);
}

void TestChevron::strokeIsSoftInkOfScaledWidth()
{
    const QImage image = drawn(Direction::down);
    // The left arm runs from (55, 75) to (100, 125); the row through its middle crosses it.
    const int row = 100;
    int count = 0;
    for (int x = 50; x < 100; ++x) {
        if (qAlpha(image.pixel(x, row)) > 128)
            ++count;
    }
    QCOMPARE(QColor(image.pixel(77, row)), QColor(Theme::inkSoft));
    // A 16 point line (90 x 1.6 / 9) cut at the arm's slant is 16 / sin(atan(50 / 45)) = 21.5 wide.
    QVERIFY2(count >= 20 && count <= 23, qPrintable(QString::number(count)));
}

QTEST_MAIN(TestChevron)
#include "tst_chevron.moc"
