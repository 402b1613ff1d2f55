#include "SingleInstance.h"

#include "SaveFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
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
    // The data folder is the companion's own: nobody else is to read the wishes or the lock's folder.
    SaveFile::closeFolder(folder);
    m_role = lock();
}

SingleInstance::~SingleInstance()
{
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

SingleInstance::Role SingleInstance::lock()
{
    const QByteArray lockFile = QFile::encodeName(lockPath(m_folder));
    for (const bool folderItself : {true, false}) {
        const int flags = folderItself ? O_RDONLY | O_DIRECTORY : O_RDWR | O_CREAT | O_NOFOLLOW;
        const QByteArray name = folderItself ? QFile::encodeName(m_folder) : lockFile;
        const int fd = ::open(name.constData(), flags | O_CLOEXEC, 0600);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            m_lockFd = fd;
            if (folderItself)
                ::unlink(lockFile.constData()); // an earlier version's, never needed again
            return Role::first;
        }
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return Role::second;
        // Some network file systems lock only files open for writing: the lock file is tried next.
    }
    return Role::unguarded;
}

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
    return QDir(runtime).filePath(
        QStringLiteral("kivvo-%1-%2.socket").arg(getuid()).arg(QLatin1String(hash)));
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
