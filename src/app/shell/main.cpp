// The program's entry: the tray companion, or one of the developer preview modes.

#include "AppDelegate.h"
#include "AppState.h"
#include "CommandLine.h"
#include "EntryChoice.h"
#include "LoginStart.h"
#include "RenderPreview.h"
#include "SingleInstance.h"
#include "StatusItem.h"
#include "Theme.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <langinfo.h>

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

/// The floating rock needs the global pointer and window placement, which only X11 gives.
void useX11UnderWayland()
{
    if (EntryChoice::prefersX11(qEnvironmentVariableIsSet("WAYLAND_DISPLAY"),
                                qEnvironmentVariableIsSet("DISPLAY"),
                                qEnvironmentVariableIsSet("QT_QPA_PLATFORM")))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

/// Qt's text is UTF-8 whatever the locale, but Xlib writes a window's WM_NAME in the C library's
/// character type: under the C locale (no LANG, as in a bare container) the panel's Korean name came out
/// as mojibake. Every glibc has C.UTF-8; the rest of the locale stays the user's. After Qt's own set-up,
/// which reads the locale from the environment.
void useUtf8CharacterType()
{
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
        std::setlocale(LC_CTYPE, "C.UTF-8");
}

/// Says what a picture mode wrote: each file it could not write on its own line, or how many it
/// wrote. The exit status: 0 when every picture was written, 1 otherwise.
int reportWritten(const RenderPreview::Written &written, const char *done, const QString &folder)
{
    for (const QString &path : written.failed)
        std::fprintf(stderr, "kivvo: could not write %s\n", qPrintable(path));
    if (!written.failed.isEmpty())
        return 1;
    std::fprintf(stderr, "%s %lld pictures to %s\n", done, qlonglong(written.files.size()), qPrintable(folder));
    return 0;
}

/// The tray companion, until the user quits it.
int runCompanion(QApplication &app)
{
    // Closing the panel must not end the companion; only its quit button does.
    QApplication::setQuitOnLastWindowClosed(false);
    const QString file = AppState::defaultFileLocation();
    SingleInstance instance(file.isEmpty() ? QString() : QFileInfo(file).absolutePath());
    if (instance.role() == SingleInstance::Role::second) {
        // The first companion owns the file: show its panel and leave without reading or writing.
        if (!instance.askFirstToShow())
            std::fprintf(stderr, "kivvo: already running, but it did not answer\n");
        return 0;
    }
    instance.listen();
    auto state = std::make_unique<AppState>(file);
    if (instance.role() == SingleInstance::Role::unguarded && !file.isEmpty()) {
        // Another companion may be saving to the same file; two would erase each other's wishes.
        state->holdSaves();
        std::fprintf(stderr, "kivvo: could not make sure no other Kivvo uses %s; this one keeps your "
                             "changes in memory only\n",
                     qPrintable(file));
    }
    AppDelegate delegate(std::move(state), AppDelegate::desktopParts());
    QObject::connect(&instance, &SingleInstance::showRequested, &delegate, &AppDelegate::showPanel);
    // Some tray hosts keep a ghost of an icon that was not taken away.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, [&delegate] {
        if (delegate.statusItem())
            delegate.statusItem()->hide();
    });
    delegate.launch();
    return QApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    const EntryChoice choice = EntryChoice::choose(
        argumentsOf(argc, argv), qEnvironmentVariableIsSet("KIVVO_WINDOW"), QDir::tempPath());
    // Answered before Qt starts: these need no display, and a mistyped option starts nothing.
    switch (choice.mode) {
    case EntryChoice::Mode::help:
        std::fputs(CommandLine::helpText().toLocal8Bit().constData(), stdout);
        return 0;
    case EntryChoice::Mode::version:
        std::fputs(CommandLine::versionText().toLocal8Bit().constData(), stdout);
        return 0;
    case EntryChoice::Mode::unknown:
        std::fputs(CommandLine::unknownText(choice.unknown).toLocal8Bit().constData(), stderr);
        return 2;
    default:
        break;
    }
    // Shots are taken on a pinned screen, whatever this machine's screens are.
    QTemporaryDir scratch;
    if (choice.mode == EntryChoice::Mode::shoot && scratch.isValid())
        qputenv("QT_QPA_PLATFORM",
                RenderPreview::pinnedScreenPlatform(scratch.filePath(QStringLiteral("screen.json"))));
    // The previews show sample data: the settings' login switch neither reads nor writes the user's
    // autostart folder there.
    if (choice.mode != EntryChoice::Mode::normal && scratch.isValid())
        LoginStart::redirect(scratch.path());
    if (choice.mode == EntryChoice::Mode::render || choice.mode == EntryChoice::Mode::shoot)
        useOffscreenWithoutDisplay();
    if (choice.mode == EntryChoice::Mode::normal)
        useX11UnderWayland();
    QApplication app(argc, argv);
    useUtf8CharacterType();
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kivvo.Kivvo"));
    switch (choice.mode) {
    case EntryChoice::Mode::render:
        Theme::registerFonts();
        return reportWritten(RenderPreview::renderAll(choice.folder), "rendered", choice.folder);
    case EntryChoice::Mode::shoot:
        Theme::registerFonts();
        return reportWritten(RenderPreview::shootAll(choice.folder), "shot", choice.folder);
    case EntryChoice::Mode::window:
        Theme::registerFonts();
        RenderPreview::runDebugWindow();
        return 0;
    case EntryChoice::Mode::normal:
        return runCompanion(app);
    case EntryChoice::Mode::help:
    case EntryChoice::Mode::version:
    case EntryChoice::Mode::unknown:
        break; // answered above
    }
    return 0;
}
