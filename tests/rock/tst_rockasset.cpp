#include "FakeArtwork.h"
#include "RockAsset.h"

#include <QPainter>
#include <QtTest>

#include <optional>

namespace {
QImage transparent(int width, int height)
{
    return filled(width, height, Qt::transparent);
}

// A transparent square image with an opaque disc of `color` inside `circle`.
QImage disc(int side, const QRectF &circle, const QColor &color)
{
    QImage image = transparent(side, side);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(circle);
    return image;
}

// The colour of a pixel with its alpha undone.
QRgb at(const QImage &image, int x, int y)
{
    return image.pixelColor(x, y).rgba();
}

const QColor pink(255, 160, 168), smileGreen(10, 200, 30);
} // namespace

Q_DECLARE_METATYPE(RockColor)
Q_DECLARE_METATYPE(RockExpression)

class TestRockAsset : public QObject {
    Q_OBJECT

    FakeArtwork artwork;

private slots:
    void init() { artwork.install(); }
    void cleanupTestCase() { FakeArtwork::uninstall(); }

    void fillColor_data()
    {
        QTest::addColumn<QColor>("background");
        QTest::addColumn<QList<QPoint>>("spots");
        QTest::addColumn<QColor>("spotColour");
        QTest::addColumn<QColor>("expected"); // invalid: nothing

        // A 9 x 9 bitmap has nine sampled pixels: columns and rows 0, 4 and 8.
        QList<QPoint> unsampled;
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 9; ++x)
                if (x % 4 || y % 4)
                    unsampled.append(QPoint(x, y));
        const QList<QPoint> fiveSampled{{0, 0}, {4, 0}, {8, 0}, {0, 4}, {4, 4}};
        const QColor a(200, 100, 50), b(10, 20, 30);
        QTest::newRow("unsampled pixels do not count")
            << QColor(Qt::transparent) << unsampled << b << QColor();
        QTest::newRow("one sampled pixel outweighs 72 unsampled") << a << unsampled << b << a;
        QTest::newRow("the most frequent sampled colour wins") << a << fiveSampled << b << b;
        QTest::newRow("nearly opaque majority is skipped")
            << a << fiveSampled << QColor(10, 20, 30, 254) << a;
        QTest::newRow("alpha 254 alone is nothing")
            << QColor(200, 100, 50, 254) << unsampled << b << QColor();
    }

    void fillColor()
    {
        QFETCH(QColor, background);
        QFETCH(QList<QPoint>, spots);
        QFETCH(QColor, spotColour);
        QFETCH(QColor, expected);
        QImage bitmap(9, 9, QImage::Format_RGBA8888_Premultiplied);
        bitmap.fill(background);
        for (const QPoint &spot : spots)
            bitmap.setPixelColor(spot, spotColour);
        const std::optional<QColor> fill = RockAsset::fillColor(bitmap);
        QCOMPARE(fill.has_value(), expected.isValid());
        if (fill)
            QCOMPARE(fill->rgba(), expected.rgba());
    }

    void recolored_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QColor>("target");
        QTest::addColumn<QColor>("expected"); // at (1, 1); invalid: nothing at all
        // The fill is (200, 100, 50) and becomes the target exactly; only a pixel's red measures its shade.
        const auto with = [](const QColor &pixel) {
            QImage image = filled(8, 8, QColor(200, 100, 50));
            image.setPixelColor(1, 1, pixel); // not a sampled pixel, so the fill colour stays put
            return image;
        };
        QTest::newRow("exact halves round up")
            << with(QColor(100, 0, 0)) << QColor(255, 160, 169) << QColor(128, 80, 85);
        QTest::newRow("a tiny half rounds away from zero")
            << with(QColor(1, 0, 0)) << QColor(100, 100, 100) << QColor(1, 1, 1);
        QTest::newRow("lighter saturates") << with(QColor(250, 10, 10)) << pink << QColor(255, 200, 210);
        QTest::newRow("no red is black") << with(QColor(0, 200, 200)) << pink << QColor(0, 0, 0);
        QTest::newRow("alpha is kept") << with(QColor(200, 100, 50, 0)) << pink << QColor(0, 0, 0, 0);
        // Half-covered edge pixels keep their coverage and stay valid premultiplied colours.
        QTest::newRow("edge, lighter")
            << with(QColor(250, 10, 10, 128)) << pink << QColor(255, 200, 210, 128);
        QTest::newRow("edge, darker") << with(QColor(100, 50, 25, 128)) << pink << QColor(128, 80, 84, 128);
        QTest::newRow("fill without red") << filled(8, 8, QColor(0, 100, 50)) << pink << QColor();
        QTest::newRow("no opaque pixel") << filled(8, 8, QColor(200, 100, 50, 200)) << pink << QColor();
        QTest::newRow("empty image") << QImage() << pink << QColor();
        QImage tiny = filled(1, 8, Qt::red);
        tiny.setDevicePixelRatio(4);
        QTest::newRow("below one point") << tiny << pink << QColor();
        QTest::newRow("invalid colour") << with(Qt::red) << QColor() << QColor();
    }

    void recolored()
    {
        QFETCH(QImage, image);
        QFETCH(QColor, target);
        QFETCH(QColor, expected);
        const std::optional<QImage> result = RockAsset::recolored(image, target);
        QCOMPARE(result.has_value(), expected.isValid());
        if (!result)
            return;
        QCOMPARE(result->size(), image.size());
        QCOMPARE(at(*result, 0, 0), target.rgba());
        const QImage raw = result->convertToFormat(QImage::Format_RGBA8888_Premultiplied);
        const uchar *p = raw.constScanLine(1) + 4;
        QVERIFY2(p[0] <= p[3] && p[1] <= p[3] && p[2] <= p[3], "a premultiplied channel above its alpha");
        // Exact where opaque or clear; unpremultiplying half-covered pixels costs a little.
        const QColor actual = result->pixelColor(1, 1);
        QVERIFY2(sameColour(actual, expected, expected.alpha() % 255 ? 2 : 0),
                 qPrintable(actual.name(QColor::HexArgb)));
    }

    void visibleRect_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QRect>("expected"); // origin bottom left; invalid: nothing
        QTest::addColumn<QRect>("topLeft");  // the same box for QPainter
        const auto spotted = [](const QList<QPoint> &spots, const QList<int> &alphas) {
            QImage image = transparent(20, 10);
            for (qsizetype i = 0; i < spots.size(); ++i)
                image.setPixelColor(spots[i], QColor(0, 0, 0, alphas[i]));
            return image;
        };
        QTest::newRow("alpha 10 is invisible") << spotted({{3, 2}}, {10}) << QRect() << QRect();
        QTest::newRow("alpha 11 is visible")
            << spotted({{3, 2}}, {11}) << QRect(3, 7, 1, 1) << QRect(3, 2, 1, 1);
        QTest::newRow("box of two pixels")
            << spotted({{2, 1}, {5, 6}}, {255, 11}) << QRect(2, 3, 4, 6) << QRect(2, 1, 4, 6);
        QImage half = filled(21, 11, Qt::red);
        half.setDevicePixelRatio(2);
        QTest::newRow("half points round up") << half << QRect(0, 0, 11, 6) << QRect(0, 0, 11, 6);
    }

    void visibleRect()
    {
        QFETCH(QImage, image);
        QFETCH(QRect, expected);
        QFETCH(QRect, topLeft);
        const std::optional<QRect> box = RockAsset::visibleRect(image);
        QCOMPARE(box.value_or(QRect()), expected);
        if (box)
            QCOMPARE(RockAsset::topLeftRect(*box, qRound(image.deviceIndependentSize().height())), topLeft);
    }

    void menuBarIconTarget_data()
    {
        QTest::addColumn<QSizeF>("source");
        QTest::addColumn<QRectF>("expected");
        QTest::newRow("wide 44 x 22") << QSizeF(44, 22) << QRectF(0, 5.5, 22, 11);
        QTest::newRow("tall 22 x 44") << QSizeF(22, 44) << QRectF(5.5, 0, 11, 22);
        QTest::newRow("small square grows") << QSizeF(10, 10) << QRectF(0, 0, 22, 22);
        QTest::newRow("empty") << QSizeF(0, 0) << QRectF();
    }

    void menuBarIconTarget()
    {
        QFETCH(QSizeF, source);
        QFETCH(QRectF, expected);
        QCOMPARE(RockAsset::menuBarIconTarget(source), expected);
    }

    void makeMenuBarIcon_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QRect>("red"); // icon pixels; the rest stays clear

        // A 44 x 22 point red block near the top of a larger image lands at 22 x 11 points, 5.5 down:
        // icon pixel rows 11 to 32. Taking the visible box bottom-up would miss most of it.
        QImage plain = transparent(60, 40);
        QPainter(&plain).fillRect(QRect(8, 2, 44, 22), Qt::red);
        QTest::newRow("one pixel per point") << plain << QRect(0, 11, 44, 22);
        QImage retina = transparent(120, 80);
        retina.setDevicePixelRatio(2);
        QPainter(&retina).fillRect(QRectF(8, 2, 44, 22), Qt::red);
        QTest::newRow("two pixels per point") << retina << QRect(0, 11, 44, 22);
        QTest::newRow("nothing visible") << transparent(30, 30) << QRect();
        QTest::newRow("no image") << QImage() << QRect();
    }

    void makeMenuBarIcon()
    {
        QFETCH(QImage, image);
        QFETCH(QRect, red);
        const QImage icon = RockAsset::makeMenuBarIcon(image);
        QCOMPARE(icon.size(), QSize(44, 44));
        QCOMPARE(icon.deviceIndependentSize(), QSizeF(22, 22));
        for (int y : {0, 9, 12, 22, 31, 34, 43})
            for (int x : {1, 22, 42})
                QCOMPARE(at(icon, x, y), red.contains(x, y) ? QColor(Qt::red).rgba() : 0u);
    }

    void mouthImage_data()
    {
        QTest::addColumn<RockExpression>("expression");
        QTest::addColumn<RockColor>("color");
        QTest::addColumn<QColor>("centre"); // invalid: no mouth
        QTest::newRow("no expression") << RockExpression::none << RockColor::black << QColor();
        QTest::newRow("smile as drawn") << RockExpression::smile << RockColor::red << smileGreen;
        QTest::newRow("smile on original") << RockExpression::smile << RockColor::original << smileGreen;
        QTest::newRow("white smile on black")
            << RockExpression::smile << RockColor::black << QColor(Qt::white);
        QTest::newRow("missing scary") << RockExpression::scary << RockColor::red << QColor();
        QTest::newRow("missing scary on black") << RockExpression::scary << RockColor::black << QColor();
    }

    void mouthImage()
    {
        QFETCH(RockExpression, expression);
        QFETCH(RockColor, color);
        QFETCH(QColor, centre);
        artwork.images.insert("smile", disc(100, QRectF(30, 30, 40, 40), smileGreen));
        const std::optional<QImage> first = RockAsset::mouthImage(expression, color);
        const std::optional<QImage> second = RockAsset::mouthImage(expression, color);
        QCOMPARE(first.has_value(), centre.isValid());
        QCOMPARE(second.has_value(), centre.isValid()); // a missing mouth is not remembered as one
        if (!first)
            return;
        QCOMPARE(at(*first, 50, 50), centre.rgba());
        // Made once: loaded once and, on black, whitened once and kept as "smile-white".
        QCOMPARE(second->cacheKey(), first->cacheKey());
        QCOMPARE(RockAsset::loadCount("smile"), 1);
        QCOMPARE(RockAsset::cache().value("smile-white").cacheKey(),
                 color == RockColor::black ? first->cacheKey() : 0);
    }

    void bodyImage_data()
    {
        QTest::addColumn<bool>("hasBody");
        QTest::addColumn<QImage>("colourArt"); // the "red" artwork; null: missing
        QTest::addColumn<RockColor>("color");
        QTest::addColumn<QColor>("fill");    // at (0, 0); invalid: null image
        QTest::addColumn<QColor>("outline"); // at (1, 1)

        const QImage redArt = filled(16, 16, pink);
        const QColor grey(200, 200, 200), darkGrey(100, 100, 100);
        QTest::newRow("no body at all") << false << redArt << RockColor::red << QColor() << QColor();
        QTest::newRow("original keeps the body") << true << redArt << RockColor::original << grey << darkGrey;
        QTest::newRow("missing colour art keeps the body")
            << true << QImage() << RockColor::red << grey << darkGrey;
        QTest::newRow("colour art without opaque pixels keeps the body")
            << true << filled(16, 16, QColor(255, 0, 0, 100)) << RockColor::red << grey << darkGrey;
        QTest::newRow("recoloured to the art's fill")
            << true << redArt << RockColor::red << pink << QColor(128, 80, 84);
    }

    void bodyImage()
    {
        QFETCH(bool, hasBody);
        QFETCH(QImage, colourArt);
        QFETCH(RockColor, color);
        QFETCH(QColor, fill);
        QFETCH(QColor, outline);
        QImage body = filled(16, 16, QColor(200, 200, 200));
        body.setPixelColor(1, 1, QColor(100, 100, 100));
        if (hasBody)
            artwork.images.insert("vidovu-body", body);
        if (!colourArt.isNull())
            artwork.images.insert("red", colourArt);
        const QImage result = RockAsset::bodyImage(color);
        QCOMPARE(result.isNull(), !fill.isValid());
        if (result.isNull())
            return;
        QCOMPARE(at(result, 0, 0), fill.rgba());
        QCOMPARE(at(result, 1, 1), outline.rgba());
        // Recoloured once per colour: the second time comes from the cache.
        QCOMPARE(RockAsset::bodyImage(color).cacheKey(), result.cacheKey());
        QCOMPARE(RockAsset::loadCount("vidovu-body"), 1);
    }

    void menuBarIconFromArtwork_data()
    {
        QTest::addColumn<RockColor>("color");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("expectedArt"); // empty: the empty icon
        const QStringList all{"vidovu-all", "red"};
        QTest::newRow("original uses the own-colour rock") << RockColor::original << all << "vidovu-all";
        QTest::newRow("red uses its own art") << RockColor::red << all << "red";
        QTest::newRow("missing colour art falls back")
            << RockColor::red << QStringList{"vidovu-all"} << "vidovu-all";
        QTest::newRow("no art at all") << RockColor::original << QStringList{} << QString();
    }

    void menuBarIconFromArtwork()
    {
        QFETCH(RockColor, color);
        QFETCH(QStringList, present);
        QFETCH(QString, expectedArt);
        // Off-centre, non-square shapes, so a rendered rock would come out differently sampled.
        QHash<QString, QImage> art{{"vidovu-all", disc(101, QRectF(13.3, 7.7, 71.1, 50.9), Qt::blue)},
                                   {"red", disc(101, QRectF(20.5, 30.2, 47.3, 60.1), Qt::red)}};
        for (QImage &image : art) // as loading leaves it, so both icons start from the same pixels
            image.convertTo(QImage::Format_ARGB32_Premultiplied);
        for (const QString &name : present)
            artwork.images.insert(name, art.value(name));
        RockAppearance appearance;
        appearance.color = color;
        const QImage icon = RockAsset::menuBarIcon(appearance);
        const QImage expected = RockAsset::makeMenuBarIcon(art.value(expectedArt));
        QCOMPARE(icon.devicePixelRatio(), 2.0);
        QCOMPARE(icon.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 expected.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        QCOMPARE(RockAsset::loadCount("vidovu-eye"), 0);
    }

    void menuBarIconRendersTheMouth()
    {
        artwork.images.insert("black", disc(100, QRectF(0, 0, 100, 100), QColor(77, 77, 77)));
        artwork.images.insert("smile", disc(100, QRectF(40, 40, 20, 20), smileGreen));
        RockAppearance appearance;
        appearance.color = RockColor::black;
        QVERIFY(!RockAsset::needsRenderedMenuBarIcon(appearance)); // the artwork as it is will do
        appearance.customShape = CustomRockShape{{{0.1, 0.1}, {0.9, 0.1}, {0.5, 0.9}}};
        QVERIFY(RockAsset::needsRenderedMenuBarIcon(appearance));
        appearance.customShape.reset();
        appearance.expression = RockExpression::smile;
        QVERIFY(RockAsset::needsRenderedMenuBarIcon(appearance));
        const QImage icon = RockAsset::menuBarIcon(appearance);
        QCOMPARE(icon.size(), QSize(44, 44));
        QVERIFY(sameColour(icon.pixelColor(22, 22), Qt::white, 1));         // the white mouth in the middle
        QVERIFY(sameColour(icon.pixelColor(22, 4), QColor(77, 77, 77), 1)); // the rock around it
    }

    void outlined_data()
    {
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<QColor>("expected");
        // A disc of radius 50 around (100, 100) in a 200-point image: the ring is 2.2 points wide.
        QTest::newRow("centre detail is lost") << QPoint(100, 100) << QColor(Qt::white);
        QTest::newRow("ring right") << QPoint(151, 100) << QColor(Qt::black);
        QTest::newRow("ring top") << QPoint(100, 48) << QColor(Qt::black);
        QTest::newRow("beyond the ring") << QPoint(155, 100) << QColor(Qt::transparent);
        QTest::newRow("far outside") << QPoint(5, 5) << QColor(Qt::transparent);
    }

    void outlined()
    {
        QFETCH(QPoint, pixel);
        QFETCH(QColor, expected);
        QImage image = disc(200, QRectF(50, 50, 100, 100), smileGreen);
        image.setPixelColor(100, 100, Qt::blue);
        const QImage result = RockAsset::outlined(image, Qt::white, Qt::black);
        QCOMPARE(result.size(), image.size());
        QVERIFY2(sameColour(result.pixelColor(pixel), expected, 12),
                 qPrintable(result.pixelColor(pixel).name(QColor::HexArgb)));
    }

    void lineArt_data()
    {
        QTest::addColumn<QColor>("pixel");
        QTest::addColumn<int>("alpha");
        QTest::newRow("black line") << QColor(0, 0, 0) << 255;
        QTest::newRow("white paper") << QColor(255, 255, 255) << 0;
        QTest::newRow("mid grey") << QColor(128, 128, 128) << 127;
        QTest::newRow("half-covered black") << QColor(0, 0, 0, 128) << 128;
        QTest::newRow("red weighs by brightness") << QColor(255, 0, 0) << 201;
    }

    void lineArt()
    {
        QFETCH(QColor, pixel);
        QFETCH(int, alpha);
        QImage image = filled(4, 2, pixel);
        image.setDevicePixelRatio(2);
        const QImage mask = RockAsset::lineArt(image);
        QCOMPARE(mask.size(), image.size());
        QCOMPARE(mask.devicePixelRatio(), 2.0);
        QCOMPARE(mask.pixelColor(3, 1).alpha(), alpha);
        if (alpha > 0)
            QCOMPARE(mask.pixelColor(3, 1).rgb(), QColor(Qt::white).rgb());
    }

    void loadingRemembers()
    {
        // A failed load is tried again next time: the artwork may turn up.
        QVERIFY(!RockAsset::cached("red").has_value());
        artwork.images.insert("red", filled(4, 4, Qt::red));
        QVERIFY(RockAsset::cached("red").has_value());
        QVERIFY(RockAsset::cached("red").has_value());
        QCOMPARE(RockAsset::loadCount("red"), 2);

        // The kept eyes and tracing guide are made once per run, even when missing.
        QVERIFY(RockAsset::vidovuEyeImage().isNull());
        QVERIFY(RockAsset::outlineHintImage().isNull());
        artwork.images.insert("vidovu-eye", filled(4, 4, Qt::blue));
        artwork.images.insert("vidovu-v2-line", filled(4, 4, Qt::black));
        QVERIFY(RockAsset::vidovuEyeImage().isNull());
        QVERIFY(RockAsset::outlineHintImage().isNull());
        QCOMPARE(RockAsset::loadCount("vidovu-eye"), 1);
        QCOMPARE(RockAsset::loadCount("vidovu-v2-line"), 1);
        RockAsset::resetForTesting();
        QCOMPARE(at(RockAsset::vidovuEyeImage(), 1, 1), QColor(Qt::blue).rgba());
        QCOMPARE(at(RockAsset::outlineHintImage(), 1, 1), QColor(Qt::white).rgba());
    }

    void shippedArtwork()
    {
        FakeArtwork::uninstall();
        // Every layer shares one square frame, so fitting each alike keeps the face on the body.
        const std::optional<QImage> all = RockAsset::load("vidovu-all");
        QVERIFY(all && all->width() == all->height());
        for (const QString name : {"vidovu-all", "black", "red", "orange", "yellow", "green", "blue", "pink",
                                   "vidovu-body", "vidovu-eye", "vidovu-v2-line", "smile", "scary"}) {
            QVERIFY2(QFile::exists(QStringLiteral(":/rocks/%1.png").arg(name)), qPrintable(name));
            QCOMPARE(RockAsset::load(name).value_or(QImage()).size(), all->size());
        }
        // Each colour's body takes the fill of that colour's artwork.
        for (RockColor color : allCases<RockColor>()) {
            if (color == RockColor::original)
                continue;
            const auto fill = [](const QImage &image) {
                return RockAsset::fillColor(*RockAsset::rgbaBitmap(image));
            };
            const std::optional<QColor> expected = fill(*RockAsset::cached(rawValue(color)));
            const std::optional<QColor> actual = fill(RockAsset::bodyImage(color));
            QVERIFY2(expected && actual, qPrintable(rawValue(color)));
            QCOMPARE(actual->rgb(), expected->rgb());
        }
    }
};

QTEST_MAIN(TestRockAsset)
#include "tst_rockasset.moc"
