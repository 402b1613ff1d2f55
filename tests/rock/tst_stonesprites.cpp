#include "CustomRockShape.h"
#include "StoneSprites.h"
#include "Theme.h"

#include <QPainter>
#include <QtTest>

#include <cmath>

namespace {

/// A drawn rock: an octagon, so the test needs no artwork.
RockAppearance drawnRock(RockColor color = RockColor::original)
{
    CustomRockShape shape;
    for (int i = 0; i < 8; ++i) {
        const double t = i * M_PI / 4;
        shape.points.append({0.5 + 0.4 * std::cos(t), 0.5 + 0.4 * std::sin(t)});
    }
    return RockAppearance{KivvoCharacter::vidovu, color, RockExpression::none, shape};
}

/// A 200-point square canvas at `ratio` with a stone centred in it, drawn by `draw`.
template <typename Draw> QImage canvas(qreal ratio, Draw draw)
{
    QImage image(QSize(200, 200) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(100, 100);
    draw(painter);
    return image;
}

/// The largest difference of any channel over all pixels.
int largestDifference(const QImage &a, const QImage &b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q))});
        }
    return largest;
}

/// Share of pixels differing by more than `tolerance` in some channel.
double shareDiffering(const QImage &a, const QImage &b, int tolerance)
{
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            differing += std::abs(qGray(p) - qGray(q)) > tolerance;
        }
    return double(differing) / (a.width() * a.height());
}

} // namespace

class TestStoneSprites : public QObject {
    Q_OBJECT

private slots:
    void spritesAreSharedByLookSizeFaceAndDensity()
    {
        StoneSprites sprites;
        const QImage &first = sprites.sprite(drawnRock(), 92, false, 2).rock;
        QCOMPARE(&sprites.sprite(drawnRock(), 92, false, 2).rock, &first);
        QCOMPARE(sprites.count(), 1);
        sprites.sprite(drawnRock(), 89, false, 2);
        sprites.sprite(drawnRock(), 92, true, 2);
        sprites.sprite(drawnRock(), 92, false, 1);
        sprites.sprite(drawnRock(RockColor::black), 92, false, 2);
        QCOMPARE(sprites.count(), 5);
        // Rendered at the device's density, the face finer still for the grown selected stone.
        QCOMPARE(first.size(), QSize(192, 192));
        QCOMPARE(sprites.sprite(drawnRock(), 92, true, 2).rock.devicePixelRatio(), 2 * 1.14);
    }

    void shadingDarkensTheBottomWithinTheSilhouette()
    {
        StoneSprites sprites;
        const QImage rock = sprites.sprite(drawnRock(), 92, false, 1).rock;
        const QColor top = rock.pixelColor(48, 20);
        const QColor bottom = rock.pixelColor(48, 80);
        QVERIFY2(top.lightness() > bottom.lightness(), qPrintable(top.name() + " " + bottom.name()));
        // Outside the rock nothing is painted: the shading is clipped to it.
        QCOMPARE(rock.pixelColor(1, 1).alpha(), 0);
        QCOMPARE(rock.pixelColor(94, 94).alpha(), 0);
    }

    void shadowIsSoftAndFaint()
    {
        StoneSprites sprites;
        const StoneSprites::Sprite &sprite = sprites.sprite(drawnRock(), 92, false, 1);
        int strongest = 0;
        for (int y = 0; y < sprite.shadow.height(); ++y)
            for (int x = 0; x < sprite.shadow.width(); ++x)
                strongest = std::max(strongest, qAlpha(sprite.shadow.pixel(x, y)));
        // Ink at 15 % opacity at its strongest: 38 of 255.
        QVERIFY2(strongest <= 39 && strongest >= 36, qPrintable(QString::number(strongest)));
        // Blurred past the silhouette: faint but present a point below the rock's lowest pixel.
        int bottom = 0;
        for (int y = 0; y < sprite.rock.height(); ++y)
            bottom = qAlpha(sprite.rock.pixel(sprite.rock.width() / 2, y)) > 0 ? y : bottom;
        const QPointF below = QPointF(0, bottom + 1) + sprite.rockAt - sprite.shadowAt;
        QVERIFY(qAlpha(sprite.shadow.pixel(QPoint(sprite.shadow.width() / 2, int(below.y())))) > 0);
    }

    void poseLooksLikeTheTurnedStone_data()
    {
        QTest::addColumn<double>("degrees");
        QTest::addColumn<bool>("mirrored");
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("upright") << 0.0 << false << qreal(1);
        QTest::newRow("turned") << 11.5 << false << qreal(2);
        QTest::newRow("turned back, mirrored") << -7.0 << true << qreal(2);
    }

    void poseLooksLikeTheTurnedStone()
    {
        QFETCH(double, degrees);
        QFETCH(bool, mirrored);
        QFETCH(qreal, ratio);
        StoneSprites sprites;
        const RockAppearance look = drawnRock();
        const double drop = StoneSprites::shadowOffset * 92;
        const QImage direct = canvas(ratio, [&](QPainter &painter) {
            StoneSprites::paint(painter, sprites.sprite(look, 92, false, ratio), degrees, mirrored, drop);
        });
        const QImage posed = canvas(ratio, [&](QPainter &painter) {
            const StoneSprites::Pose &pose = sprites.pose(look, 92, false, ratio, degrees, mirrored);
            painter.drawImage(pose.at, pose.image);
        });
        // Resampled once more, so edges may differ a little; the shape, shading and shadow may not.
        QVERIFY2(shareDiffering(direct, posed, 24) < 0.002,
                 qPrintable(QString::number(shareDiffering(direct, posed, 24))));
        QVERIFY(largestDifference(direct, canvas(ratio, [](QPainter &) {})) > 100); // something was drawn
    }

    void posesStepByHalfDegrees()
    {
        StoneSprites sprites;
        const StoneSprites::Pose &a = sprites.pose(drawnRock(), 92, false, 1, 3.1, false);
        QCOMPARE(&sprites.pose(drawnRock(), 92, false, 1, 2.9, false), &a);
        QCOMPARE(sprites.poseCount(), 1);
        sprites.pose(drawnRock(), 92, false, 1, 3.3, false);
        QCOMPARE(sprites.poseCount(), 2);
        QVERIFY(StoneSprites::isPoseAngle(-2.5));
        QVERIFY(!StoneSprites::isPoseAngle(2.6));
    }

    void posesStayWithinTheirBudget()
    {
        StoneSprites sprites;
        // Far more turns than the budget holds at this density.
        for (int step = 0; step < 200; ++step)
            sprites.pose(drawnRock(), 92, false, 2, step * StoneSprites::poseStep, false);
        const qint64 spriteBytes = sprites.sprite(drawnRock(), 92, false, 2).rock.sizeInBytes() +
                                   sprites.sprite(drawnRock(), 92, false, 2).shadow.sizeInBytes();
        QVERIFY(sprites.poseCount() < 200);
        QVERIFY(sprites.bytes() - spriteBytes <= StoneSprites::poseBudget);
        QVERIFY(sprites.bytes() - spriteBytes > StoneSprites::poseBudget / 2);
    }
};

QTEST_MAIN(TestStoneSprites)
#include "tst_stonesprites.moc"
