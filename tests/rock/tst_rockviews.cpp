#include "FakeArtwork.h"
#include "RockImage.h"
#include "Theme.h"

#include <QPainter>
#include <QtTest>

#include <cmath>
#include <numbers>

namespace {
// A transparent square image with `color` in `block`.
QImage block(int side, const QRect &block, const QColor &color)
{
    QImage image = filled(side, side, Qt::transparent);
    QPainter(&image).fillRect(block, color);
    return image;
}

QImage paintedRock(int side, const RockAppearance &appearance, double seed, bool vary, bool showsFace)
{
    QImage image = filled(side, side, Qt::transparent);
    QPainter painter(&image);
    paintRock(painter, QRectF(0, 0, side, side), appearance, seed, vary, showsFace);
    return image;
}

#define QVERIFY_COLOUR(image, point, expected)                                                               \
    QVERIFY2(sameColour((image).pixelColor(point), expected),                                                \
             qPrintable(QStringLiteral("(%1, %2) is %3")                                                     \
                            .arg((point).x())                                                                \
                            .arg((point).y())                                                                \
                            .arg((image).pixelColor(point).name(QColor::HexArgb))))

const QColor blue(0, 0, 255), green(10, 200, 30), pink(255, 160, 168), clear(0, 0, 0, 0);
} // namespace

Q_DECLARE_METATYPE(RockAppearance)

class TestRockViews : public QObject {
    Q_OBJECT

    FakeArtwork artwork;

private slots:
    void init() { artwork.install(); }
    void cleanupTestCase() { FakeArtwork::uninstall(); }

    void rockTransform_data()
    {
        QTest::addColumn<double>("seed");
        QTest::addColumn<bool>("vary");
        QTest::addColumn<bool>("mirrored");
        QTest::addColumn<double>("degrees"); // clockwise on screen
        QTest::newRow("seed 0") << 0.0 << true << true << -7.0;
        QTest::newRow("seed 0.25") << 0.25 << true << true << -3.5;
        QTest::newRow("just below half") << 0.4999 << true << true << -0.0014;
        QTest::newRow("seed 0.5") << 0.5 << true << false << 0.0;
        QTest::newRow("seed 1") << 1.0 << true << false << 7.0;
        QTest::newRow("vary off, seed 0") << 0.0 << false << false << 0.0;
    }

    void rockTransform()
    {
        QFETCH(double, seed);
        QFETCH(bool, vary);
        QFETCH(bool, mirrored);
        QFETCH(double, degrees);
        const QPointF centre(50, 60);
        const QTransform transform = ::rockTransform(QRectF(20, 30, 60, 60), seed, vary);
        // Mirror first, then turn: with y growing downwards a positive angle turns clockwise.
        const double a = degrees * std::numbers::pi / 180;
        for (const QPointF offset : {QPointF(30, 0), QPointF(0, -30), QPointF(12, 7)}) {
            const QPointF m(mirrored ? -offset.x() : offset.x(), offset.y());
            const QPointF expected(m.x() * std::cos(a) - m.y() * std::sin(a),
                                   m.x() * std::sin(a) + m.y() * std::cos(a));
            const QPointF actual = transform.map(centre + offset) - centre;
            QVERIFY2((actual - expected).manhattanLength() < 1e-9,
                     qPrintable(QString("(%1, %2)").arg(actual.x()).arg(actual.y())));
        }
    }

    void paintRockTurns_data()
    {
        QTest::addColumn<double>("seed");
        QTest::addColumn<bool>("vary");
        QTest::addColumn<QPoint>("red");
        QTest::addColumn<QPoint>("empty");
        // A bar on the left half, rows 45 to 54: mirrored it lies on the right; turned by 7 degrees its
        // outer end rises about 5 rows.
        QTest::newRow("seed 1, turned clockwise") << 1.0 << true << QPoint(10, 42) << QPoint(90, 50);
        QTest::newRow("seed 0, mirrored, anticlockwise") << 0.0 << true << QPoint(90, 42) << QPoint(10, 50);
        QTest::newRow("seed 0.5, as drawn") << 0.5 << true << QPoint(10, 50) << QPoint(10, 42);
        QTest::newRow("vary off ignores seed 0") << 0.0 << false << QPoint(10, 50) << QPoint(90, 50);
    }

    void paintRockTurns()
    {
        QFETCH(double, seed);
        QFETCH(bool, vary);
        QFETCH(QPoint, red);
        QFETCH(QPoint, empty);
        artwork.images.insert("vidovu-all", block(100, QRect(0, 45, 50, 10), Qt::red));
        const QImage rock = paintedRock(100, RockAppearance{}, seed, vary, true);
        QVERIFY_COLOUR(rock, red, QColor(Qt::red));
        QVERIFY_COLOUR(rock, empty, clear);
    }

