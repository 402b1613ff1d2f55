#include "CustomRockShape.h"

#include <QtTest>

#include <cmath>

Q_DECLARE_METATYPE(RockDrawing::Kind)

namespace {
bool near(QPointF a, QPointF b)
{
    return std::abs(a.x() - b.x()) < 1e-9 && std::abs(a.y() - b.y()) < 1e-9;
}

bool near(const QRectF &a, const QRectF &b)
{
    return near(a.topLeft(), b.topLeft()) && near(a.bottomRight(), b.bottomRight());
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

CustomRockShape shapeOf(const QList<QPointF> &points)
{
    CustomRockShape shape;
    for (const QPointF &p : points)
        shape.points.append({p.x(), p.y()});
    return shape;
}
} // namespace

class TestCustomRockShape : public QObject {
    Q_OBJECT

private slots:
    void fitted_data()
    {
        QTest::addColumn<QRectF>("box");
        QTest::addColumn<QRectF>("expected"); // null: cannot be fitted
        QTest::newRow("small circle grows around the face room")
            << QRectF(0.4, 0.4, 0.2, 0.2) << QRectF(0.165, 0.188, 0.624, 0.624);
        QTest::newRow("off to one side is moved, not shrunk")
            << QRectF(0.0, 0.2, 0.7, 0.7) << QRectF(0.089, 0.2, 0.7, 0.7);
        QTest::newRow("top right corner is raised to the lower bound")
            << QRectF(0.7, 0.1, 0.2, 0.2) << QRectF(0.165, 0.082, 0.624, 0.624);
        QTest::newRow("low down is lowered to the upper bound")
            << QRectF(0.4, 0.75, 0.2, 0.2) << QRectF(0.165, 0.356, 0.624, 0.624);
        QTest::newRow("wider than the drawing area is centred on the face room")
            << QRectF(0.0, 0.4, 0.98, 0.5) << QRectF(-0.013, 0.361, 0.98, 0.5);
        QTest::newRow("whole canvas is kept, margins and all") << QRectF(0, 0, 1, 1) << QRectF(0, 0, 1, 1);
        QTest::newRow("exactly the face room is kept")
            << CustomRockShape::faceRoom << CustomRockShape::faceRoom;
        QTest::newRow("flat box cannot hold the eyes") << QRectF(0.05, 0.4, 0.9, 0.15) << QRectF();
        QTest::newRow("zero width") << QRectF(0.5, 0.2, 0, 0.6) << QRectF();
    }
    void fitted()
    {
        QFETCH(QRectF, box);
        QFETCH(QRectF, expected);
        const std::optional<QRectF> result = CustomRockShape::fitted(box);
        QCOMPARE(result.has_value(), !expected.isNull());
        if (result)
            QVERIFY2(near(*result, expected), qPrintable(QDebug::toString(*result)));
        if (!(box.width() > 0.1))
            return; // too small to be read as a stroke

        // A stroke with that box, read on a wide canvas (so a mix-up of axes shows), maps into the result.
        const QSizeF canvas(200, 100);
        const QRectF drawn(box.x() * 200, box.y() * 100, box.width() * 200, box.height() * 100);
        const QList<QPointF> stroke = octagon(drawn);
        const RockDrawing drawing = CustomRockShape::read(stroke, canvas);
        QCOMPARE(drawing.kind, result ? RockDrawing::Kind::rock : RockDrawing::Kind::tooTight);
        QCOMPARE(drawing.shape.points.size(), result ? stroke.size() : 0);
        for (int i = 0; i < drawing.shape.points.size(); ++i) {
            const QPointF share((stroke[i].x() - drawn.left()) / drawn.width(),
                                (stroke[i].y() - drawn.top()) / drawn.height());
            const QPointF mapped(expected.left() + share.x() * expected.width(),
                                 expected.top() + share.y() * expected.height());
            const DrawingPoint &p = drawing.shape.points[i];
            QVERIFY2(near(QPointF(p.x, p.y), mapped), qPrintable(QString::number(i)));
        }
    }

