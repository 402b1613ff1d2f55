#include "WorkAreas.h"

#include <QtTest>

// Two monitors side by side as one X11 desktop of 3360 x 1080: a 1440 x 900 laptop on the left, top
// aligned, and a 1920 x 1080 monitor on the right.
namespace {
const QRect laptop(0, 0, 1440, 900);
const QRect monitor(1440, 0, 1920, 1080);
const QSize desktop(3360, 1080);

WorkAreas::Strut strut(std::initializer_list<qint64> values)
{
    WorkAreas::Strut s{};
    std::copy(values.begin(), values.end(), s.begin());
    return s;
}
} // namespace

class TestWorkAreas : public QObject {
    Q_OBJECT

private slots:
    void eachMonitorLosesOnlyWhatLiesOnIt_data()
    {
        QTest::addColumn<QList<WorkAreas::Strut>>("struts");
        QTest::addColumn<QRect>("workArea");
        QTest::addColumn<QList<QRect>>("expected"); // empty: the published work area stands

        QTest::newRow("a top bar on the laptop only")
            << QList{strut({0, 0, 200, 0, 0, 0, 0, 0, 0, 1439, 0, 0})} << QRect(0, 200, 3360, 880)
            << QList{QRect(0, 200, 1440, 700), monitor};
        // The laptop ends 180 rows above the desktop's bottom, so its 30-row bar reserves 210 rows.
        QTest::newRow("a bottom bar on the shorter laptop")
            << QList{strut({0, 0, 0, 210, 0, 0, 0, 0, 0, 0, 0, 1439})} << QRect(0, 0, 3360, 870)
            << QList{QRect(0, 0, 1440, 870), monitor};
        QTest::newRow("a dock at the right monitor's right edge")
            << QList{strut({0, 64, 0, 0, 0, 0, 0, 1079, 0, 0, 0, 0})} << QRect(0, 0, 3296, 1080)
            << QList{laptop, QRect(1440, 0, 1856, 1080)};
        QTest::newRow("an old-style bar along the whole top, and the laptop's own bar")
            << QList{WorkAreas::fullLengthStrut(0, 0, 25, 0, desktop),
                     strut({0, 0, 60, 0, 0, 0, 0, 0, 0, 1439, 0, 0})}
            << QRect(0, 60, 3360, 1020) << QList{QRect(0, 60, 1440, 840), QRect(1440, 25, 1920, 1055)};
        QTest::newRow("no docks, the whole desktop") << QList<WorkAreas::Strut>{} << QRect(0, 0, 3360, 1080)
                                                     << QList{laptop, monitor};
        QTest::newRow("the window manager's own reserved room")
            << QList<WorkAreas::Strut>{} << QRect(0, 32, 3360, 1048) << QList<QRect>{};
        QTest::newRow("a work area that leaves out a dock")
            << QList{strut({0, 0, 200, 0, 0, 0, 0, 0, 0, 1439, 0, 0})} << QRect(0, 0, 3360, 1080)
            << QList<QRect>{};
    }
    void eachMonitorLosesOnlyWhatLiesOnIt()
    {
        QFETCH(QList<WorkAreas::Strut>, struts);
        QFETCH(QRect, workArea);
        QFETCH(QList<QRect>, expected);
        const std::optional<QList<QRect>> areas = WorkAreas::monitorAreas({laptop, monitor}, struts, desktop, workArea);
        QCOMPARE(areas.has_value(), !expected.isEmpty());
        if (areas)
            QCOMPARE(*areas, expected);
    }
};

QTEST_GUILESS_MAIN(TestWorkAreas)
#include "tst_workareas.moc"
