#include "CustomRockShape.h"

#include <QtTest>

#include <cmath>

Q_DECLARE_METATYPE(RockDrawing::Kind)

namespace {
constexpr double tolerance = 1e-9;

bool near(double a, double b)
{
    return std::abs(a - b) < tolerance;
}

bool near(QPointF a, QPointF b)
{
    return near(a.x(), b.x()) && near(a.y(), b.y());
}

bool near(const QRectF &a, const QRectF &b)
{
    return near(a.x(), b.x()) && near(a.y(), b.y()) && near(a.width(), b.width()) &&
           near(a.height(), b.height());
}

// An octagon whose bounding box is exactly `box` (canvas points): its extremes are the edge midpoints.
QList<QPointF> octagon(const QRectF &box)
{
    const QPointF c = box.center();
    const double rx = box.width() / 2, ry = box.height() / 2, k = 0.7;
    return {{c.x() + rx, c.y()}, {c.x() + k * rx, c.y() + k * ry},
            {c.x(), c.y() + ry}, {c.x() - k * rx, c.y() + k * ry},
            {c.x() - rx, c.y()}, {c.x() - k * rx, c.y() - k * ry},
            {c.x(), c.y() - ry}, {c.x() + k * rx, c.y() - k * ry}};
}

// `count` distinct points on an ellipse around the middle of a 200 × 200 canvas, well around the face room.
QList<QPointF> bigLoop(int count)
{
    QList<QPointF> points;
    for (int i = 0; i < count; ++i) {
        const double a = 2 * M_PI * i / count;
        points.append({100 + 90 * std::cos(a), 100 + 90 * std::sin(a)});
    }
    return points;
}

QRectF boundsOf(const QList<DrawingPoint> &points)
{
    double minX = points.first().x, maxX = minX, minY = points.first().y, maxY = minY;
    for (const DrawingPoint &p : points) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    return QRectF(QPointF(minX, minY), QPointF(maxX, maxY));
}

CustomRockShape shapeOf(const QList<QPointF> &points)
{
    CustomRockShape shape;
    for (const QPointF &p : points) {
        shape.points.append({p.x(), p.y()});
    }
    return shape;
}
} // namespace

class TestCustomRockShape : public QObject {
    Q_OBJECT

private slots:
    void faceRoomIsTheGrownEyeRectangle()
    {
        QVERIFY(near(CustomRockShape::faceRoom, QRectF(0.165, 0.361, 0.624, 0.345)));
    }

    void fitted_data()
    {
        QTest::addColumn<QRectF>("box");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<QRectF>("expected");

        QTest::newRow("small circle grows around the face room")
            << QRectF(0.4, 0.4, 0.2, 0.2) << true << QRectF(0.165, 0.188, 0.624, 0.624);
        QTest::newRow("off to one side is moved, not shrunk")
            << QRectF(0.0, 0.2, 0.7, 0.7) << true << QRectF(0.089, 0.2, 0.7, 0.7);
        QTest::newRow("top right corner is raised to the lower bound")
            << QRectF(0.7, 0.1, 0.2, 0.2) << true << QRectF(0.165, 0.082, 0.624, 0.624);
        QTest::newRow("low down is lowered to the upper bound")
            << QRectF(0.4, 0.75, 0.2, 0.2) << true << QRectF(0.165, 0.356, 0.624, 0.624);
        QTest::newRow("wider than the drawing area is centred on the face room")
            << QRectF(0.0, 0.4, 0.98, 0.5) << true << QRectF(-0.013, 0.361, 0.98, 0.5);
        QTest::newRow("whole canvas is kept, margins and all")
            << QRectF(0, 0, 1, 1) << true << QRectF(0, 0, 1, 1);
        QTest::newRow("exactly the face room is kept")
            << CustomRockShape::faceRoom << true << CustomRockShape::faceRoom;
        QTest::newRow("flat box cannot hold the eyes") << QRectF(0.05, 0.4, 0.9, 0.15) << false << QRectF();
        QTest::newRow("zero width") << QRectF(0.5, 0.2, 0, 0.6) << false << QRectF();
    }

    void fitted()
    {
        QFETCH(QRectF, box);
        QFETCH(bool, fits);
        QFETCH(QRectF, expected);

        const std::optional<QRectF> result = CustomRockShape::fitted(box);
        QCOMPARE(result.has_value(), fits);
        if (fits) {
            QVERIFY2(near(*result, expected), qPrintable(QString("got %1,%2 %3x%4")
                                                             .arg(result->x())
                                                             .arg(result->y())
                                                             .arg(result->width())
                                                             .arg(result->height())));
        }
    }

