#include "AnimationClock.h"
#include "RockAsset.h"
#include "RockDrawingCanvas.h"
#include "Theme.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <numbers>

Q_DECLARE_METATYPE(std::optional<CustomRockShape>)

namespace {

constexpr int side = 224;
const QString likeIt = QStringLiteral("마음에 들어?");
const QString tooSmall = QStringLiteral("내 눈이 다 들어가게 크게 그려줘.");
const QString tooTight = QStringLiteral("내 눈이 들어가게 그려줘.");

void sendMouse(QWidget &widget, QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

void press(QWidget &widget, QPointF at)
{
    sendMouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
}

// A move with the left button held, as during a drag.
void move(QWidget &widget, QPointF at)
{
    sendMouse(widget, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
}

void release(QWidget &widget, QPointF at)
{
    sendMouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

// Presses at the first point, moves through the rest and lets go at the last.
void drag(QWidget &widget, const QList<QPointF> &points)
{
    press(widget, points.first());
    for (qsizetype i = 1; i < points.size(); ++i)
        move(widget, points[i]);
    release(widget, points.last());
}

// `count` points on an ellipse, starting at its rightmost point; the last one stops short of the first.
QList<QPointF> ellipse(QPointF centre, qreal rx, qreal ry, int count)
{
    QList<QPointF> points;
    for (int i = 0; i < count; ++i) {
        const qreal angle = 2 * std::numbers::pi * i / count;
        points.append(centre + QPointF(rx * std::cos(angle), ry * std::sin(angle)));
    }
    return points;
}

// A loop well around the eyes: its box already holds the face room, so it is kept as drawn.
QList<QPointF> circleAroundFace()
{
    return ellipse(QPointF(112, 112), 100, 100, 60);
}

QImage rendered(QWidget &widget, qreal ratio = 1)
{
    QImage image(widget.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Theme::bg);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren); // no window background
    return image;
}

bool near(const QColor &actual, const QColor &expected, int tolerance)
{
    return qAbs(actual.red() - expected.red()) <= tolerance &&
           qAbs(actual.green() - expected.green()) <= tolerance &&
           qAbs(actual.blue() - expected.blue()) <= tolerance;
}

#define QVERIFY_COLOUR(image, point, expected, tolerance)                                                    \
    QVERIFY2(near((image).pixelColor(point), expected, tolerance),                                           \
             qPrintable(QStringLiteral("(%1, %2) is %3, expected %4")                                        \
                            .arg((point).x())                                                                \
                            .arg((point).y())                                                                \
                            .arg((image).pixelColor(point).name())                                           \
                            .arg(QColor(expected).name())))

QColor over(const QColor &top, qreal alpha, const QColor &below)
{
    auto mix = [&](int a, int b) { return int(std::lround(a * alpha + b * (1 - alpha))); };
    return QColor(mix(top.red(), below.red()), mix(top.green(), below.green()),
                  mix(top.blue(), below.blue()));
}

struct GuideSpot {
    QPoint at;
    qreal coverage = 0; ///< the outline's opacity there, 0..1
};

// The spot where the ready-made outline shows most strongly on a canvas of `side`, clear of the eyes.
GuideSpot strongestGuideSpot()
{
    const QImage outline =
        RockAsset::outlineHintImage().scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const QImage eyes =
        RockAsset::vidovuEyeImage().scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    GuideSpot best;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const qreal alpha = outline.pixelColor(x, y).alphaF();
            if (alpha > best.coverage && eyes.pixelColor(x, y).alpha() == 0)
                best = {QPoint(x, y), alpha};
        }
    }
    return best;
}

// The darkest fully opaque pixel of the eyes on a canvas of `side`, and its colour there.
std::pair<QPoint, QColor> darkestEyeSpot()
{
    const QImage eyes =
        RockAsset::vidovuEyeImage().scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    std::pair<QPoint, QColor> best{QPoint(), Qt::white};
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const QColor colour = eyes.pixelColor(x, y);
            if (colour.alpha() == 255 && colour.lightness() < best.second.lightness())
                best = {QPoint(x, y), colour};
        }
    }
    return best;
}

