#include "Chevron.h"
#include "Theme.h"

#include <QPainter>
#include <QtTest>

using Direction = Chevron::Direction;

namespace {
/// A chevron 90 points wide (50 tall, a 16 point line) whose layout box is centred on (100, 100).
QImage drawn(Direction direction)
{
    QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    Chevron::paint(painter, QPointF(55, 75), direction, 90);
    return image;
}
} // namespace

class TestChevron : public QObject {
    Q_OBJECT

private slots:
    void sizeIgnoresDirection_data()
    {
        QTest::addColumn<Direction>("direction");
        QTest::addColumn<qreal>("width");
        QTest::addColumn<QSize>("size");
        QTest::newRow("down 9") << Direction::down << 9.0 << QSize(9, 5);
        QTest::newRow("left 10 rounds up") << Direction::left << 10.0 << QSize(10, 6);
        QTest::newRow("down 7") << Direction::down << 7.0 << QSize(7, 4);
        QTest::newRow("up 18") << Direction::up << 18.0 << QSize(18, 10);
    }

    void sizeIgnoresDirection()
    {
        QFETCH(Direction, direction);
        QFETCH(qreal, width);
        QFETCH(QSize, size);
        Chevron chevron(direction, width);
        QCOMPARE(chevron.sizeHint(), size);
        QCOMPARE(Chevron::boxSize(width), QSizeF(width, width * 5 / 9));
        chevron.setDirection(Direction::up);
        QCOMPARE(chevron.sizeHint(), size);
    }

    void pointsWhereItSays_data()
    {
        QTest::addColumn<Direction>("direction");
        QTest::addColumn<QPoint>("towards");
        QTest::newRow("down") << Direction::down << QPoint(0, 1);
        QTest::newRow("up") << Direction::up << QPoint(0, -1);
        QTest::newRow("left") << Direction::left << QPoint(-1, 0);
    }

    void pointsWhereItSays()
    {
        QFETCH(Direction, direction);
        QFETCH(QPoint, towards);
        const QImage image = drawn(direction);
        const QPoint centre(100, 100), across(towards.y(), towards.x());
        const auto inked = [&](QPoint p) { return qAlpha(image.pixel(centre + p)) > 128; };
        // Turned about the centre: the tip 25 points ahead (its round cap reaching 8 further), the arm
        // ends 25 behind and 45 to either side, and nothing between the arms.
        QVERIFY(inked(towards * 25));
        QVERIFY(!inked(towards * 36));
        QVERIFY(inked(-towards * 25 + across * 45));
        QVERIFY(inked(-towards * 25 - across * 45));
        QVERIFY(inked(-towards * 29 + across * 45)); // within the round cap past an arm's end
        QVERIFY(!inked(-towards * 25));
    }

    void strokeIsSoftInkOfScaledWidth()
    {
        const QImage image = drawn(Direction::down);
        // The left arm runs from (55, 75) to (100, 125); row 100 crosses it.
        int count = 0;
        for (int x = 50; x < 100; ++x)
            count += qAlpha(image.pixel(x, 100)) > 128;
        QCOMPARE(QColor(image.pixel(77, 100)), QColor(Theme::inkSoft));
        // A 16 point line (90 x 1.6 / 9) cut at the arm's slant is 16 / sin(atan(50 / 45)) = 21.5 wide.
        QVERIFY2(count >= 20 && count <= 23, qPrintable(QString::number(count)));
    }
};

QTEST_MAIN(TestChevron)
#include "tst_chevron.moc"
