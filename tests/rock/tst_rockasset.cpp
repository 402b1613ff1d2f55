#include "RockAsset.h"

#include <QPainter>
#include <QtTest>

#include <optional>

namespace {

QImage filled(int width, int height, const QColor &color)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

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

bool sameColour(const QColor &actual, const QColor &expected, int tolerance)
{
    return qAbs(actual.red() - expected.red()) <= tolerance &&
           qAbs(actual.green() - expected.green()) <= tolerance &&
           qAbs(actual.blue() - expected.blue()) <= tolerance &&
           qAbs(actual.alpha() - expected.alpha()) <= tolerance;
}

bool samePixels(QImage a, QImage b)
{
    a.convertTo(QImage::Format_ARGB32_Premultiplied);
    b.convertTo(QImage::Format_ARGB32_Premultiplied);
    return a == b && a.devicePixelRatio() == b.devicePixelRatio();
}

} // namespace

class TestRockAsset : public QObject {
    Q_OBJECT

    // The artwork the tests pretend is on disk, by name.
    QHash<QString, QImage> artwork;

private slots:
    void init();
    void cleanupTestCase();

    void rgbaBitmapSize_data();
    void rgbaBitmapSize();
    void fillColor_data();
    void fillColor();
    void recolored_data();
    void recolored();
    void recoloredGivesNothing_data();
    void recoloredGivesNothing();
    void recoloredEdgePixelsStayValid();
    void visibleRect_data();
    void visibleRect();
    void menuBarIconTarget_data();
    void menuBarIconTarget();
    void makeMenuBarIconDrawsTheVisibleArea_data();
    void makeMenuBarIconDrawsTheVisibleArea();
    void makeMenuBarIconOfNothingVisible();
    void failedLoadsAreTriedAgain();
    void blackMouthIsMadeOnce();
    void mouthImage_data();
    void mouthImage();
    void bodyImage_data();
    void bodyImage();
    void bodyImageIsRecolouredOnce();
    void needsRenderedMenuBarIcon_data();
    void needsRenderedMenuBarIcon();
    void menuBarIconFromArtwork_data();
    void menuBarIconFromArtwork();
    void menuBarIconRendersTheMouth();
    void outlined_data();
    void outlined();
    void lineArt_data();
    void lineArt();
    void keptImagesLoadOnce();
    void shippedArtworkSharesOneFrame();
    void shippedBodyTakesEachColoursFill();
};

void TestRockAsset::init()
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

void TestRockAsset::cleanupTestCase()
{
    RockAsset::setArtworkSource({});
    RockAsset::resetForTesting();
}

void TestRockAsset::rgbaBitmapSize_data()
{
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<qreal>("ratio");
    QTest::addColumn<QSize>("expected"); // empty: nothing

    QTest::newRow("one pixel per point") << QSize(10, 5) << 1.0 << QSize(10, 5);
    QTest::newRow("half points round up") << QSize(21, 11) << 2.0 << QSize(11, 6);
    QTest::newRow("below one point") << QSize(1, 8) << 4.0 << QSize();
    QTest::newRow("empty") << QSize(0, 0) << 1.0 << QSize();
}

void TestRockAsset::rgbaBitmapSize()
{
    QFETCH(QSize, pixels);
    QFETCH(qreal, ratio);
    QFETCH(QSize, expected);
    QImage image = pixels.isEmpty() ? QImage() : filled(pixels.width(), pixels.height(), Qt::red);
    image.setDevicePixelRatio(ratio);
    const std::optional<QImage> bitmap = RockAsset::rgbaBitmap(image);
    QCOMPARE(bitmap.has_value(), !expected.isEmpty());
    if (bitmap) {
        QCOMPARE(bitmap->size(), expected);
        QCOMPARE(bitmap->format(), QImage::Format_RGBA8888_Premultiplied);
        QCOMPARE(bitmap->devicePixelRatio(), 1.0);
    }
}