// Brings a fresh canvas into a named state: "blank", "stroking" (a short stroke through the middle, held),
// "refused" (that stroke let go), "accepted" (a loop around the face) or "cleared" (its draft then emptied).
void bringInto(RockDrawingCanvas &canvas, const QString &state)
{
    if (state == "stroking") {
        press(canvas, QPointF(100, 112));
        move(canvas, QPointF(124, 112));
    } else if (state == "refused") {
        drag(canvas, {QPointF(100, 112), QPointF(124, 112)});
    } else if (state == "accepted" || state == "cleared") {
        drag(canvas, circleAroundFace());
    }
    if (state == "cleared")
        canvas.setDraft(std::nullopt);
}

} // namespace

class TestRockDrawingCanvas : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void strokeOutcome_data();
    void strokeOutcome();
    void pointsAreClampedIntoTheMargin_data();
    void pointsAreClampedIntoTheMargin();
    void closePointsAreDropped_data();
    void closePointsAreDropped();
    void draftIgnoresThePointer();
    void callerSettersEmitNothing();
    void unfinishedStrokeIsDropped_data();
    void unfinishedStrokeIsDropped();
    void tracingGuide_data();
    void tracingGuide();
    void strokeIsInkOfItsWidth();
    void eyesShowInEveryState_data();
    void eyesShowInEveryState();
    void draftGrowsFromTheCentreAndFades();
};

void TestRockDrawingCanvas::initTestCase()
{
    qRegisterMetaType<std::optional<CustomRockShape>>();
    QVERIFY2(!RockAsset::outlineHintImage().isNull(), "the outline artwork is needed");
    QVERIFY2(!RockAsset::vidovuEyeImage().isNull(), "the eye artwork is needed");
    // Stray timer frames must not move anything: only explicit `advance` calls do.
    AnimationClock::instance().setTimeSource([] { return 0.0; });
}

void TestRockDrawingCanvas::init()
{
    AnimationClock::instance().setJumpToEnd(true);
}

void TestRockDrawingCanvas::cleanupTestCase()
{
    AnimationClock::instance().setTimeSource({});
    AnimationClock::instance().setJumpToEnd(false);
}

void TestRockDrawingCanvas::strokeOutcome_data()
{
    QTest::addColumn<QList<QPointF>>("stroke");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("circle around the face") << circleAroundFace() << likeIt << true;
    QTest::newRow("click") << QList<QPointF>{{100, 100}} << tooSmall << false;
    // Large, but one point short of what recognition needs.
    QTest::newRow("seven points") << ellipse(QPointF(112, 112), 100, 100, 7) << tooSmall << false;
    // 0.89 by 0.15 of the canvas: big enough, but too flat to hold the eyes.
    QTest::newRow("flat wide loop") << ellipse(QPointF(112, 112), 100, 17, 60) << tooTight << false;
    QTest::newRow("tall narrow loop") << ellipse(QPointF(112, 112), 17, 100, 60) << tooTight << false;
}

void TestRockDrawingCanvas::strokeOutcome()
{
    QFETCH(QList<QPointF>, stroke);
    QFETCH(QString, hint);
    QFETCH(bool, accepted);

    RockDrawingCanvas canvas;
    canvas.resize(side, side);
    QSignalSpy drafts(&canvas, &RockDrawingCanvas::draftChanged);
    QSignalSpy hints(&canvas, &RockDrawingCanvas::hintChanged);
    drag(canvas, stroke);

    QCOMPARE(canvas.hint(), hint);
    QCOMPARE(hints.size(), 1);
    QCOMPARE(hints.first().first().toString(), hint);
    QVERIFY(canvas.rawPoints().isEmpty());
    QCOMPARE(bool(canvas.draft()), accepted);
    QCOMPARE(drafts.size(), accepted ? 1 : 0);
    if (!accepted)
        return;
    // The loop already surrounds the face room, so its points come back only normalised.
    const QList<DrawingPoint> &points = canvas.draft()->points;
    QCOMPARE(points.size(), stroke.size());
    QCOMPARE(points.first(), (DrawingPoint{212.0 / side, 112.0 / side}));
    QCOMPARE(drafts.first().first().value<std::optional<CustomRockShape>>(), canvas.draft());
}

