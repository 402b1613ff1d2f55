#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;

/// Keeps one companion per save file: two would each rewrite the whole file from their own memory
/// and erase each other's wishes. The first takes a lock in the data folder and listens; a later one
/// asks it to show its panel and leaves without touching the file.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    /// How the lock went.
    enum class Role {
        first,     ///< this process holds the lock
        second,    ///< another companion holds it
        unguarded, ///< no lock could be made (no data folder, a read-only one): run anyway
    };

    /// Tries to take the lock in `folder` (created private when missing).
    explicit SingleInstance(const QString &folder, QObject *parent = nullptr);
    ~SingleInstance() override;

    Role role() const { return m_role; }
    /// As the first: listens for later launches. Returns false when it cannot listen.
    bool listen();
    /// As a later one: asks the first to show its panel; waits at most `timeoutMs`.
    bool askFirstToShow(int timeoutMs = 3000);

    /// The lock file in a data folder.
    static QString lockPath(const QString &folder);
    /// The socket the first one listens on: in the data folder when its path is short enough for a
    /// socket name, else in the user's private runtime folder.
    static QString socketPath(const QString &folder);

signals:
    /// Another launch asked for the panel.
    void showRequested();

private:
    void answer();

    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
    Role m_role = Role::unguarded;
};