void TestRockAsset::fillColor_data()
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

    QTest::newRow("one opaque colour") << a << QList<QPoint>{} << b << a;
    QTest::newRow("all transparent") << QColor(Qt::transparent) << QList<QPoint>{} << b << QColor();
    QTest::newRow("alpha 254 is skipped") << QColor(200, 100, 50, 254) << QList<QPoint>{} << b << QColor();
    QTest::newRow("unsampled pixels do not count") << QColor(Qt::transparent) << unsampled << b << QColor();
    QTest::newRow("one sampled pixel outweighs 72 unsampled") << a << unsampled << b << a;
    QTest::newRow("the most frequent sampled colour wins") << a << fiveSampled << b << b;
    QTest::newRow("nearly opaque majority is skipped") << a << fiveSampled << QColor(10, 20, 30, 254) << a;
}

void TestRockAsset::fillColor()
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

void TestRockAsset::recolored_data()
{
    QTest::addColumn<QColor>("pixel");
    QTest::addColumn<QColor>("target");
    QTest::addColumn<QColor>("expected");

    // The fill colour of the test image is (200, 100, 50); only its red of 200 measures the shade.
    const QColor fill(200, 100, 50);
    QTest::newRow("fill becomes grey target exactly") << fill << QColor(77, 77, 77) << QColor(77, 77, 77);
    QTest::newRow("fill becomes red target exactly")
        << fill << QColor(255, 160, 168) << QColor(255, 160, 168);
    QTest::newRow("half as red is half as bright")
        << QColor(100, 0, 255) << QColor(250, 236, 150) << QColor(125, 118, 75);
    QTest::newRow("exact halves round up")
        << QColor(100, 0, 0) << QColor(255, 160, 169) << QColor(128, 80, 85);
    QTest::newRow("a tiny half rounds away from zero")
        << QColor(1, 0, 0) << QColor(100, 100, 100) << QColor(1, 1, 1);
    QTest::newRow("lighter saturates")
        << QColor(250, 10, 10) << QColor(255, 160, 168) << QColor(255, 200, 210);
    QTest::newRow("no red is black") << QColor(0, 200, 200) << QColor(255, 160, 168) << QColor(0, 0, 0);
    QTest::newRow("alpha is kept") << QColor(200, 100, 50, 0) << QColor(255, 160, 168) << QColor(0, 0, 0, 0);
}

void TestRockAsset::recolored()
{
    QFETCH(QColor, pixel);
    QFETCH(QColor, target);
    QFETCH(QColor, expected);
    QImage image = filled(8, 8, QColor(200, 100, 50));
    image.setPixelColor(1, 1, pixel); // not a sampled pixel, so the fill colour stays put
    const std::optional<QImage> result = RockAsset::recolored(image, target);
    QVERIFY(result.has_value());
    QCOMPARE(result->size(), image.size());
    QCOMPARE(at(*result, 0, 0), target.rgba());
    QCOMPARE(at(*result, 1, 1), expected.rgba());
}

void TestRockAsset::recoloredGivesNothing_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QColor>("target");

    QTest::newRow("fill without red") << filled(8, 8, QColor(0, 100, 50)) << QColor(255, 160, 168);
    QTest::newRow("no opaque pixel") << filled(8, 8, QColor(200, 100, 50, 200)) << QColor(255, 160, 168);
    QTest::newRow("empty image") << QImage() << QColor(255, 160, 168);
    QTest::newRow("invalid colour") << filled(8, 8, QColor(200, 100, 50)) << QColor();
}

void TestRockAsset::recoloredGivesNothing()
{
    QFETCH(QImage, image);
    QFETCH(QColor, target);
    QVERIFY(!RockAsset::recolored(image, target).has_value());
}

void TestRockAsset::recoloredEdgePixelsStayValid()
{
    // A half-covered edge pixel lighter than the fill: its colour saturates at white, its coverage stays.
    QImage image = filled(8, 8, QColor(200, 100, 50));
    image.setPixelColor(1, 1, QColor(250, 10, 10, 128));
    image.setPixelColor(2, 1, QColor(100, 50, 25, 128));
    const std::optional<QImage> result = RockAsset::recolored(image, QColor(255, 160, 168));
    QVERIFY(result.has_value());
    const QImage raw = result->convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    const uchar *p = raw.constScanLine(1) + 4;
    QCOMPARE(int(p[3]), 128);
    for (int c = 0; c < 3; ++c)
        QVERIFY2(p[c] <= p[3], "a premultiplied channel above its alpha");
    QVERIFY(sameColour(raw.pixelColor(1, 1), QColor(255, 200, 210, 128), 2));
    QVERIFY(sameColour(raw.pixelColor(2, 1), QColor(128, 80, 84, 128), 2));
}