    void faces_data()
    {
        QTest::addColumn<RockAppearance>("appearance");
        QTest::addColumn<bool>("showsFace");
        QTest::addColumn<QList<QPoint>>("points");
        QTest::addColumn<QList<QColor>>("colours");
        const auto look = [](RockColor color, RockExpression expression,
                             std::optional<CustomRockShape> shape) {
            return RockAppearance{KivvoCharacter::vidovu, color, expression, shape};
        };
        // The red art has its eye at (40..60, 40..60); the smile lies at (90..110, 140..160), the drawn
        // rock's eyes at (60..80, 90..110).
        const RockAppearance redSmile = look(RockColor::red, RockExpression::smile, std::nullopt);
        QTest::newRow("face shown") << redSmile << true << QList<QPoint>{{50, 50}, {100, 150}}
                                    << QList<QColor>{blue, green};
        QTest::newRow("face hidden shows the recoloured body")
            << redSmile << false << QList<QPoint>{{50, 50}, {100, 150}} << QList<QColor>{pink, pink};
        // A rounded square through (0.5, 0.1), (0.9, 0.5), (0.5, 0.9) and (0.1, 0.5), edged 3.28 wide.
        const CustomRockShape square{{{0.1, 0.1}, {0.9, 0.1}, {0.9, 0.9}, {0.1, 0.9}}};
        QTest::newRow("drawn rock on black with a smile")
            << look(RockColor::black, RockExpression::smile, square) << true
            << QList<QPoint>{{100, 40}, {100, 19}, {100, 15}, {5, 5}, {70, 100}, {100, 150}}
            << QList<QColor>{QColor(77, 77, 77), Theme::ink, clear, clear, blue, QColor(Qt::white)};
        const CustomRockShape line{{{0.1, 0.1}, {0.9, 0.9}}};
        QTest::newRow("too short for a body, still eyes")
            << look(RockColor::original, RockExpression::none, line) << true
            << QList<QPoint>{{100, 40}, {100, 100}, {70, 100}} << QList<QColor>{clear, clear, blue};
        QTest::newRow("too short, face hidden")
            << look(RockColor::original, RockExpression::none, line) << false
            << QList<QPoint>{{100, 40}, {70, 100}} << QList<QColor>{clear, clear};
    }

    void faces()
    {
        QFETCH(RockAppearance, appearance);
        QFETCH(bool, showsFace);
        QFETCH(QList<QPoint>, points);
        QFETCH(QList<QColor>, colours);
        artwork.images.insert("vidovu-body", block(100, QRect(0, 0, 100, 100), QColor(200, 200, 200)));
        QImage red = block(100, QRect(0, 0, 100, 100), pink);
        QPainter(&red).fillRect(QRect(20, 20, 10, 10), blue);
        artwork.images.insert("red", red);
        artwork.images.insert("smile", block(100, QRect(45, 70, 10, 10), green));
        artwork.images.insert("vidovu-eye", block(100, QRect(30, 45, 10, 10), blue));
        const QImage rock = paintedRock(200, appearance, 0.5, false, showsFace);
        for (qsizetype i = 0; i < points.size(); ++i)
            QVERIFY_COLOUR(rock, points[i], colours[i]);
    }

    void bigArtworkKeepsThinLines()
    {
        // Shrunk ten times, a line two pixels wide must still show: sampling alone would step over it.
        artwork.images.insert("vidovu-all", block(400, QRect(200, 0, 2, 400), Qt::black));
        const QImage rock = paintedRock(40, RockAppearance{}, 0.5, false, true);
        int strongest = 0;
        for (int x = 0; x < rock.width(); ++x)
            strongest = std::max(strongest, rock.pixelColor(x, 20).alpha());
        QVERIFY2(strongest >= 30, qPrintable(QString::number(strongest)));
    }

    void rockImageCentresItsSquare()
    {
        artwork.images.insert("vidovu-all", block(100, QRect(0, 0, 100, 100), Qt::red));
        RockImage view;
        view.resize(200, 100);
        view.setRockSize(60);
        QCOMPARE(view.sizeHint(), QSize(60, 60));
        QImage image = filled(200, 200, Qt::transparent);
        view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        // The square runs from x 70 to 130 and from y 20 to 80.
        for (const QPoint inside : {QPoint(100, 50), QPoint(72, 50)})
            QVERIFY_COLOUR(image, inside, QColor(Qt::red));
        for (const QPoint outside : {QPoint(67, 50), QPoint(133, 50), QPoint(100, 17)})
            QVERIFY_COLOUR(image, outside, clear);
    }
};

QTEST_MAIN(TestRockViews)
#include "tst_rockviews.moc"
