#include "PreviewSwitches.h"

#include <QTest>

class TestPreviewSwitches : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        qunsetenv("KIVVO_DRAWN");
        qunsetenv("KIVVO_BLANK");
    }

    void sampleShapeIsTheNormalisedEllipse()
    {
        const CustomRockShape shape = RenderPreview::sampleShape();
        QCOMPARE(shape.points.size(), 48);
        // The box already holds the face room, so the points are only divided by the canvas side.
        QCOMPARE(shape.points[0].x, (100 + 78 * (1 + 0.12 * std::sin(0.6))) / 200);
        QCOMPARE(shape.points[0].y, 0.5);
        for (const DrawingPoint &point : shape.points) {
            QVERIFY(point.x > 0 && point.x < 1);
            QVERIFY(point.y > 0 && point.y < 1);
        }
    }

    void switches_data()
    {
        QTest::addColumn<QByteArray>("value"); // empty: unset
        QTest::addColumn<bool>("on");
        QTest::newRow("unset") << QByteArray() << false;
        QTest::newRow("1") << QByteArray("1") << true;
        QTest::newRow("0") << QByteArray("0") << false;
        QTest::newRow("yes") << QByteArray("yes") << false;
        QTest::newRow("true") << QByteArray("true") << false;
        QTest::newRow("space 1") << QByteArray(" 1") << false;
        QTest::newRow("1 newline") << QByteArray("1\n") << false;
    }
    void switches()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, on);
        if (!value.isNull()) {
            qputenv("KIVVO_DRAWN", value);
            qputenv("KIVVO_BLANK", value);
        }
        QCOMPARE(RenderPreview::previewBlankCanvas(), on);
        QCOMPARE(RenderPreview::previewDraft().has_value(), on);
        if (on)
            QCOMPARE(*RenderPreview::previewDraft(), RenderPreview::sampleShape());
        // Read afresh on every access.
        qunsetenv("KIVVO_DRAWN");
        qunsetenv("KIVVO_BLANK");
        QVERIFY(!RenderPreview::previewDraft());
        QVERIFY(!RenderPreview::previewBlankCanvas());
    }
};

QTEST_GUILESS_MAIN(TestPreviewSwitches)
#include "tst_previewswitches.moc"