void TestRockDrawingCanvas::pointsAreClampedIntoTheMargin_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPointF>("pointer");
    QTest::addColumn<QPointF>("recorded");

    const QSize square(side, side);
    QTest::newRow("inside") << square << QPointF(50, 60) << QPointF(50, 60);
    QTest::newRow("on the margin line") << square << QPointF(6, 218) << QPointF(6, 218);
    QTest::newRow("left of the canvas") << square << QPointF(-30, 100) << QPointF(6, 100);
    QTest::newRow("inside the left margin") << square << QPointF(3.5, 100) << QPointF(6, 100);
    QTest::newRow("right of the canvas") << square << QPointF(300, 100) << QPointF(218, 100);
    QTest::newRow("above the top left") << square << QPointF(-5, -5) << QPointF(6, 6);
    QTest::newRow("bottom right corner") << square << QPointF(224, 224) << QPointF(218, 218);
    QTest::newRow("wide canvas, far out") << QSize(300, 200) << QPointF(400, 400) << QPointF(294, 194);
    QTest::newRow("wide canvas, below") << QSize(300, 200) << QPointF(250, 198) << QPointF(250, 194);
}

void TestRockDrawingCanvas::pointsAreClampedIntoTheMargin()
{
    QFETCH(QSize, size);
    QFETCH(QPointF, pointer);
    QFETCH(QPointF, recorded);

    // The size is read at the event, not remembered from before.
    RockDrawingCanvas canvas;
    canvas.resize(side, side);
    canvas.resize(size);
    press(canvas, QPointF(100, 100));
    move(canvas, pointer);
    QCOMPARE(canvas.rawPoints().size(), 2);
    QCOMPARE(canvas.rawPoints().last(), recorded);
}

void TestRockDrawingCanvas::closePointsAreDropped_data()
{
    QTest::addColumn<QList<QPointF>>("moves");
    QTest::addColumn<QList<QPointF>>("recorded");

    const QPointF start(100, 100);
    QTest::newRow("just short") << QList<QPointF>{{102.4, 100}} << QList<QPointF>{start};
    QTest::newRow("exactly 2.5 across")
        << QList<QPointF>{{102.5, 100}} << QList<QPointF>{start, {102.5, 100}};
    QTest::newRow("exactly 2.5 diagonally")
        << QList<QPointF>{{101.5, 102}} << QList<QPointF>{start, {101.5, 102}};
    QTest::newRow("short diagonal") << QList<QPointF>{{101.5, 101.9}} << QList<QPointF>{start};
    // Each step is 1 point, so only the distance from the last kept point lets the third one in.
    QTest::newRow("creeping") << QList<QPointF>{{101, 100}, {102, 100}, {103, 100}, {104, 100}}
                              << QList<QPointF>{start, {103, 100}};
    // Out of the canvas the points pile up on the margin line, where they are thinned alike.
    QTest::newRow("along the margin")
        << QList<QPointF>{{-20, 100}, {-40, 101}, {-40, 104}} << QList<QPointF>{start, {6, 100}, {6, 104}};
}

void TestRockDrawingCanvas::closePointsAreDropped()
{
    QFETCH(QList<QPointF>, moves);
    QFETCH(QList<QPointF>, recorded);

    RockDrawingCanvas canvas;
    canvas.resize(side, side);
    press(canvas, QPointF(100, 100));
    for (const QPointF &at : moves)
        move(canvas, at);
    QCOMPARE(canvas.rawPoints(), recorded);
}