void TestRockAsset::visibleRect_data()
{
    QTest::addColumn<QList<QPoint>>("spots");
    QTest::addColumn<QList<int>>("alphas");
    QTest::addColumn<QRect>("expected");        // origin bottom left; invalid: nothing
    QTest::addColumn<QRect>("expectedTopLeft"); // the same box for QPainter

    // The image is 20 x 10 points.
    QTest::newRow("alpha 10 is invisible") << QList<QPoint>{{3, 2}} << QList<int>{10} << QRect() << QRect();
    QTest::newRow("alpha 11 is visible")
        << QList<QPoint>{{3, 2}} << QList<int>{11} << QRect(3, 7, 1, 1) << QRect(3, 2, 1, 1);
    QTest::newRow("box of two pixels")
        << QList<QPoint>{{2, 1}, {5, 6}} << QList<int>{255, 11} << QRect(2, 3, 4, 6) << QRect(2, 1, 4, 6);
    QTest::newRow("top row") << QList<QPoint>{{0, 0}, {19, 0}} << QList<int>{255, 255} << QRect(0, 9, 20, 1)
                             << QRect(0, 0, 20, 1);
    QTest::newRow("fully transparent") << QList<QPoint>{} << QList<int>{} << QRect() << QRect();
}

void TestRockAsset::visibleRect()
{
    QFETCH(QList<QPoint>, spots);
    QFETCH(QList<int>, alphas);
    QFETCH(QRect, expected);
    QFETCH(QRect, expectedTopLeft);
    QImage image = transparent(20, 10);
    for (qsizetype i = 0; i < spots.size(); ++i)
        image.setPixelColor(spots[i], QColor(0, 0, 0, alphas[i]));
    const std::optional<QRect> box = RockAsset::visibleRect(image);
    QCOMPARE(box.has_value(), expected.isValid());
    if (box) {
        QCOMPARE(*box, expected);
        QCOMPARE(RockAsset::topLeftRect(*box, image.height()), expectedTopLeft);
    }
}

void TestRockAsset::menuBarIconTarget_data()
{
    QTest::addColumn<QSizeF>("source");
    QTest::addColumn<QRectF>("expected");

    QTest::newRow("wide 44 x 22") << QSizeF(44, 22) << QRectF(0, 5.5, 22, 11);
    QTest::newRow("tall 22 x 44") << QSizeF(22, 44) << QRectF(5.5, 0, 11, 22);
    QTest::newRow("small square grows") << QSizeF(10, 10) << QRectF(0, 0, 22, 22);
    QTest::newRow("very wide") << QSizeF(88, 11) << QRectF(0, 9.625, 22, 2.75);
    QTest::newRow("empty") << QSizeF(0, 0) << QRectF();
}

void TestRockAsset::menuBarIconTarget()
{
    QFETCH(QSizeF, source);
    QFETCH(QRectF, expected);
    QCOMPARE(RockAsset::menuBarIconTarget(source), expected);
}

void TestRockAsset::makeMenuBarIconDrawsTheVisibleArea_data()
{
    QTest::addColumn<QImage>("image");

    // A 44 x 22 point red block near the top of a larger transparent image: it lands at 22 x 11 points,
    // 5.5 points down, i.e. icon pixel rows 11 to 32. Taking the box bottom-up would miss most of it.
    QImage plain = transparent(60, 40);
    QPainter(&plain).fillRect(QRect(8, 2, 44, 22), Qt::red);
    QTest::newRow("one pixel per point") << plain;

    QImage retina = transparent(120, 80);
    retina.setDevicePixelRatio(2);
    QPainter(&retina).fillRect(QRectF(8, 2, 44, 22), Qt::red);
    QTest::newRow("two pixels per point") << retina;
}

