#include "SingleInstance.h"

#include "SaveFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <unistd.h>

namespace {
const QByteArray showRequest = "show\n";
// A socket name longer than this does not fit a Unix socket address.
constexpr int longestSocketPath = 100;
// A first companion that is still starting holds the lock but may not listen yet.
constexpr int retryPauseMs = 100;
} // namespace

SingleInstance::SingleInstance(const QString &folder, QObject *parent) : QObject(parent), m_folder(folder)
{
    if (folder.isEmpty())
        return;
    SaveFile(QDir(folder).filePath(QStringLiteral("data.json"))).createFolder();
    m_lock = std::make_unique<QLockFile>(lockPath(folder));
    // Only a dead owner makes the lock stale, never its age: the companion runs for days.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        m_role = Role::first;
    else if (m_lock->error() == QLockFile::LockFailedError)
        m_role = Role::second;
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::lockPath(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("kivvo.lock"));
}

QString SingleInstance::socketPath(const QString &folder)
{
    const QString inFolder = QDir(folder).filePath(QStringLiteral("kivvo.socket"));
    if (inFolder.toLocal8Bit().size() <= longestSocketPath)
        return inFolder;
    const QByteArray hash =
        QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QDir::isAbsolutePath(runtime))
        runtime = QDir::tempPath();
    return QDir(runtime).filePath(QStringLiteral("kivvo-%1-%2.socket").arg(getuid()).arg(QLatin1String(hash)));
}

bool SingleInstance::listen()
{
    if (m_role != Role::first)
        return false;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    const QString path = socketPath(m_folder);
    // We hold the lock, so a socket left there belongs to a companion that died.
    QLocalServer::removeServer(path);
    if (!m_server->listen(path))
        return false;
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::answer);
    return true;
}

void SingleInstance::answer()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            if (socket->readLine() == showRequest)
                emit showRequested();
            socket->disconnectFromServer();
        });
    }
}

bool SingleInstance::askFirstToShow(int timeoutMs)
{
    if (m_role != Role::second)
        return false;
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketPath(m_folder));
        if (socket.waitForConnected(int(deadline.remainingTime()))) {
            socket.write(showRequest);
            const bool sent = socket.waitForBytesWritten(int(deadline.remainingTime()));
            // Wait for the first to hang up, so the request is read before this process leaves.
            if (sent && socket.state() == QLocalSocket::ConnectedState)
                socket.waitForDisconnected(int(deadline.remainingTime()));
            return sent;
        }
        QThread::msleep(retryPauseMs);
    }
    return false;
}
