#include "PreviewSwitches.h"

#include <QTest>

class TestPreviewSwitches : public QObject {
    Q_OBJECT

private slots:
    void sampleShapeIsTheNormalisedEllipse()
    {
        const CustomRockShape shape = RenderPreview::sampleShape();
        QCOMPARE(shape.points.size(), 48);
        // The box already holds the face room, so the points are only divided by the canvas side.
        QCOMPARE(shape.points[0].x, (100 + 78 * (1 + 0.12 * std::sin(0.6))) / 200);
        QCOMPARE(shape.points[0].y, 0.5);
        // Points where every sine is far from 0, so each coefficient shows (worked out beforehand).
        const struct {
            int i;
            double x, y;
        } expected[] = {{5, 0.8143581791668976, 0.7041054355718112},
                        {12, 0.5, 0.7808167096495766},
                        {31, 0.25826869855792645, 0.23343584461987724}};
        for (const auto &point : expected) {
            QVERIFY(std::abs(shape.points[point.i].x - point.x) < 1e-12);
            QVERIFY(std::abs(shape.points[point.i].y - point.y) < 1e-12);
        }
    }

    void switches_data()
    {
        QTest::addColumn<QByteArray>("value"); // null: unset
        QTest::addColumn<bool>("on");
        QTest::newRow("unset") << QByteArray() << false;
        QTest::newRow("1") << QByteArray("1") << true;
        QTest::newRow("true") << QByteArray("true") << false;
        QTest::newRow("1 newline") << QByteArray("1\n") << false;
    }
    void switches()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, on);
        // One switch at a time, so a crossed wire shows; each is read afresh on every access.
        if (!value.isNull())
            qputenv("KIVVO_DRAWN", value);
        QCOMPARE(RenderPreview::previewDraft(),
                 on ? std::optional(RenderPreview::sampleShape()) : std::nullopt);
        QVERIFY(!RenderPreview::previewBlankCanvas());
        qunsetenv("KIVVO_DRAWN");
        if (!value.isNull())
            qputenv("KIVVO_BLANK", value);
        QCOMPARE(RenderPreview::previewBlankCanvas(), on);
        QVERIFY(!RenderPreview::previewDraft());
        qunsetenv("KIVVO_BLANK");
    }
};

QTEST_GUILESS_MAIN(TestPreviewSwitches)
#include "tst_previewswitches.moc"