void TestRockAsset::makeMenuBarIconDrawsTheVisibleArea()
{
    QFETCH(QImage, image);
    const QImage icon = RockAsset::makeMenuBarIcon(image);
    QCOMPARE(icon.size(), QSize(44, 44));
    QCOMPARE(icon.devicePixelRatio(), 2.0);
    QCOMPARE(icon.deviceIndependentSize(), QSizeF(22, 22));
    const QRgb red = QColor(Qt::red).rgba();
    for (int y : {12, 22, 31})
        for (int x : {1, 22, 42})
            QCOMPARE(at(icon, x, y), red);
    for (int y : {0, 9, 34, 43})
        QCOMPARE(qAlpha(at(icon, 22, y)), 0);
}

void TestRockAsset::makeMenuBarIconOfNothingVisible()
{
    const QImage icon = RockAsset::makeMenuBarIcon(transparent(30, 30));
    QCOMPARE(icon.size(), QSize(44, 44));
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x)
            QCOMPARE(qAlpha(at(icon, x, y)), 0);
    QCOMPARE(RockAsset::makeMenuBarIcon(QImage()).size(), QSize(44, 44));
}

void TestRockAsset::failedLoadsAreTriedAgain()
{
    QVERIFY(!RockAsset::cached("red").has_value());
    artwork.insert("red", filled(4, 4, Qt::red));
    QVERIFY(RockAsset::cached("red").has_value());
    QVERIFY(RockAsset::cached("red").has_value());
    QCOMPARE(RockAsset::loadCount("red"), 2);
}

void TestRockAsset::blackMouthIsMadeOnce()
{
    artwork.insert("smile", disc(100, QRectF(30, 30, 40, 40), QColor(10, 200, 30)));
    const std::optional<QImage> first = RockAsset::mouthImage(RockExpression::smile, RockColor::black);
    const std::optional<QImage> second = RockAsset::mouthImage(RockExpression::smile, RockColor::black);
    QVERIFY(first && second);
    QCOMPARE(RockAsset::loadCount("smile"), 1);
    QCOMPARE(second->cacheKey(), first->cacheKey());
    QCOMPARE(RockAsset::cache().value("smile-white").cacheKey(), first->cacheKey());
    QCOMPARE(at(*first, 50, 50), QColor(Qt::white).rgba());
}

void TestRockAsset::mouthImage_data()
{
    QTest::addColumn<int>("expression");
    QTest::addColumn<int>("color");
    QTest::addColumn<QColor>("centre"); // invalid: no mouth

    const QColor green(10, 200, 30);
    QTest::newRow("no expression") << int(RockExpression::none) << int(RockColor::black) << QColor();
    QTest::newRow("smile as drawn") << int(RockExpression::smile) << int(RockColor::red) << green;
    QTest::newRow("smile on original") << int(RockExpression::smile) << int(RockColor::original) << green;
    QTest::newRow("smile on black") << int(RockExpression::smile) << int(RockColor::black)
                                    << QColor(Qt::white);
    QTest::newRow("missing scary") << int(RockExpression::scary) << int(RockColor::red) << QColor();
    QTest::newRow("missing scary on black")
        << int(RockExpression::scary) << int(RockColor::black) << QColor();
}

void TestRockAsset::mouthImage()
{
    QFETCH(int, expression);
    QFETCH(int, color);
    QFETCH(QColor, centre);
    artwork.insert("smile", disc(100, QRectF(30, 30, 40, 40), QColor(10, 200, 30)));
    const std::optional<QImage> mouth = RockAsset::mouthImage(RockExpression(expression), RockColor(color));
    QCOMPARE(mouth.has_value(), centre.isValid());
    if (mouth)
        QCOMPARE(at(*mouth, 50, 50), centre.rgba());
    QCOMPARE(RockAsset::cache().contains("scary-white"), false);
}

