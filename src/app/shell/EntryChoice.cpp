#include "EntryChoice.h"

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

} // namespace

EntryChoice EntryChoice::choose(const QStringList &arguments, bool hasWindowVariable,
                                const QString &temporaryFolder)
{
    using namespace Qt::Literals::StringLiterals;
    if (auto folder = folderAfter(arguments, "--render"_L1, temporaryFolder))
        return {Mode::render, *folder};
    if (auto folder = folderAfter(arguments, "--shoot"_L1, temporaryFolder))
        return {Mode::shoot, *folder};
    if (hasWindowVariable)
        return {Mode::window, {}};
    return {Mode::normal, {}};
}

bool EntryChoice::prefersX11(bool hasWaylandDisplay, bool hasX11Display, bool hasPlatformChoice)
{
    return hasWaylandDisplay && hasX11Display && !hasPlatformChoice;
}
