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

using namespace Qt::Literals::StringLiterals;
using Points = QList<QPointF>;

namespace {

constexpr int side = 224;

/// A canvas of the size the onboarding gives it.
struct Canvas : RockDrawingCanvas {
    Canvas() { resize(side, side); }
};

/// A left-button event; moves carry the held button, as during a drag.
void mouse(QWidget &widget, QEvent::Type type, QPointF at)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

/// Presses at the first point, moves through the rest and, when `letGo`, releases at the last.
void drag(QWidget &widget, const Points &points, bool letGo = true)
{
    mouse(widget, QEvent::MouseButtonPress, points.first());
    for (qsizetype i = 1; i < points.size(); ++i)
        mouse(widget, QEvent::MouseMove, points[i]);
    if (letGo)
        mouse(widget, QEvent::MouseButtonRelease, points.last());
}

/// `count` points on an ellipse around the centre, from its rightmost point, stopping short of it.
/// The default is a loop whose box already holds the face room, so it is kept as drawn.
Points ellipse(qreal rx = 100, qreal ry = 100, int count = 60)
{
    Points points;
    for (int i = 0; i < count; ++i) {
        const qreal angle = 2 * std::numbers::pi * i / count;
        points.append(QPointF(112 + rx * std::cos(angle), 112 + ry * std::sin(angle)));
    }
    return points;
}

QImage rendered(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Theme::bg);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren); // no window background
    return image;
}

bool near(const QColor &a, const QColor &b, int tolerance)
{
    return std::max({qAbs(a.red() - b.red()), qAbs(a.green() - b.green()), qAbs(a.blue() - b.blue())}) <=
           tolerance;
}

/// `top` at opacity `alpha` over `below`.
QColor over(const QColor &top, qreal alpha, const QColor &below)
{
    const auto mix = [&](float a, float b) { return a * alpha + b * (1 - alpha); };
    return QColor::fromRgbF(mix(top.redF(), below.redF()), mix(top.greenF(), below.greenF()),
                            mix(top.blueF(), below.blueF()));
}

#define QVERIFY_COLOUR(image, point, expected, tolerance)                                                    \
    QVERIFY2(near((image).pixelColor(point), expected, tolerance),                                           \
             qPrintable((image).pixelColor(point).name() + " not " + QColor(expected).name()))

} // namespace

class TestRockDrawingCanvas : public QObject {
    Q_OBJECT