void TestRockAsset::bodyImage_data()
{
    QTest::addColumn<bool>("hasBody");
    QTest::addColumn<QImage>("colourArt"); // the "red" artwork; null: missing
    QTest::addColumn<int>("color");
    QTest::addColumn<QColor>("fill");    // at (0, 0); invalid: null image
    QTest::addColumn<QColor>("outline"); // at (1, 1)

    const QImage redArt = filled(16, 16, QColor(255, 160, 168));
    const QColor grey(200, 200, 200), darkGrey(100, 100, 100);
    QTest::newRow("no body at all") << false << redArt << int(RockColor::red) << QColor() << QColor();
    QTest::newRow("original keeps the body")
        << true << redArt << int(RockColor::original) << grey << darkGrey;
    QTest::newRow("missing colour art keeps the body")
        << true << QImage() << int(RockColor::red) << grey << darkGrey;
    QTest::newRow("colour art without opaque pixels keeps the body")
        << true << filled(16, 16, QColor(255, 0, 0, 100)) << int(RockColor::red) << grey << darkGrey;
    QTest::newRow("recoloured to the art's fill")
        << true << redArt << int(RockColor::red) << QColor(255, 160, 168) << QColor(128, 80, 84);
}

void TestRockAsset::bodyImage()
{
    QFETCH(bool, hasBody);
    QFETCH(QImage, colourArt);
    QFETCH(int, color);
    QFETCH(QColor, fill);
    QFETCH(QColor, outline);
    QImage body = filled(16, 16, QColor(200, 200, 200));
    body.setPixelColor(1, 1, QColor(100, 100, 100));
    if (hasBody)
        artwork.insert("vidovu-body", body);
    if (!colourArt.isNull())
        artwork.insert("red", colourArt);
    const QImage result = RockAsset::bodyImage(RockColor(color));
    QCOMPARE(result.isNull(), !fill.isValid());
    if (!result.isNull()) {
        QCOMPARE(at(result, 0, 0), fill.rgba());
        QCOMPARE(at(result, 1, 1), outline.rgba());
    }
}

void TestRockAsset::bodyImageIsRecolouredOnce()
{
    artwork.insert("vidovu-body", filled(16, 16, QColor(200, 200, 200)));
    artwork.insert("red", filled(16, 16, QColor(255, 160, 168)));
    const QImage first = RockAsset::bodyImage(RockColor::red);
    artwork.insert("red", filled(16, 16, QColor(10, 160, 168))); // a different fill is never looked at
    const QImage second = RockAsset::bodyImage(RockColor::red);
    QCOMPARE(second.cacheKey(), first.cacheKey());
    QCOMPARE(RockAsset::cache().value("vidovu-body-red").cacheKey(), first.cacheKey());
    QCOMPARE(RockAsset::loadCount("vidovu-body"), 1);
    QCOMPARE(RockAsset::loadCount("red"), 1);
}

void TestRockAsset::needsRenderedMenuBarIcon_data()
{
    QTest::addColumn<int>("color");
    QTest::addColumn<int>("expression");
    QTest::addColumn<bool>("custom");
    QTest::addColumn<bool>("expected");

    QTest::newRow("original, no mouth")
        << int(RockColor::original) << int(RockExpression::none) << false << false;
    QTest::newRow("red, no mouth") << int(RockColor::red) << int(RockExpression::none) << false << false;
    QTest::newRow("smile") << int(RockColor::original) << int(RockExpression::smile) << false << true;
    QTest::newRow("black scary") << int(RockColor::black) << int(RockExpression::scary) << false << true;
    QTest::newRow("drawn outline") << int(RockColor::red) << int(RockExpression::none) << true << true;
}

void TestRockAsset::needsRenderedMenuBarIcon()
{
    QFETCH(int, color);
    QFETCH(int, expression);
    QFETCH(bool, custom);
    QFETCH(bool, expected);
    RockAppearance appearance;
    appearance.color = RockColor(color);
    appearance.expression = RockExpression(expression);
    if (custom)
        appearance.customShape = CustomRockShape{{{0.1, 0.1}, {0.9, 0.1}, {0.5, 0.9}}};
    QCOMPARE(RockAsset::needsRenderedMenuBarIcon(appearance), expected);
}

