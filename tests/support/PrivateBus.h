#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QString>

/// A session bus of the test's own: nothing a test does reaches the user's bus, and nothing of the
/// user's answers the test. The daemon ends with the object.
class PrivateBus {
public:
    ~PrivateBus()
    {
        m_daemon.kill();
        m_daemon.waitForFinished(5000);
    }

    /// Whether dbus-daemon can be started here at all.
    static bool isInstalled() { return !program().isEmpty(); }

    /// Starts the daemon and returns its address; empty when it did not start within five seconds.
    QString start()
    {
        m_daemon.start(program(), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                   QStringLiteral("--print-address")});
        while (m_daemon.waitForStarted(5000) && !m_daemon.canReadLine())
            if (!m_daemon.waitForReadyRead(5000))
                return {};
        return QString::fromUtf8(m_daemon.readLine()).trimmed();
    }

private:
    static QString program() { return QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")); }

    QProcess m_daemon;
};