    void readKind_data()
    {
        QTest::addColumn<QList<QPointF>>("stroke");
        QTest::addColumn<QSizeF>("canvas");
        QTest::addColumn<RockDrawing::Kind>("kind");

        const QList<QPointF> big = octagon(QRectF(10, 10, 280, 280));
        QTest::newRow("7 points however large")
            << big.mid(0, 7) << QSizeF(300, 300) << RockDrawing::Kind::tooSmall;
        QTest::newRow("8 points") << big << QSizeF(300, 300) << RockDrawing::Kind::rock;
        QTest::newRow("zero canvas width") << big << QSizeF(0, 300) << RockDrawing::Kind::tooSmall;
        QTest::newRow("zero canvas height") << big << QSizeF(300, 0) << RockDrawing::Kind::tooSmall;

        QList<QPointF> line;
        for (int i = 0; i < 20; ++i) {
            line.append({15.0 + 14 * i, 150});
        }
        QTest::newRow("flat line is too small, not too tight")
            << line << QSizeF(300, 300) << RockDrawing::Kind::tooSmall;
        QTest::newRow("flat band 0.9 by 0.15 is too tight")
            << octagon(QRectF(15, 120, 270, 45)) << QSizeF(300, 300) << RockDrawing::Kind::tooTight;

        // A tenth of the canvas, placed where the divided edges would round either way.
        QTest::newRow("exactly 0.1 at 0.4..0.5")
            << octagon(QRectF(40, 40, 10, 10)) << QSizeF(100, 100) << RockDrawing::Kind::tooSmall;
        QTest::newRow("exactly 0.1 at 0.7..0.8")
            << octagon(QRectF(70, 70, 10, 10)) << QSizeF(100, 100) << RockDrawing::Kind::tooSmall;
        QTest::newRow("exactly 0.1 wide only")
            << octagon(QRectF(70, 30, 10, 40)) << QSizeF(100, 100) << RockDrawing::Kind::tooSmall;
        QTest::newRow("just over 0.1")
            << octagon(QRectF(70, 70, 10.5, 10.5)) << QSizeF(100, 100) << RockDrawing::Kind::rock;
    }

    void readKind()
    {
        QFETCH(QList<QPointF>, stroke);
        QFETCH(QSizeF, canvas);
        QFETCH(RockDrawing::Kind, kind);

        QCOMPARE(CustomRockShape::read(stroke, canvas).kind, kind);
    }

    void smallCircleIsScaledAroundTheFaceRoom()
    {
        const QList<QPointF> stroke = octagon(QRectF(120, 120, 60, 60)); // unit box 0.4..0.6
        const RockDrawing result = CustomRockShape::read(stroke, QSizeF(300, 300));

        QCOMPARE(result.kind, RockDrawing::Kind::rock);
        QCOMPARE(result.shape.points.size(), stroke.size());
        for (int i = 0; i < stroke.size(); ++i) {
            const QPointF expected(0.165 + (stroke[i].x() / 300 - 0.4) / 0.2 * 0.624,
                                   0.188 + (stroke[i].y() / 300 - 0.4) / 0.2 * 0.624);
            const DrawingPoint &p = result.shape.points[i];
            QVERIFY2(near(QPointF(p.x, p.y), expected), qPrintable(QString::number(i)));
        }
        QVERIFY(near(boundsOf(result.shape.points), QRectF(0.165, 0.188, 0.624, 0.624)));
    }

    void offSideStrokeIsMovedOntoTheFaceRoom()
    {
        // A wide canvas, so swapping width and height while normalising shows.
        const RockDrawing result = CustomRockShape::read(octagon(QRectF(0, 20, 140, 70)), QSizeF(200, 100));

        QCOMPARE(result.kind, RockDrawing::Kind::rock);
        QVERIFY(near(boundsOf(result.shape.points), QRectF(0.089, 0.2, 0.7, 0.7)));
    }

    void strokeAroundTheFaceRoomIsOnlyNormalised()
    {
        const QList<QPointF> stroke = octagon(QRectF(0, 0, 300, 150)); // touches every canvas edge
        const RockDrawing result = CustomRockShape::read(stroke, QSizeF(300, 150));

        QCOMPARE(result.kind, RockDrawing::Kind::rock);
        QCOMPARE(result.shape.points.size(), 8);
        for (int i = 0; i < 8; ++i) { // bit for bit, not merely close
            QVERIFY(result.shape.points[i] == (DrawingPoint{stroke[i].x() / 300, stroke[i].y() / 150}));
        }
    }

