// The program's entry: the tray companion, or one of the developer preview modes.

#include "EntryChoice.h"
#include "RenderPreview.h"
#include "Theme.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

namespace {

QStringList argumentsOf(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

/// Preview modes draw off screen, so they must work on a machine without a display.
void useOffscreenWithoutDisplay()
{
    const bool hasDisplay =
        qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    if (!hasDisplay && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

int notAvailable(const char *what)
{
    std::fprintf(stderr, "kivvo: %s is not available yet in this build\n", what);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    const EntryChoice choice = EntryChoice::choose(
        argumentsOf(argc, argv), qEnvironmentVariableIsSet("KIVVO_WINDOW"), QDir::tempPath());
    if (choice.mode == EntryChoice::Mode::render || choice.mode == EntryChoice::Mode::shoot)
        useOffscreenWithoutDisplay();
    QApplication app(argc, argv);
    switch (choice.mode) {
    case EntryChoice::Mode::render:
        Theme::registerFonts();
        RenderPreview::renderAll(choice.folder);
        std::fprintf(stderr, "rendered to %s\n", choice.folder.toUtf8().constData());
        return 0;
    case EntryChoice::Mode::shoot:
        Theme::registerFonts();
        RenderPreview::shootAll(choice.folder);
        return 0;
    case EntryChoice::Mode::window:
        Theme::registerFonts();
        RenderPreview::runDebugWindow();
        return 0;
    case EntryChoice::Mode::normal:
        return notAvailable("the tray companion");
    }
    return 0;
}
