#include "DrawingWishCanvas.h"
#include "DrawingWishRenderer.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

#include <cmath>

namespace {
DrawingStroke line(std::initializer_list<DrawingPoint> points)
{
    return DrawingStroke{QList<DrawingPoint>(points)};
}

/// The strokes painted into a transparent W x H image at one pixel a point.
QImage painted(const QList<DrawingStroke> &strokes, QSize size, bool fitted)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintDrawingWish(painter, QRectF(QPointF(0, 0), size), strokes, fitted);
    return image;
}

/// Ink across column `x`, in pixels: the line's width where it crosses the column.
double inkAcross(const QImage &image, int x)
{
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        sum += qAlpha(image.pixel(x, y)) / 255.0;
    return sum;
}

void drag(QWidget *canvas, const QList<QPoint> &points)
{
    QTest::mousePress(canvas, Qt::LeftButton, {}, points.first());
    for (qsizetype i = 1; i < points.size(); ++i)
        QTest::mouseMove(canvas, points[i]);
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, points.last());
}
} // namespace

class TestDrawingWish : public QObject {
    Q_OBJECT

private slots:
    void dragsBecomeStrokes()
    {
        DrawingWishCanvas canvas;
        canvas.resize(200, 120);
        canvas.show();
        drag(&canvas, {{10, 10}, {20, 15}, {30, 18}});
        QCOMPARE(canvas.strokes().size(), 2); // the drawn stroke, then the empty one for the next drag
        QCOMPARE(canvas.strokes()[0].points.size(), 3);
        QVERIFY(canvas.strokes()[1].points.isEmpty());
        drag(&canvas, {{50, 50}, {60, 60}});
        QCOMPARE(canvas.strokes().size(), 3); // the second drag filled the empty stroke
        QCOMPARE(canvas.strokes()[1].points, (QList<DrawingPoint>{{50, 50}, {60, 60}}));
        QVERIFY(canvas.strokes()[2].points.isEmpty());
    }

    void aClickLeavesAnInvisibleStroke()
    {
        DrawingWishCanvas canvas;
        canvas.resize(200, 120);
        canvas.show();
        QTest::mouseClick(&canvas, Qt::LeftButton, {}, QPoint(40, 30));
        QCOMPARE(canvas.strokes().size(), 2);
        QCOMPARE(canvas.strokes()[0].points, (QList<DrawingPoint>{{40, 30}}));
        const QImage image = painted(canvas.strokes(), {200, 120}, false);
        QCOMPARE(inkAcross(image, 40), 0.0);
    }

    void pointsAreNotClampedToThePad()
    {
        DrawingWishCanvas canvas;
        canvas.resize(100, 100);
        canvas.show();
        drag(&canvas, {{50, 50}, {130, -20}});
        QCOMPARE(canvas.strokes()[0].points.last(), (DrawingPoint{130, -20}));
    }

    void settingTheListClearsThePad()
    {
        DrawingWishCanvas canvas;
        QSignalSpy changes(&canvas, &DrawingWishCanvas::strokesChanged);
        drag(&canvas, {{1, 1}, {2, 2}});
        const int during = changes.count();
        QVERIFY(during >= 3);
        canvas.setStrokes({});
        QVERIFY(canvas.strokes().isEmpty());
        QCOMPARE(changes.count(), during + 1);
    }

    void fitTransform_data()
    {
        QTest::addColumn<QList<DrawingStroke>>("strokes");
        QTest::addColumn<QSizeF>("box");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QPointF>("middle"); // where the drawing's middle lands
        // 300 wide (302.8 with its margin) into 100: scaled by 100 / 302.8 and centred.
        QTest::newRow("shrunk to fit") << QList<DrawingStroke>{line({{0, 0}, {300, 20}})} << QSizeF(100, 100)
                                       << 100 / 302.8 << QPointF(50, 50);
        QTest::newRow("a small drawing is only centred")
            << QList<DrawingStroke>{line({{10, 10}, {30, 20}})} << QSizeF(100, 100) << 1.0 << QPointF(50, 50);
        // The extremes come from the middle of the stroke, not its ends: the box holds every point.
        QTest::newRow("extremes inside the strokes")
            << QList<DrawingStroke>{line({{50, 50}, {0, 200}, {400, 0}, {60, 60}}), line({}),
                                    line({{70, 70}})}
            << QSizeF(100, 100) << 100 / 402.8 << QPointF(50, 50);
    }
    void fitTransform()
    {
        QFETCH(QList<DrawingStroke>, strokes);
        QFETCH(QSizeF, box);
        QFETCH(double, scale);
        QFETCH(QPointF, middle);
        const std::optional<QTransform> fit = ::fitTransform(strokes, box);
        QVERIFY(fit);
        QVERIFY(std::abs(fit->m11() - scale) < 1e-12);
        QCOMPARE(fit->m22(), fit->m11());
        double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
        for (const DrawingStroke &stroke : strokes)
            for (const DrawingPoint &p : stroke.points) {
                left = std::min(left, p.x), right = std::max(right, p.x);
                top = std::min(top, p.y), bottom = std::max(bottom, p.y);
            }
        const QPointF landed = fit->map(QPointF((left + right) / 2, (top + bottom) / 2));
        QVERIFY(std::abs(landed.x() - middle.x()) < 1e-9 && std::abs(landed.y() - middle.y()) < 1e-9);
    }

    void nothingToFit()
    {
        QVERIFY(!::fitTransform({}, {100, 100}));
        QVERIFY(!::fitTransform({line({}), line({})}, {100, 100}));
        QVERIFY(!::fitTransform({line({{1, 1}, {5, 5}})}, {0, 100}));
        QVERIFY(!::fitTransform({line({{1, 1}, {5, 5}})}, {100, -1}));
    }

    void linesLookTheSameWidthAtEveryScale_data()
    {
        QTest::addColumn<bool>("fitted");
        QTest::newRow("as drawn") << false;
        QTest::newRow("shrunk to a third") << true;
    }
    void linesLookTheSameWidthAtEveryScale()
    {
        QFETCH(bool, fitted);
        // A level line 300 wide; fitted into 100 x 100 it is drawn at about a third of its size.
        const QList<DrawingStroke> strokes{line({{0, 40.5}, {300, 40.5}})};
        const QImage image = painted(strokes, fitted ? QSize(100, 100) : QSize(300, 100), fitted);
        const double width = inkAcross(image, fitted ? 50 : 150);
        QVERIFY2(std::abs(width - 1.4) < 0.15, qPrintable(QString::number(width)));
    }

    void eachStrokeIsItsOwnPath()
    {
        // Two strokes far apart: nothing may join the end of one to the start of the next.
        const QList<DrawingStroke> strokes{line({{10, 10}, {10, 90}}), line({{90, 10}, {90, 90}})};
        const QImage image = painted(strokes, {100, 100}, false);
        QCOMPARE(inkAcross(image, 50), 0.0);
        QVERIFY(inkAcross(image, 10) > 50);
    }
};

QTEST_MAIN(TestDrawingWish)
#include "tst_drawingwish.moc"