    void readKind_data()
    {
        QTest::addColumn<QList<QPointF>>("stroke");
        QTest::addColumn<QSizeF>("canvas");
        QTest::addColumn<RockDrawing::Kind>("kind");
        const QList<QPointF> big = octagon(QRectF(10, 10, 280, 280));
        const QSizeF canvas(300, 300);
        QTest::newRow("7 points however large") << big.mid(0, 7) << canvas << RockDrawing::Kind::tooSmall;
        QTest::newRow("8 points") << big << canvas << RockDrawing::Kind::rock;
        QTest::newRow("zero canvas width") << big << QSizeF(0, 300) << RockDrawing::Kind::tooSmall;
        QTest::newRow("zero canvas height") << big << QSizeF(300, 0) << RockDrawing::Kind::tooSmall;
        QList<QPointF> line;
        for (int i = 0; i < 20; ++i)
            line.append({15.0 + 14 * i, 150});
        QTest::newRow("flat line is too small, not too tight")
            << line << canvas << RockDrawing::Kind::tooSmall;
        // A tenth of the canvas where 0.8 - 0.7 would measure just over it.
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

    void sampling_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("kept");
        QTest::newRow("99") << 99 << 99;
        QTest::newRow("100") << 100 << 100;
        QTest::newRow("199") << 199 << 199;
        QTest::newRow("200") << 200 << 100;
        QTest::newRow("1000") << 1000 << 100;
    }
    void sampling()
    {
        QFETCH(int, count);
        QFETCH(int, kept);
        // Distinct points on an ellipse well around the face room: kept bit for bit, only normalised.
        QList<QPointF> stroke;
        for (int i = 0; i < count; ++i)
            stroke.append(
                {100 + 90 * std::cos(2 * M_PI * i / count), 100 + 90 * std::sin(2 * M_PI * i / count)});
        const RockDrawing result = CustomRockShape::read(stroke, QSizeF(200, 200));
        QCOMPARE(result.kind, RockDrawing::Kind::rock);
        QCOMPARE(result.shape.points.size(), kept);
        const int step = count / kept;
        for (int i = 0; i < kept; ++i)
            QVERIFY(result.shape.points[i] ==
                    (DrawingPoint{stroke[i * step].x() / 200, stroke[i * step].y() / 200}));
    }

    void pathRunsThroughMidpoints_data()
    {
        QTest::addColumn<QList<QPointF>>("points");
        QTest::newRow("two points: no path") << QList<QPointF>{{0.2, 0.2}, {0.8, 0.3}};
        QTest::newRow("triangle") << QList<QPointF>{{0.5, 0.1}, {0.9, 0.8}, {0.1, 0.7}};
        QTest::newRow("pentagon") << QList<QPointF>{{0.5, 0}, {1, 0.4}, {0.8, 1}, {0.2, 1}, {0, 0.4}};
    }
    void pathRunsThroughMidpoints()
    {
        QFETCH(QList<QPointF>, points);
        const QRectF rect(10, 20, 200, 100); // offset and not square, so a mix-up of axes shows
        const QPainterPath path = shapeOf(points).path(rect);
        const qsizetype n = points.size();
        if (n < 3) {
            QCOMPARE(path.elementCount(), 0);
            return;
        }
        QList<QPointF> mapped;
        for (const QPointF &p : points)
            mapped.append({rect.left() + p.x() * rect.width(), rect.top() + p.y() * rect.height()});
        // The path stores each quadratic as its exact cubic: one curve element and two data elements.
        QCOMPARE(path.elementCount(), 1 + 3 * n);
        const QPointF start = path.elementAt(0);
        QVERIFY(near(start, (mapped[n - 1] + mapped[0]) / 2));
        QPointF from = start;
        for (qsizetype i = 1; i <= n; ++i) {
            const qsizetype e = 1 + 3 * (i - 1);
            const QPointF control = (3 * QPointF(path.elementAt(e)) - from) / 2;
            const QPointF end = path.elementAt(e + 2);
            QVERIFY2(near(control, mapped[i - 1]), qPrintable(QString("control %1").arg(i)));
            QVERIFY2(near(end, (mapped[i - 1] + mapped[i % n]) / 2), qPrintable(QString("end %1").arg(i)));
            from = end;
        }
        // A closed subpath makes the next line start a subpath of its own.
        QPainterPath next = shapeOf(points).path(rect); // not a copy: copies forget the closing
        next.lineTo(0, 0);
        QCOMPARE(next.elementCount(), path.elementCount() + 2);
    }
};

QTEST_APPLESS_MAIN(TestCustomRockShape)
#include "tst_customrockshape.moc"