void TestRockDrawingCanvas::draftIgnoresThePointer()
{
    RockDrawingCanvas canvas;
    canvas.resize(side, side);
    drag(canvas, circleAroundFace());
    const std::optional<CustomRockShape> first = canvas.draft();
    QVERIFY(first);
    QSignalSpy drafts(&canvas, &RockDrawingCanvas::draftChanged);
    QSignalSpy hints(&canvas, &RockDrawingCanvas::hintChanged);

    // A smaller loop that would be accepted as a different rock.
    const QList<QPointF> stroke = ellipse(QPointF(112, 112), 90, 90, 40);
    press(canvas, stroke.first());
    for (const QPointF &at : stroke)
        move(canvas, at);
    QVERIFY(canvas.rawPoints().isEmpty());
    release(canvas, stroke.last());

    QCOMPARE(canvas.draft(), first);
    QCOMPARE(canvas.hint(), likeIt);
    QCOMPARE(drafts.size(), 0);
    QCOMPARE(hints.size(), 0);
}

void TestRockDrawingCanvas::callerSettersEmitNothing()
{
    RockDrawingCanvas canvas;
    canvas.resize(side, side);
    QSignalSpy drafts(&canvas, &RockDrawingCanvas::draftChanged);
    QSignalSpy hints(&canvas, &RockDrawingCanvas::hintChanged);
    const CustomRockShape shape{{{0.1, 0.1}, {0.9, 0.1}, {0.9, 0.9}, {0.1, 0.9}}};

    canvas.setDraft(shape);
    QCOMPARE(canvas.draft(), std::optional(shape));
    canvas.setHint(QStringLiteral("선을 따라 그려봐."));
    QCOMPARE(canvas.hint(), QStringLiteral("선을 따라 그려봐."));
    canvas.setShowsOutline(true);
    QVERIFY(canvas.showsOutline());
    canvas.setDraft(std::nullopt);
    QVERIFY(!canvas.draft());
    QCOMPARE(drafts.size(), 0);
    QCOMPARE(hints.size(), 0);

    // Once the caller cleared the draft, strokes are recorded again.
    press(canvas, QPointF(50, 50));
    QCOMPARE(canvas.rawPoints().size(), 1);
}

void TestRockDrawingCanvas::unfinishedStrokeIsDropped_data()
{
    QTest::addColumn<bool>("hide");

    QTest::newRow("hidden mid-stroke") << true;
    QTest::newRow("draft handed in mid-stroke") << false;
}

void TestRockDrawingCanvas::unfinishedStrokeIsDropped()
{
    QFETCH(bool, hide);

    RockDrawingCanvas canvas;
    canvas.resize(side, side);
    canvas.show();
    canvas.setHint(QStringLiteral("before"));
    QSignalSpy hints(&canvas, &RockDrawingCanvas::hintChanged);
    const QList<QPointF> stroke = circleAroundFace();
    press(canvas, stroke.first());
    for (const QPointF &at : stroke)
        move(canvas, at);
    QCOMPARE(canvas.rawPoints().size(), stroke.size());

    if (hide)
        canvas.hide();
    else
        canvas.setDraft(CustomRockShape{{{0.1, 0.1}, {0.9, 0.1}, {0.9, 0.9}, {0.1, 0.9}}});
    release(canvas, stroke.last());
    QVERIFY(canvas.rawPoints().isEmpty());
    QCOMPARE(canvas.hint(), QStringLiteral("before"));
    QCOMPARE(hints.size(), 0);
}

void TestRockDrawingCanvas::tracingGuide_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("guide");

    QTest::newRow("nothing drawn") << "blank" << true;
    QTest::newRow("mid-stroke") << "stroking" << false;
    QTest::newRow("after a refused stroke") << "refused" << true;
    QTest::newRow("drawn rock shown") << "accepted" << false;
    QTest::newRow("drawn rock cleared by the caller") << "cleared" << true;
}