    QPoint m_guide;       ///< where the tracing guide shows most strongly, clear of the eyes
    qreal m_coverage = 0; ///< the guide's opacity there
    QPoint m_eye;         ///< the darkest fully opaque pixel of the eyes
    QColor m_eyeColour = Qt::white;

private slots:
    void initTestCase()
    {
        // Stray timer frames must not move anything: only explicit `advance` calls do.
        AnimationClock::instance().setTimeSource([] { return 0.0; });
        const auto fit = [](const QImage &image) {
            return image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        };
        const QImage outline = fit(RockAsset::outlineHintImage()), eyes = fit(RockAsset::vidovuEyeImage());
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                const QColor guide = outline.pixelColor(x, y), eye = eyes.pixelColor(x, y);
                if (guide.alphaF() > m_coverage && eye.alpha() == 0)
                    std::tie(m_guide, m_coverage) = std::pair(QPoint(x, y), guide.alphaF());
                if (eye.alpha() == 255 && eye.lightness() < m_eyeColour.lightness())
                    std::tie(m_eye, m_eyeColour) = std::pair(QPoint(x, y), eye);
            }
        }
        QVERIFY2(m_coverage > 0.8, "the outline artwork is needed");
        QVERIFY2(m_eyeColour.lightness() < 80, "the eye artwork is needed");
    }

    void init() { AnimationClock::instance().setJumpToEnd(true); }

    void strokeOutcome_data()
    {
        QTest::addColumn<Points>("stroke");
        QTest::addColumn<QString>("when"); ///< what, if anything, comes in the way of the stroke
        QTest::addColumn<QString>("hint");
        QTest::addColumn<bool>("accepted");
        const QString kept = u"before"_s; // the caller's hint, untouched
        QTest::newRow("circle around the face") << ellipse() << "" << u"마음에 들어?"_s << true;
        QTest::newRow("click") << Points{{100, 100}} << "" << u"내 눈이 다 들어가게 크게 그려줘."_s << false;
        // 0.89 by 0.15 of the canvas: big enough, but too flat to hold the eyes.
        QTest::newRow("flat loop") << ellipse(100, 17) << "" << u"내 눈이 들어가게 그려줘."_s << false;
        // Neither a stroke over a draft nor one cut short is judged.
        QTest::newRow("draft shown from the press") << ellipse() << "draft before" << kept << false;
        QTest::newRow("draft handed in mid-stroke") << ellipse() << "draft during" << kept << false;
        QTest::newRow("hidden mid-stroke") << ellipse() << "hidden" << kept << false;
    }

    // The hint and draft the caller sets never come back as signals.
    void strokeOutcome()
    {
        QFETCH(Points, stroke);
        QFETCH(QString, when);
        QFETCH(QString, hint);
        QFETCH(bool, accepted);
        Canvas canvas;
        canvas.show();
        QSignalSpy drafts(&canvas, &RockDrawingCanvas::draftChanged);
        QSignalSpy hints(&canvas, &RockDrawingCanvas::hintChanged);
        const CustomRockShape shape{{{0.1, 0.1}, {0.9, 0.1}, {0.9, 0.9}, {0.1, 0.9}}};
        canvas.setHint(u"before"_s);
        if (when == "draft before")
            canvas.setDraft(shape);
        drag(canvas, stroke, false);
        QCOMPARE(canvas.rawPoints().isEmpty(), when == "draft before");
        if (when == "hidden")
            canvas.hide();
        else if (when == "draft during")
            canvas.setDraft(shape);
        mouse(canvas, QEvent::MouseButtonRelease, stroke.last());

        QVERIFY(canvas.rawPoints().isEmpty());
        QCOMPARE(canvas.hint(), hint);
        QCOMPARE(hints.size(), hint == u"before"_s ? 0 : 1);
        QCOMPARE(bool(canvas.draft()), accepted || when.startsWith("draft"));
        if (accepted) {
            // The loop already surrounds the face room, so its points come back only normalised.
            QCOMPARE(canvas.draft()->points.size(), stroke.size());
            QCOMPARE(canvas.draft()->points.first(), (DrawingPoint{212.0 / side, 112.0 / side}));
            QCOMPARE(drafts.value(0).value(0).value<std::optional<CustomRockShape>>(), canvas.draft());
            QCOMPARE(hints.first().first().toString(), hint);
        }
        // Once the caller clears the draft, strokes are recorded again.
        canvas.show();
        canvas.setDraft(std::nullopt);
        mouse(canvas, QEvent::MouseButtonPress, QPointF(50, 50));
        QCOMPARE(canvas.rawPoints().size(), 1);
        QCOMPARE(drafts.size(), accepted ? 1 : 0);
    }

    void returnDrawsARoundedRock_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("hasDraft");
        QTest::addColumn<bool>("draws");
        QTest::newRow("Return") << int(Qt::Key_Return) << false << true;
        QTest::newRow("Enter") << int(Qt::Key_Enter) << false << true;
        QTest::newRow("Return over a draft") << int(Qt::Key_Return) << true << false;
        QTest::newRow("Space") << int(Qt::Key_Space) << false << false;
    }

    // Without a mouse, a key draws an outline that the rules accept, as a stroke would.
    void returnDrawsARoundedRock()
    {
        QFETCH(int, key);
        QFETCH(bool, hasDraft);
        QFETCH(bool, draws);
        Canvas canvas;
        canvas.show();
        const CustomRockShape shape{{{0.1, 0.1}, {0.9, 0.1}, {0.9, 0.9}, {0.1, 0.9}}};
        if (hasDraft)
            canvas.setDraft(shape);
        QSignalSpy drafts(&canvas, &RockDrawingCanvas::draftChanged);
        QTest::keyClick(&canvas, Qt::Key(key));
        QCOMPARE(drafts.size(), draws ? 1 : 0);
        if (!draws) {
            QCOMPARE(canvas.draft(), hasDraft ? std::optional(shape) : std::nullopt);
            return;
        }
        QCOMPARE(canvas.hint(), u"마음에 들어?"_s);
        // Round all the way: its box holds the eyes' room and it stays inside the canvas.
        QPainterPath outline = canvas.draft()->path(QRectF(0, 0, 1, 1));
        QVERIFY(outline.boundingRect().contains(CustomRockShape::faceRoom));
        QVERIFY(QRectF(0, 0, 1, 1).contains(outline.boundingRect()));
        QVERIFY(canvas.focusPolicy() & Qt::TabFocus);
        QVERIFY(!canvas.accessibleDescription().isEmpty());
    }

    void recordedPoints_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<Points>("moves"); ///< after a press at `start`
        QTest::addColumn<Points>("recorded");
        const QSize square(side, side);
        const QPointF start(100, 100);
        // Points outside land on the line 6 inside the edges of the size at the event.
        QTest::newRow("inside the left margin") << square << Points{{3.5, 100}} << Points{start, {6, 100}};
        QTest::newRow("right of the canvas") << square << Points{{300, 100}} << Points{start, {218, 100}};
        QTest::newRow("above the top left") << square << Points{{-5, -5}} << Points{start, {6, 6}};
        QTest::newRow("wide canvas") << QSize(300, 200) << Points{{400, 400}} << Points{start, {294, 194}};
        // A point closer than 2.5 to the last kept one is dropped.
        QTest::newRow("2.49 diagonally") << square << Points{{101.5, 101.99}} << Points{start};
        QTest::newRow("2.5 diagonally") << square << Points{{101.5, 102}} << Points{start, {101.5, 102}};
        QTest::newRow("creeping") << square << Points{{101, 100}, {102, 100}, {103, 100}, {104, 100}}
                                  << Points{start, {103, 100}};
        // Clamped first, so points piling up on the margin line are thinned alike.
        QTest::newRow("along the margin")
            << square << Points{{-20, 100}, {-40, 101}, {-40, 104}} << Points{start, {6, 100}, {6, 104}};
    }

    void recordedPoints()
    {
        QFETCH(QSize, size);
        QFETCH(Points, moves);
        QFETCH(Points, recorded);
        Canvas canvas;
        canvas.resize(size);
        drag(canvas, Points{{100, 100}} + moves, false);
        QCOMPARE(canvas.rawPoints(), recorded);
    }

    void guideAndEyes_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("guide"); ///< whether the tracing guide shows when asked for
        QTest::newRow("nothing drawn") << "blank" << true;
        QTest::newRow("mid-stroke") << "stroking" << false;
        QTest::newRow("after a refused stroke") << "refused" << true;
        QTest::newRow("drawn rock shown") << "accepted" << false;
        QTest::newRow("drawn rock cleared by the caller") << "cleared" << true;
    }

    void guideAndEyes()
    {
        QFETCH(QString, state);
        QFETCH(bool, guide);
        auto render = [&](bool showsOutline) {
            Canvas canvas;
            canvas.setShowsOutline(showsOutline);
            if (state == "stroking" || state == "refused")
                drag(canvas, {{100, 112}, {124, 112}}, state == "refused");
            else if (state != "blank")
                drag(canvas, ellipse());
            if (state == "cleared")
                canvas.setDraft(std::nullopt);
            return rendered(canvas);
        };
        const QImage with = render(true), without = render(false);

        if (guide) {
            QVERIFY_COLOUR(without, m_guide, Theme::bg, 2);
            QVERIFY_COLOUR(with, m_guide, over(Theme::inkSoft, 0.3 * m_coverage, Theme::bg), 6);
        } else {
            QCOMPARE(with.pixelColor(m_guide), without.pixelColor(m_guide));
        }
        // The eyes lie over the guide, the stroke and the drawn rock alike.
        QVERIFY_COLOUR(with, m_eye, m_eyeColour, 8);
        QVERIFY_COLOUR(without, m_eye, m_eyeColour, 8);
    }

    void strokeIsInkOfItsWidth()
    {
        Canvas canvas;
        drag(canvas, {{40, 40}, {180, 40}}, false);
        const QImage image = rendered(canvas);
        // 224 x 0.01640625 is about 3.7 points wide, centred on y 40.
        QVERIFY_COLOUR(image, QPoint(110, 40), Theme::ink, 4);
        QVERIFY_COLOUR(image, QPoint(110, 38), Theme::ink, 40);
        QVERIFY_COLOUR(image, QPoint(110, 43), Theme::bg, 2);
        QVERIFY_COLOUR(image, QPoint(110, 36), Theme::bg, 2);
        // Round caps reach past the last point by half the width.
        QVERIFY_COLOUR(image, QPoint(181, 40), Theme::ink, 60);
    }

    void draftGrowsFromTheCentreAndGoesAtOnce()
    {
        AnimationClock &clock = AnimationClock::instance();
        clock.setJumpToEnd(false);
        Canvas canvas;
        canvas.show();
        // Inside the final loop (radius 100) but outside it while scaled below 0.96 about the centre.
        const QPoint top(112, 14), bottom(112, 210), inner(112, 40);
        drag(canvas, ellipse());

        // About 0.38 of the way in: partly faded in, and shrunk towards the centre.
        clock.advance(0.08);
        QImage image = rendered(canvas);
        QVERIFY_COLOUR(image, top, Theme::bg, 2);
        QVERIFY_COLOUR(image, bottom, Theme::bg, 2);
        QVERIFY(!near(image.pixelColor(inner), Theme::bg, 10) &&
                !near(image.pixelColor(inner), Theme::rockBody, 10));
        clock.advance(3);
        image = rendered(canvas);
        QVERIFY_COLOUR(image, inner, Theme::rockBody, 2);
        QVERIFY(!near(image.pixelColor(top), Theme::bg, 30) &&
                !near(image.pixelColor(bottom), Theme::bg, 30));

        // Cleared by the caller, the rock is gone at once: no ghost under the next stroke.
        canvas.setDraft(std::nullopt);
        QVERIFY_COLOUR(rendered(canvas), inner, Theme::bg, 2);
        QVERIFY(!clock.isTicking());
    }
};

QTEST_MAIN(TestRockDrawingCanvas)
#include "tst_rockdrawingcanvas.moc"
