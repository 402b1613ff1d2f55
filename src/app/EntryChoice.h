#pragma once

#include <QString>
#include <QStringList>

/// How the program was asked to run, decided before any window exists.
struct EntryChoice {
    enum class Mode { render, shoot, window, normal };

    Mode mode = Mode::normal;
    /// The output folder of render and shoot mode.
    QString folder;

    bool operator==(const EntryChoice &) const = default;

    /// Decides from the whole argument list (program path first) and whether KIVVO_WINDOW is set:
    /// "--render" wins over "--shoot" wherever each stands; the word after a switch is its folder even
    /// when it is itself a switch; a switch last on the line writes into `temporaryFolder`.
    static EntryChoice choose(const QStringList &arguments, bool hasWindowVariable,
                              const QString &temporaryFolder);
};
