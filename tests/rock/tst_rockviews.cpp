#include "RockAsset.h"
#include "RockImage.h"
#include "Theme.h"

#include <QPainter>
#include <QtTest>

#include <cmath>
#include <numbers>

namespace {

QImage transparent(int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A transparent square image with `color` in `block`.
QImage block(int side, const QRect &block, const QColor &color)
{
    QImage image = transparent(side);
    QPainter(&image).fillRect(block, color);
    return image;
}

QImage paintedRock(int side, const RockAppearance &appearance, double seed, bool vary, bool showsFace)
{
    QImage image = transparent(side);
    QPainter painter(&image);
    paintRock(painter, QRectF(0, 0, side, side), appearance, seed, vary, showsFace);
    return image;
}

bool near(const QColor &actual, const QColor &expected, int tolerance = 2)
{
    return qAbs(actual.red() - expected.red()) <= tolerance &&
           qAbs(actual.green() - expected.green()) <= tolerance &&
           qAbs(actual.blue() - expected.blue()) <= tolerance &&
           qAbs(actual.alpha() - expected.alpha()) <= tolerance;
}

#define QVERIFY_COLOUR(image, x, y, expected)                                                                \
    QVERIFY2(near((image).pixelColor(x, y), expected),                                                       \
             qPrintable(QStringLiteral("(%1, %2) is %3")                                                     \
                            .arg(x)                                                                          \
                            .arg(y)                                                                          \
                            .arg((image).pixelColor(x, y).name(QColor::HexArgb))))

const QColor blue(0, 0, 255), green(10, 200, 30), clear(0, 0, 0, 0);

// A rounded square through (0.5, 0.1), (0.9, 0.5), (0.5, 0.9) and (0.1, 0.5).
const CustomRockShape roundedSquare{{{0.1, 0.1}, {0.9, 0.1}, {0.9, 0.9}, {0.1, 0.9}}};

} // namespace

class TestRockViews : public QObject {
    Q_OBJECT

    QHash<QString, QImage> artwork;

private slots:
    void init();
    void cleanupTestCase();

    void rockTransform_data();
    void rockTransform();
    void paintRockMirrors_data();
    void paintRockMirrors();
    void paintRockTilts_data();
    void paintRockTilts();
    void faceOffShowsTheRecolouredBody_data();
    void faceOffShowsTheRecolouredBody();
    void customRockOnBlackWithSmile();
    void customShapeTooShortStillHasEyes_data();
    void customShapeTooShortStillHasEyes();
    void bigArtworkKeepsThinLines();
    void rockImageCentresItsSquare();
};

void TestRockViews::init()
{
    artwork.clear();
    RockAsset::resetForTesting();
    RockAsset::setArtworkSource([this](const QString &name) -> std::optional<QImage> {
        const auto found = artwork.constFind(name);
        if (found == artwork.constEnd())
            return std::nullopt;
        return *found;
    });
}

void TestRockViews::cleanupTestCase()
{
    RockAsset::setArtworkSource({});
    RockAsset::resetForTesting();
}

void TestRockViews::rockTransform_data()
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
    QTest::newRow("vary off, seed 0.25") << 0.25 << false << false << 0.0;
    QTest::newRow("vary off, seed 1") << 1.0 << false << false << 0.0;
}

void TestRockViews::rockTransform()
{
    QFETCH(double, seed);
    QFETCH(bool, vary);
    QFETCH(bool, mirrored);
    QFETCH(double, degrees);
    const QRectF square(20, 30, 60, 60);
    const QPointF centre(50, 60);
    const QTransform transform = ::rockTransform(square, seed, vary);
    // Mirror first, then turn: with y growing downwards a positive angle turns clockwise.
    const double a = degrees * std::numbers::pi / 180;
    for (const QPointF offset : {QPointF(30, 0), QPointF(0, -30), QPointF(12, 7)}) {
        const QPointF m(mirrored ? -offset.x() : offset.x(), offset.y());
        const QPointF expected = centre + QPointF(m.x() * std::cos(a) - m.y() * std::sin(a),
                                                  m.x() * std::sin(a) + m.y() * std::cos(a));
        const QPointF actual = transform.map(centre + offset);
        QVERIFY2(std::abs(actual.x() - expected.x()) < 1e-9 && std::abs(actual.y() - expected.y()) < 1e-9,
                 qPrintable(QStringLiteral("(%1, %2) instead of (%3, %4)")
                                .arg(actual.x())
                                .arg(actual.y())
                                .arg(expected.x())
                                .arg(expected.y())));
    }
}

void TestRockViews::paintRockMirrors_data()
{
    QTest::addColumn<double>("seed");
    QTest::addColumn<bool>("vary");
    QTest::addColumn<bool>("mirrored");

    QTest::newRow("seed 0") << 0.0 << true << true;
    QTest::newRow("seed 0.25") << 0.25 << true << true;
    QTest::newRow("seed 0.5") << 0.5 << true << false;
    QTest::newRow("seed 1") << 1.0 << true << false;
    QTest::newRow("vary off ignores seed 0") << 0.0 << false << false;
}

void TestRockViews::paintRockMirrors()
{
    QFETCH(double, seed);
    QFETCH(bool, vary);
    QFETCH(bool, mirrored);
    artwork.insert("vidovu-all", block(100, QRect(0, 0, 50, 100), Qt::red));
    const QImage rock = paintedRock(100, RockAppearance{}, seed, vary, true);
    QVERIFY_COLOUR(rock, 20, 50, mirrored ? clear : QColor(Qt::red));
    QVERIFY_COLOUR(rock, 80, 50, mirrored ? QColor(Qt::red) : clear);
}

