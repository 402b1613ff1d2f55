#include "PanelSight.h"

#include <QTest>

using Place = std::optional<PanelSight::WindowPlace>;
Q_DECLARE_METATYPE(Place)

class TestPanelSight : public QObject {
    Q_OBJECT

private slots:
    void isInSight_data()
    {
        QTest::addColumn<bool>("visible");
        QTest::addColumn<bool>("minimized");
        QTest::addColumn<Place>("place");
        QTest::addColumn<bool>("inSight");
        const auto on = [](bool viewable, std::optional<std::uint32_t> desktop,
                           std::optional<std::uint32_t> current) {
            return Place(PanelSight::WindowPlace{viewable, desktop, current});
        };
        QTest::newRow("hidden") << false << false << Place() << false;
        QTest::newRow("shown, nothing more known") << true << false << Place() << true;
        QTest::newRow("minimised") << true << true << Place() << false;
        QTest::newRow("here") << true << false << on(true, 1, 1) << true;
        QTest::newRow("on another workspace") << true << false << on(true, 0, 2) << false;
        QTest::newRow("on every workspace") << true << false << on(true, 0xFFFFFFFF, 2) << true;
        QTest::newRow("unmapped by the window manager") << true << false << on(false, 1, 1) << false;
        QTest::newRow("no workspaces") << true << false << on(true, std::nullopt, std::nullopt) << true;
        QTest::newRow("own workspace unknown") << true << false << on(true, std::nullopt, 3) << true;
    }
    void isInSight()
    {
        QFETCH(bool, visible);
        QFETCH(bool, minimized);
        QFETCH(Place, place);
        QFETCH(bool, inSight);
        QCOMPARE(PanelSight::isInSight(visible, minimized, place), inSight);
    }
};

QTEST_APPLESS_MAIN(TestPanelSight)
#include "tst_panelsight.moc"
