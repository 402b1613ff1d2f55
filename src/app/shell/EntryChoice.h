#pragma once

#include <QString>
#include <QStringList>

/// How the program was asked to run, decided before any window exists.
struct EntryChoice {
    enum class Mode { render, shoot, window, normal, help, version, unknown };

    Mode mode = Mode::normal;
    /// The output folder of render and shoot mode.
    QString folder;
    /// The first argument not understood, in unknown mode.
    QString unknown;

    bool operator==(const EntryChoice &) const = default;

    /// Decides from the whole argument list (program path first) and whether KIVVO_WINDOW is set:
    /// "--render" wins over "--shoot" wherever each stands; the word after a switch is its folder even
    /// when it is itself a switch; a switch last on the line writes into `temporaryFolder`. Without
    /// either, "--help" or "-h" asks for help, else "--version" or "-v" for the version; any other
    /// argument, bar Qt's own options, is not understood and starts nothing.
    static EntryChoice choose(const QStringList &arguments, bool hasWindowVariable,
                              const QString &temporaryFolder);

    /// Whether the companion should run through XWayland: Wayland gives no global pointer position
    /// and cannot place windows, so where an X display is there too it is used, unless the user chose
    /// a platform.
    static bool prefersX11(bool hasWaylandDisplay, bool hasX11Display, bool hasPlatformChoice);
};