void TestRockViews::paintRockTilts_data()
{
    QTest::addColumn<double>("seed");
    QTest::addColumn<bool>("rightEndDown");
    QTest::addColumn<bool>("rightEndUp");

    // A bar across the middle, rows 45 to 54: turned by 7 degrees its end at x 90 moves about 5 rows.
    QTest::newRow("seed 1 turns clockwise") << 1.0 << true << false;
    QTest::newRow("seed 0 turns anticlockwise") << 0.0 << false << true;
    QTest::newRow("seed 0.5 stays level") << 0.5 << false << false;
}

void TestRockViews::paintRockTilts()
{
    QFETCH(double, seed);
    QFETCH(bool, rightEndDown);
    QFETCH(bool, rightEndUp);
    artwork.insert("vidovu-all", block(100, QRect(0, 45, 100, 10), Qt::red));
    const QImage rock = paintedRock(100, RockAppearance{}, seed, true, true);
    QVERIFY_COLOUR(rock, 90, 57, rightEndDown ? QColor(Qt::red) : clear);
    QVERIFY_COLOUR(rock, 90, 42, rightEndUp ? QColor(Qt::red) : clear);
}

void TestRockViews::faceOffShowsTheRecolouredBody_data()
{
    QTest::addColumn<bool>("showsFace");
    QTest::addColumn<QColor>("eye");   // at (25, 25)
    QTest::addColumn<QColor>("mouth"); // at (50, 50)

    const QColor pink(255, 160, 168);
    QTest::newRow("face shown") << true << blue << green;
    QTest::newRow("face hidden") << false << pink << pink;
}

void TestRockViews::faceOffShowsTheRecolouredBody()
{
    QFETCH(bool, showsFace);
    QFETCH(QColor, eye);
    QFETCH(QColor, mouth);
    artwork.insert("vidovu-body", block(100, QRect(0, 0, 100, 100), QColor(200, 200, 200)));
    QImage red = block(100, QRect(0, 0, 100, 100), QColor(255, 160, 168));
    QPainter(&red).fillRect(QRect(20, 20, 10, 10), blue);
    artwork.insert("red", red);
    artwork.insert("smile", block(100, QRect(45, 45, 10, 10), green));
    RockAppearance appearance;
    appearance.color = RockColor::red;
    appearance.expression = RockExpression::smile;
    const QImage rock = paintedRock(100, appearance, 0.5, false, showsFace);
    QVERIFY_COLOUR(rock, 25, 25, eye);
    QVERIFY_COLOUR(rock, 50, 50, mouth);
}

void TestRockViews::customRockOnBlackWithSmile()
{
    artwork.insert("vidovu-eye", block(100, QRect(30, 45, 10, 10), blue));
    artwork.insert("smile", block(100, QRect(45, 70, 10, 10), green));
    RockAppearance appearance;
    appearance.color = RockColor::black;
    appearance.expression = RockExpression::smile;
    appearance.customShape = roundedSquare;
    const QImage rock = paintedRock(200, appearance, 0.5, false, true);
    QVERIFY_COLOUR(rock, 100, 40, QColor(77, 77, 77)); // body
    QVERIFY_COLOUR(rock, 100, 19, Theme::ink);         // the edge, 3.28 wide around row 20
    QVERIFY_COLOUR(rock, 100, 15, clear);              // outside the edge
    QVERIFY_COLOUR(rock, 5, 5, clear);
    QVERIFY_COLOUR(rock, 70, 100, blue);               // eyes
    QVERIFY_COLOUR(rock, 100, 150, QColor(Qt::white)); // the white mouth of a black rock
}

void TestRockViews::customShapeTooShortStillHasEyes_data()
{
    QTest::addColumn<bool>("showsFace");

    QTest::newRow("face shown") << true;
    QTest::newRow("face hidden") << false;
}

void TestRockViews::customShapeTooShortStillHasEyes()
{
    QFETCH(bool, showsFace);
    artwork.insert("vidovu-eye", block(100, QRect(30, 45, 10, 10), blue));
    RockAppearance appearance;
    appearance.customShape = CustomRockShape{{{0.1, 0.1}, {0.9, 0.9}}};
    const QImage rock = paintedRock(200, appearance, 0.5, false, showsFace);
    QVERIFY_COLOUR(rock, 100, 40, clear);
    QVERIFY_COLOUR(rock, 100, 100, clear);
    QVERIFY_COLOUR(rock, 70, 100, showsFace ? blue : clear);
}

void TestRockViews::bigArtworkKeepsThinLines()
{
    // Shrunk ten times, a line two pixels wide must still show: sampling alone would step over it.
    artwork.insert("vidovu-all", block(400, QRect(200, 0, 2, 400), Qt::black));
    const QImage rock = paintedRock(40, RockAppearance{}, 0.5, false, true);
    int strongest = 0;
    for (int x = 0; x < rock.width(); ++x)
        strongest = std::max(strongest, rock.pixelColor(x, 20).alpha());
    QVERIFY2(strongest >= 30, qPrintable(QString::number(strongest)));
}

void TestRockViews::rockImageCentresItsSquare()
{
    artwork.insert("vidovu-all", block(100, QRect(0, 0, 100, 100), Qt::red));
    RockImage view;
    view.resize(200, 100);
    view.setRockSize(60);
    QCOMPARE(view.sizeHint(), QSize(60, 60));
    QImage image = transparent(200);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    QVERIFY_COLOUR(image, 100, 50, QColor(Qt::red));
    QVERIFY_COLOUR(image, 72, 50, QColor(Qt::red));
    QVERIFY_COLOUR(image, 67, 50, clear); // the square runs from x 70 to 130
    QVERIFY_COLOUR(image, 133, 50, clear);
    QVERIFY_COLOUR(image, 100, 17, clear); // and from y 20 to 80
}

QTEST_MAIN(TestRockViews)
#include "tst_rockviews.moc"
