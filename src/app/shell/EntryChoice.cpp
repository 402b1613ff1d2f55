#include "EntryChoice.h"

#include <optional>

namespace {

/// The folder after the switch, if the switch is on the line at all.
std::optional<QString> folderAfter(const QStringList &arguments, QLatin1StringView flag,
                                   const QString &fallback)
{
    const qsizetype index = arguments.indexOf(flag);
    if (index < 0)
        return std::nullopt;
    return index + 1 < arguments.size() ? arguments[index + 1] : fallback;
}

/// How many words a Qt option takes, itself included (its value follows it); 0 for no Qt option.
/// Qt reads these itself, with one dash or two, and takes them off the line.
int qtOptionWords(QString argument)
{
    if (argument.startsWith(QLatin1String("--")))
        argument.remove(0, 1);
    static const QStringList alone{"-reverse", "-widgetcount", "-nograb", "-dograb", "-sync"};
    static const QStringList withValue{"-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-style",
                                       "-stylesheet", "-session", "-display", "-qwindowgeometry", "-qwindowicon",
                                       "-qwindowtitle", "-geometry", "-title", "-name"};
    return alone.contains(argument) ? 1 : withValue.contains(argument) ? 2 : 0;
}

/// The first argument after the program's path that is none of Qt's options.
std::optional<QString> firstNotQts(const QStringList &arguments)
{
    for (qsizetype i = 1; i < arguments.size();) {
        const int words = qtOptionWords(arguments[i]);
        if (words == 0)
            return arguments[i];
        i += words;
    }
    return std::nullopt;
}

} // namespace

EntryChoice EntryChoice::choose(const QStringList &arguments, bool hasWindowVariable,
                                const QString &temporaryFolder)
{
    using namespace Qt::Literals::StringLiterals;
    if (auto folder = folderAfter(arguments, "--render"_L1, temporaryFolder))
        return {Mode::render, *folder, {}};
    if (auto folder = folderAfter(arguments, "--shoot"_L1, temporaryFolder))
        return {Mode::shoot, *folder, {}};
    const QStringList rest = arguments.mid(1);
    if (rest.contains("--help"_L1) || rest.contains("-h"_L1))
        return {Mode::help, {}, {}};
    if (rest.contains("--version"_L1) || rest.contains("-v"_L1))
        return {Mode::version, {}, {}};
    if (const std::optional<QString> unknown = firstNotQts(arguments))
        return {Mode::unknown, {}, *unknown};
    if (hasWindowVariable)
        return {Mode::window, {}, {}};
    return {Mode::normal, {}, {}};
}

bool EntryChoice::prefersX11(bool hasWaylandDisplay, bool hasX11Display, bool hasPlatformChoice)
{
    return hasWaylandDisplay && hasX11Display && !hasPlatformChoice;
}
