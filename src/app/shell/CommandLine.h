#pragma once

#include <QString>

/// What the program says about its command line, as `kivvo --help`, `--version` and a mistyped option
/// print it. The manual page says the same.
namespace CommandLine {

/// The usage, the options and the environment variables, in the conventional form.
QString helpText();
/// The program's name and version, one line.
QString versionText();
/// The one line for an argument the program does not understand, with the way to its help.
QString unknownText(const QString &argument);

} // namespace CommandLine
