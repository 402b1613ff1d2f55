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
        QTest::addColumn<QString>("folder"); // or, in unknown mode, the argument not understood
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
        row("attached value is no switch", {"--render=out"}, false, Mode::unknown, "--render=out");
        row("not understood, not even with the window variable", {"--shoot=out"}, true, Mode::unknown,
            "--shoot=out");
        row("case matters", {"--Render"}, false, Mode::unknown, "--Render");
        row("a stray word", {"wish"}, false, Mode::unknown, "wish");
        row("an empty word", {""}, false, Mode::unknown, "");
        row("window", {}, true, Mode::window, "");
        row("shoot beats window", {"--shoot", "x"}, true, Mode::shoot, "x");
        row("help", {"--help"}, false, Mode::help, "");
        row("help wins over a mistake and the version", {"--bogus", "-v", "-h"}, false, Mode::help, "");
        row("render wins over help", {"--help", "--render", "out"}, false, Mode::render, "out");
        row("version", {"--version"}, true, Mode::version, "");
        row("Qt's own options pass", {"-platform", "xcb", "--reverse"}, false, Mode::normal, "");
        row("a Qt option's value is not read as an option", {"-style", "--bogus"}, true, Mode::window, "");
        row("after Qt's options, a mistake", {"-display", ":1", "--bogus"}, false, Mode::unknown, "--bogus");
    }
    void choose()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, windowVariable);
        QFETCH(int, mode);
        QFETCH(QString, folder);
        const EntryChoice choice = EntryChoice::choose(arguments, windowVariable, "/tmp-folder");
        QCOMPARE(int(choice.mode), mode);
        QCOMPARE(mode == int(Mode::unknown) ? choice.unknown : choice.folder, folder);
    }

    void x11UnderWayland_data()
    {
        QTest::addColumn<bool>("wayland");
        QTest::addColumn<bool>("x11");
        QTest::addColumn<bool>("chosen");
        QTest::addColumn<bool>("prefers");
        QTest::newRow("Wayland with XWayland") << true << true << false << true;
        QTest::newRow("the user chose a platform") << true << true << true << false;
        QTest::newRow("pure Wayland: nothing else to use") << true << false << false << false;
        QTest::newRow("plain X11 needs no choice") << false << true << false << false;
    }
    void x11UnderWayland()
    {
        QFETCH(bool, wayland);
        QFETCH(bool, x11);
        QFETCH(bool, chosen);
        QFETCH(bool, prefers);
        QCOMPARE(EntryChoice::prefersX11(wayland, x11, chosen), prefers);
    }
};

QTEST_GUILESS_MAIN(TestEntryChoice)
#include "tst_entrychoice.moc"