    void sampling_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("kept");
        QTest::addColumn<int>("step");

        QTest::newRow("99") << 99 << 99 << 1;
        QTest::newRow("100") << 100 << 100 << 1;
        QTest::newRow("199") << 199 << 199 << 1;
        QTest::newRow("200") << 200 << 100 << 2;
        QTest::newRow("250") << 250 << 125 << 2;
        QTest::newRow("300") << 300 << 100 << 3;
        QTest::newRow("1000") << 1000 << 100 << 10;
    }

    void sampling()
    {
        QFETCH(int, count);
        QFETCH(int, kept);
        QFETCH(int, step);

        const QList<QPointF> stroke = bigLoop(count);
        const RockDrawing result = CustomRockShape::read(stroke, QSizeF(200, 200));

        QCOMPARE(result.kind, RockDrawing::Kind::rock);
        QCOMPARE(result.shape.points.size(), kept);
        for (int i = 0; i < kept; ++i) {
            QVERIFY(result.shape.points[i] ==
                    (DrawingPoint{stroke[i * step].x() / 200, stroke[i * step].y() / 200}));
        }
    }

    void pathNeedsThreePoints_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("none") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("two") << 2;
    }

    void pathNeedsThreePoints()
    {
        QFETCH(int, count);
        const CustomRockShape shape = shapeOf(QList<QPointF>{{0.2, 0.2}, {0.8, 0.3}}.mid(0, count));
        QCOMPARE(shape.path(QRectF(0, 0, 100, 100)).elementCount(), 0);
    }

    void pathRunsThroughMidpoints_data()
    {
        QTest::addColumn<QList<QPointF>>("points");
        QTest::newRow("triangle") << QList<QPointF>{{0.5, 0.1}, {0.9, 0.8}, {0.1, 0.7}};
        QTest::newRow("quad") << QList<QPointF>{{0.2, 0.2}, {0.8, 0.25}, {0.85, 0.9}, {0.1, 0.75}};
        QTest::newRow("pentagon") << QList<QPointF>{{0.5, 0}, {1, 0.4}, {0.8, 1}, {0.2, 1}, {0, 0.4}};
    }

    void pathRunsThroughMidpoints()
    {
        QFETCH(QList<QPointF>, points);
        const QRectF rect(10, 20, 200,
                          100); // offset and not square, so a mix-up of axes shows
        const QPainterPath path = shapeOf(points).path(rect);

        const qsizetype n = points.size();
        QList<QPointF> mapped;
        for (const QPointF &p : points) {
            mapped.append({rect.left() + p.x() * rect.width(), rect.top() + p.y() * rect.height()});
        }
        // The path stores each quadratic as its exact cubic: one curve element and two data elements.
        QCOMPARE(path.elementCount(), 1 + 3 * n);
        QVERIFY(path.elementAt(0).isMoveTo());
        const QPointF start = path.elementAt(0);
        QVERIFY(near(start, (mapped[n - 1] + mapped[0]) / 2));

        QPointF from = start;
        for (qsizetype i = 1; i <= n; ++i) {
            const qsizetype e = 1 + 3 * (i - 1);
            QCOMPARE(path.elementAt(e).type, QPainterPath::CurveToElement);
            QCOMPARE(path.elementAt(e + 1).type, QPainterPath::CurveToDataElement);
            QCOMPARE(path.elementAt(e + 2).type, QPainterPath::CurveToDataElement);
            const QPointF control = (3 * QPointF(path.elementAt(e)) - from) / 2;
            const QPointF end = path.elementAt(e + 2);
            QVERIFY2(near(control, mapped[i - 1]), qPrintable(QString("control %1").arg(i)));
            QVERIFY2(near(end, (mapped[i - 1] + mapped[i % n]) / 2), qPrintable(QString("end %1").arg(i)));
            from = end;
        }
        QCOMPARE(from, start);

        // A closed subpath makes the next line start a subpath of its own.
        QPainterPath next = shapeOf(points).path(rect); // not a copy: copies forget the closing
        next.lineTo(0, 0);
        QCOMPARE(next.elementCount(), path.elementCount() + 2);
    }
};

QTEST_APPLESS_MAIN(TestCustomRockShape)
#include "tst_customrockshape.moc"