void TestRockAsset::menuBarIconFromArtwork_data()
{
    QTest::addColumn<int>("color");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QString>("expectedArt"); // empty: the empty icon

    const QStringList all{"vidovu-all", "red"};
    QTest::newRow("original uses the own-colour rock") << int(RockColor::original) << all << "vidovu-all";
    QTest::newRow("red uses its own art") << int(RockColor::red) << all << "red";
    QTest::newRow("missing colour art falls back")
        << int(RockColor::red) << QStringList{"vidovu-all"} << "vidovu-all";
    QTest::newRow("no art at all") << int(RockColor::original) << QStringList{} << QString();
}

void TestRockAsset::menuBarIconFromArtwork()
{
    QFETCH(int, color);
    QFETCH(QStringList, present);
    QFETCH(QString, expectedArt);
    // Off-centre, non-square shapes, so a rendered rock would come out differently sampled.
    QHash<QString, QImage> art{{"vidovu-all", disc(101, QRectF(13.3, 7.7, 71.1, 50.9), Qt::blue)},
                               {"red", disc(101, QRectF(20.5, 30.2, 47.3, 60.1), Qt::red)}};
    for (QImage &image : art) // as loading leaves it, so both icons start from the same pixels
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    for (const QString &name : present)
        artwork.insert(name, art.value(name));
    RockAppearance appearance;
    appearance.color = RockColor(color);
    const QImage icon = RockAsset::menuBarIcon(appearance);
    QCOMPARE(icon.size(), QSize(44, 44));
    QCOMPARE(icon.devicePixelRatio(), 2.0);
    const QImage expected =
        RockAsset::makeMenuBarIcon(expectedArt.isEmpty() ? QImage() : art.value(expectedArt));
    QVERIFY(samePixels(icon, expected));
    QCOMPARE(RockAsset::loadCount("vidovu-eye"), 0);
}

void TestRockAsset::menuBarIconRendersTheMouth()
{
    artwork.insert("black", disc(100, QRectF(0, 0, 100, 100), QColor(77, 77, 77)));
    artwork.insert("smile", disc(100, QRectF(40, 40, 20, 20), QColor(10, 200, 30)));
    RockAppearance appearance;
    appearance.color = RockColor::black;
    appearance.expression = RockExpression::smile;
    const QImage icon = RockAsset::menuBarIcon(appearance);
    QCOMPARE(icon.size(), QSize(44, 44));
    QVERIFY(sameColour(icon.pixelColor(22, 22), Qt::white, 1));         // the white mouth in the middle
    QVERIFY(sameColour(icon.pixelColor(22, 4), QColor(77, 77, 77), 1)); // the rock around it
    QVERIFY(RockAsset::cache().contains("smile-white"));
}

void TestRockAsset::outlined_data()
{
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<QColor>("expected");

    // A disc of radius 50 around (100, 100) in a 200-point image: the ring is 2.2 points wide.
    QTest::newRow("centre detail is lost") << QPoint(100, 100) << QColor(Qt::white);
    QTest::newRow("inside") << QPoint(130, 100) << QColor(Qt::white);
    QTest::newRow("ring right") << QPoint(151, 100) << QColor(Qt::black);
    QTest::newRow("ring top") << QPoint(100, 48) << QColor(Qt::black);
    QTest::newRow("ring left") << QPoint(48, 100) << QColor(Qt::black);
    QTest::newRow("beyond the ring") << QPoint(155, 100) << QColor(Qt::transparent);
    QTest::newRow("far outside") << QPoint(5, 5) << QColor(Qt::transparent);
}

void TestRockAsset::outlined()
{
    QFETCH(QPoint, pixel);
    QFETCH(QColor, expected);
    QImage image = disc(200, QRectF(50, 50, 100, 100), QColor(10, 200, 30));
    image.setPixelColor(100, 100, Qt::blue);
    const QImage result = RockAsset::outlined(image, Qt::white, Qt::black);
    QCOMPARE(result.size(), image.size());
    QVERIFY2(sameColour(result.pixelColor(pixel), expected, 12),
             qPrintable(result.pixelColor(pixel).name(QColor::HexArgb)));
}

