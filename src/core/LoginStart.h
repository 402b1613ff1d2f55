#pragma once

#include <QString>

/// Starting the companion when the user logs in: a desktop entry in the user's autostart folder, which
/// every freedesktop session reads. Only the user's own choice writes or removes it.
class LoginStart {
public:
    /// The entry `kivvo.desktop` in `folder`, starting `program`.
    LoginStart(QString folder, QString program);
    /// This user's: $XDG_CONFIG_HOME/autostart (~/.config/autostart), starting this very program.
    static LoginStart forThisUser();
    /// Points `forThisUser` at `folder` for the rest of the process: the previews, which show sample
    /// data, must neither read nor write the user's own entry.
    static void redirect(const QString &folder);

    /// The entry's path.
    const QString &path() const { return m_path; }
    /// Whether the entry is there.
    bool isOn() const;
    /// Writes the entry (whole or not at all) or removes it; false when that failed, and nothing
    /// changed.
    bool setOn(bool on) const;

    /// The entry's text for `program`.
    static QByteArray entry(const QString &program);

private:
    QString m_path;
    QString m_program;
};
