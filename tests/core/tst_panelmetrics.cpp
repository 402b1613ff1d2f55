#include "PanelMetrics.h"

#include <QTest>

class TestPanelMetrics : public QObject {
    Q_OBJECT

private slots:
    void tallContentHeight_data()
    {
        QTest::addColumn<double>("visible"); // negative: no screen
        QTest::addColumn<double>("height");
        QTest::newRow("900") << 900.0 << 600.0;
        QTest::newRow("600 keeps the minimum") << 600.0 << 470.0;
        QTest::newRow("1000 rounds up") << 1000.0 << 667.0;
        QTest::newRow("half rounds away from zero") << 750.75 << 501.0;
        QTest::newRow("just above the minimum") << 706.5 << 471.0;
        QTest::newRow("no screen") << -1.0 << 470.0;
    }
    void tallContentHeight()
    {
        QFETCH(double, visible);
        QFETCH(double, height);
        QCOMPARE(PanelMetrics::tallContentHeight(visible < 0 ? std::nullopt : std::optional(visible)),
                 height);
    }
};

QTEST_GUILESS_MAIN(TestPanelMetrics)
#include "tst_panelmetrics.moc"