void TestRockDrawingCanvas::tracingGuide()
{
    QFETCH(QString, state);
    QFETCH(bool, guide);

    const GuideSpot spot = strongestGuideSpot();
    QVERIFY(spot.coverage > 0.8);
    auto render = [&](bool showsOutline) {
        RockDrawingCanvas canvas;
        canvas.resize(side, side);
        canvas.setShowsOutline(showsOutline);
        bringInto(canvas, state);
        return rendered(canvas);
    };
    const QImage with = render(true);
    const QImage without = render(false);

    if (guide) {
        QVERIFY_COLOUR(without, spot.at, Theme::bg, 2);
        QVERIFY_COLOUR(with, spot.at, over(Theme::inkSoft, 0.3 * spot.coverage, Theme::bg), 6);
    } else {
        QCOMPARE(with.pixelColor(spot.at), without.pixelColor(spot.at));
    }
}

void TestRockDrawingCanvas::strokeIsInkOfItsWidth()
{
    RockDrawingCanvas canvas;
    canvas.resize(side, side);
    press(canvas, QPointF(40, 40));
    move(canvas, QPointF(180, 40));
    const QImage image = rendered(canvas);
    // 224 x 0.01640625 is about 3.7 points wide, centred on y 40.
    QVERIFY_COLOUR(image, QPoint(110, 40), Theme::ink, 4);
    QVERIFY_COLOUR(image, QPoint(110, 38), Theme::ink, 40);
    QVERIFY_COLOUR(image, QPoint(110, 43), Theme::bg, 2);
    QVERIFY_COLOUR(image, QPoint(110, 36), Theme::bg, 2);
    // Round caps reach past the last point by half the width.
    QVERIFY_COLOUR(image, QPoint(181, 40), Theme::ink, 60);
}

void TestRockDrawingCanvas::eyesShowInEveryState_data()
{
    QTest::addColumn<QString>("state");

    QTest::newRow("blank") << "blank";
    QTest::newRow("with the guide") << "guide";
    QTest::newRow("mid-stroke") << "stroking";
    QTest::newRow("drawn rock shown") << "accepted";
}

void TestRockDrawingCanvas::eyesShowInEveryState()
{
    QFETCH(QString, state);

    const auto [spot, colour] = darkestEyeSpot();
    QVERIFY(colour.lightness() < 80);
    RockDrawingCanvas canvas;
    canvas.resize(side, side);
    canvas.setShowsOutline(state == "guide");
    bringInto(canvas, state == "guide" ? "blank" : state);
    QVERIFY_COLOUR(rendered(canvas), spot, colour, 8);
}

void TestRockDrawingCanvas::draftGrowsFromTheCentreAndFades()
{
    AnimationClock &clock = AnimationClock::instance();
    clock.setJumpToEnd(false);
    RockDrawingCanvas canvas;
    canvas.resize(side, side);
    canvas.show();

    // Inside the final loop (radius 100) but outside it while scaled below 0.96, above and below the centre.
    const QPoint top(112, 14), bottom(112, 210), inner(112, 40);
    drag(canvas, circleAroundFace());
    QVERIFY(canvas.draft());
    QVERIFY_COLOUR(rendered(canvas), inner, Theme::bg, 2);

    // About 0.38 of the way in: partly faded in, and smaller, shrunk towards the centre.
    clock.advance(0.08);
    QImage image = rendered(canvas);
    QVERIFY_COLOUR(image, top, Theme::bg, 2);
    QVERIFY_COLOUR(image, bottom, Theme::bg, 2);
    QVERIFY(!near(image.pixelColor(inner), Theme::bg, 10));
    QVERIFY(!near(image.pixelColor(inner), Theme::rockBody, 10));

    clock.advance(3);
    image = rendered(canvas);
    QVERIFY_COLOUR(image, inner, Theme::rockBody, 2);
    QVERIFY(!near(image.pixelColor(top), Theme::bg, 30));
    QVERIFY(!near(image.pixelColor(bottom), Theme::bg, 30));

    // Cleared by the caller, the rock fades out rather than vanishing.
    canvas.setDraft(std::nullopt);
    QVERIFY(!near(rendered(canvas).pixelColor(inner), Theme::bg, 10));
    clock.advance(3);
    QVERIFY_COLOUR(rendered(canvas), inner, Theme::bg, 2);
}

QTEST_MAIN(TestRockDrawingCanvas)
#include "tst_rockdrawingcanvas.moc"
