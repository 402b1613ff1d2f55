#include "CommandLine.h"

#include <QCommandLineParser>

using namespace Qt::Literals::StringLiterals;

namespace CommandLine {

namespace {
// What the program and its developer modes read from the environment; the screens' own switches
// (KIVVO_SCREEN and the like) belong to the window mode and are listed with it.
constexpr auto environment = R"(
Environment:
  XDG_DATA_HOME          where the wishes are kept: $XDG_DATA_HOME/Kivvo/data.json
                         (~/.local/share/Kivvo/data.json when unset)
  KIVVO_WINDOW           when set, even empty: show the panel's screens in a window of
                         their own on sample data instead of starting the companion
  KIVVO_SCREEN           in that window, the screen: talk, tower, customize, redraw,
                         settings
  KIVVO_STATE            in that window, the sample: onboarding, custom or default;
                         a character rock otherwise
  KIVVO_TALK=drawing     the talk screen starts with drawing instead of typing
  KIVVO_SELECT=1         the tower starts with its newest stone chosen
  KIVVO_DRAWN=1          the drawing canvases start with a finished sample outline
  KIVVO_BLANK=1          the onboarding canvas starts blank, without its hint
  KIVVO_WISHES=N         the sample tower holds N wishes (1 to 1000)
  KIVVO_DEBUG_ROCK=1     report the floating rock's frame on standard error
  QT_SCALE_FACTOR, QT_SCREEN_SCALE_FACTORS, QT_QPA_PLATFORM
                         Qt's own: scale and platform, as for any Qt program
)";
} // namespace

QString helpText()
{
    QCommandLineParser parser;
    parser.setApplicationDescription(u"A rock companion in the system tray that keeps your wishes.\n"
                                     "Without options it starts in the tray; a click on its icon opens its\n"
                                     "panel. Started again, it shows the running one's panel. Qt's own\n"
                                     "options (-platform, -display, -style and the like) go to Qt."_s);
    parser.addOption({u"render"_s,
                      u"Draw the review sheets (screens, rocks, icon) into DIR as PNG files and exit; "
                      "into the temporary folder when DIR is missing."_s,
                      u"DIR"_s});
    parser.addOption({u"shoot"_s,
                      u"Capture the panel's fourteen screens into DIR as PNG files and exit; into the "
                      "temporary folder when DIR is missing."_s,
                      u"DIR"_s});
    parser.addOption({{u"h"_s, u"help"_s}, u"Show this help and exit."_s});
    parser.addOption({{u"v"_s, u"version"_s}, u"Show the version and exit."_s});
    QString text = parser.helpText();
    // Qt names the program by the path it was started with; the help names it as it is typed.
    text.replace(0, text.indexOf(u'\n'), u"Usage: kivvo [options]"_s);
    return text + QLatin1String(environment);
}

QString versionText()
{
    return u"kivvo " KIVVO_VERSION "\n"_s;
}

QString unknownText(const QString &argument)
{
    const QString kind = argument.startsWith(u'-') ? u"unknown option"_s : u"unexpected argument"_s;
    return u"kivvo: %1 '%2'; see 'kivvo --help'\n"_s.arg(kind, argument);
}

} // namespace CommandLine
