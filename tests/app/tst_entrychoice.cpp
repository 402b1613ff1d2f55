#include "EntryChoice.h"

#include <QTest>

using Mode = EntryChoice::Mode;

class TestEntryChoice : public QObject {
    Q_OBJECT

private slots:
    void choose_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("windowVariable");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("folder");
        const auto row = [](const char *name, QStringList arguments, bool window, Mode mode, QString folder) {
            QTest::newRow(name) << (QStringList{"kivvo"} + arguments) << window << int(mode) << folder;
        };
        row("nothing", {}, false, Mode::normal, "");
        row("render with folder", {"--render", "out"}, false, Mode::render, "out");
        row("render last", {"--render"}, false, Mode::render, "/tmp-folder");
        row("shoot with folder", {"-v", "--shoot", "shots"}, false, Mode::shoot, "shots");
        row("shoot last", {"--shoot"}, false, Mode::shoot, "/tmp-folder");
        row("render after shoot wins", {"--shoot", "a", "--render", "b"}, false, Mode::render, "b");
        row("render before shoot wins", {"--render", "a", "--shoot", "b"}, false, Mode::render, "a");
        row("switch taken as folder", {"--render", "--shoot"}, false, Mode::render, "--shoot");
        row("shoot then render last", {"--shoot", "--render"}, false, Mode::render, "/tmp-folder");
        row("attached value is no switch", {"--render=out"}, false, Mode::normal, "");
        row("attached value falls to window", {"--shoot=out"}, true, Mode::window, "");
        row("case matters", {"--Render"}, false, Mode::normal, "");
        row("window", {}, true, Mode::window, "");
        row("shoot beats window", {"--shoot", "x"}, true, Mode::shoot, "x");
    }
    void choose()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, windowVariable);
        QFETCH(int, mode);
        QFETCH(QString, folder);
        const EntryChoice choice = EntryChoice::choose(arguments, windowVariable, "/tmp-folder");
        QCOMPARE(int(choice.mode), mode);
        QCOMPARE(choice.folder, folder);
    }
};

QTEST_GUILESS_MAIN(TestEntryChoice)
#include "tst_entrychoice.moc"