void TestRockAsset::lineArt_data()
{
    QTest::addColumn<QColor>("pixel");
    QTest::addColumn<int>("alpha");

    QTest::newRow("black line") << QColor(0, 0, 0) << 255;
    QTest::newRow("white paper") << QColor(255, 255, 255) << 0;
    QTest::newRow("transparent black") << QColor(0, 0, 0, 0) << 0;
    QTest::newRow("mid grey") << QColor(128, 128, 128) << 127;
    QTest::newRow("half-covered black") << QColor(0, 0, 0, 128) << 128;
    QTest::newRow("red weighs by brightness") << QColor(255, 0, 0) << 201;
}

void TestRockAsset::lineArt()
{
    QFETCH(QColor, pixel);
    QFETCH(int, alpha);
    QImage image = filled(4, 2, pixel);
    image.setDevicePixelRatio(2);
    const QImage mask = RockAsset::lineArt(image);
    QCOMPARE(mask.size(), image.size());
    QCOMPARE(mask.devicePixelRatio(), 2.0);
    const QColor result = mask.pixelColor(3, 1);
    QCOMPARE(result.alpha(), alpha);
    if (alpha > 0)
        QCOMPARE(result.rgb(), QColor(Qt::white).rgb());
}

void TestRockAsset::keptImagesLoadOnce()
{
    QVERIFY(RockAsset::vidovuEyeImage().isNull());
    QVERIFY(RockAsset::outlineHintImage().isNull());
    artwork.insert("vidovu-eye", filled(4, 4, Qt::blue));
    artwork.insert("vidovu-v2-line", filled(4, 4, Qt::black));
    // Missing once means missing for good: both are made once per run.
    QVERIFY(RockAsset::vidovuEyeImage().isNull());
    QVERIFY(RockAsset::outlineHintImage().isNull());
    QCOMPARE(RockAsset::loadCount("vidovu-eye"), 1);
    QCOMPARE(RockAsset::loadCount("vidovu-v2-line"), 1);

    RockAsset::resetForTesting();
    QCOMPARE(at(RockAsset::vidovuEyeImage(), 1, 1), QColor(Qt::blue).rgba());
    QCOMPARE(at(RockAsset::outlineHintImage(), 1, 1), QColor(Qt::white).rgba());
    QVERIFY(!RockAsset::cache().contains("vidovu-eye"));
}

void TestRockAsset::shippedArtworkSharesOneFrame()
{
    RockAsset::setArtworkSource({});
    const QStringList names{"vidovu-all",     "black", "red",  "orange",      "yellow",
                            "green",          "blue",  "pink", "vidovu-body", "vidovu-eye",
                            "vidovu-v2-line", "smile", "scary"};
    QSize frame;
    for (const QString &name : names) {
        QVERIFY2(QFile::exists(QStringLiteral(":/rocks/%1.png").arg(name)), qPrintable(name));
        const std::optional<QImage> image = RockAsset::load(name);
        QVERIFY2(image.has_value(), qPrintable(name));
        QCOMPARE(image->width(), image->height());
        if (frame.isEmpty())
            frame = image->size();
        QCOMPARE(image->size(), frame);
    }
}

void TestRockAsset::shippedBodyTakesEachColoursFill()
{
    RockAsset::setArtworkSource({});
    for (RockColor color : allCases<RockColor>()) {
        if (color == RockColor::original)
            continue;
        const std::optional<QImage> art = RockAsset::cached(rawValue(color));
        QVERIFY(art.has_value());
        const std::optional<QColor> expected = RockAsset::fillColor(*RockAsset::rgbaBitmap(*art));
        const std::optional<QColor> actual =
            RockAsset::fillColor(*RockAsset::rgbaBitmap(RockAsset::bodyImage(color)));
        QVERIFY2(expected && actual, qPrintable(rawValue(color)));
        QCOMPARE(actual->rgb(), expected->rgb());
    }
}

QTEST_MAIN(TestRockAsset)
#include "tst_rockasset.moc"
