#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;

/// Keeps one companion per save file: two would each rewrite the whole file from their own memory
/// and erase each other's wishes. The first holds an advisory lock on the data folder itself and
/// listens; a later one asks it to show its panel and leaves without touching the file. The kernel
/// drops the lock when its holder dies, so it is never stale, and nothing on disk can take it away:
/// no file is written for it (a full or read-only disk holds it as well) and none can be deleted.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    /// How the lock went.
    enum class Role {
        first,     ///< this process holds the lock
        second,    ///< another companion holds it
        unguarded, ///< no lock could be had (no data folder, a file system without locks): another
                   ///< companion may own the file, so this one must not write it
    };

    /// Tries to take the lock of `folder` (created private when missing).
    explicit SingleInstance(const QString &folder, QObject *parent = nullptr);
    ~SingleInstance() override;

    Role role() const { return m_role; }
    /// As the first: listens for later launches of this user's, in a folder only this user can enter.
    /// Returns false when it cannot listen.
    bool listen();
    /// As a later one: asks the first to show its panel; waits at most `timeoutMs`.
    bool askFirstToShow(int timeoutMs = 3000);

    /// The lock file in a data folder: locked instead of the folder only where the file system cannot
    /// lock a folder (NFS); elsewhere a leftover of earlier versions, removed.
    static QString lockPath(const QString &folder);
    /// The socket the first one listens on: in the data folder when its path is short enough for a
    /// socket name, else in the user's private runtime folder, else in a private folder of the user's
    /// in the temporary folder.
    static QString socketPath(const QString &folder);

signals:
    /// Another launch asked for the panel.
    void showRequested();

private:
    /// Takes the requests of new connections: at most a request's worth of bytes, within a second.
    void answer();
    /// Ends a connection, whatever it sent.
    static void drop(QLocalSocket *socket);

    QString m_folder;
    /// Locks the folder, or the lock file where the folder cannot be locked; the role it gives.
    Role lock();

    int m_lockFd = -1; ///< holds the lock while open; closed with this object

    QLocalServer *m_server = nullptr;
    int m_connections = 0; ///< connections open now
    Role m_role = Role::unguarded;
};
