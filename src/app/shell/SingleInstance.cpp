#include "SingleInstance.h"

#include "SaveFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QByteArray showRequest = "show\n";
// A socket name longer than this does not fit a Unix socket address.
constexpr int longestSocketPath = 100;
// A first companion that is still starting holds the lock but may not listen yet.
constexpr int retryPauseMs = 100;
// A launch says its request at once: a connection silent this long is not one.
constexpr int idleConnectionMs = 1000;
// More connections than launches could ever make at once are closed on arrival, so no client can
// use up the companion's descriptors.
constexpr int mostConnections = 16;

/// Whether the process at the other end of the connected socket `fd` runs as this user.
bool peerIsThisUser(qintptr fd)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(int(fd), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
}

/// Whether `folder` is a folder of this user's that nobody else can enter; made so when missing.
bool isPrivateFolder(const QString &folder)
{
    const QByteArray name = QFile::encodeName(folder);
    ::mkdir(name.constData(), 0700);
    struct stat found {};
    return ::lstat(name.constData(), &found) == 0 && S_ISDIR(found.st_mode) && found.st_uid == ::getuid() &&
           (found.st_mode & 077) == 0;
}
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
    // The user's private runtime folder; without one, a folder of the user's own in the shared
    // temporary folder, where another user could otherwise take the socket's name first.
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QDir::isAbsolutePath(runtime))
        runtime = QDir(QDir::tempPath()).filePath(QStringLiteral("kivvo-%1").arg(::getuid()));
    return QDir(runtime).filePath(QStringLiteral("kivvo-%1.socket").arg(QLatin1String(hash)));
}

bool SingleInstance::listen()
{
    if (m_role != Role::first)
        return false;
    const QString path = socketPath(m_folder);
    if (!isPrivateFolder(QFileInfo(path).absolutePath()))
        return false;
    if (!m_server) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::answer);
    }
    // We hold the lock, so a socket left there belongs to a companion that died.
    QLocalServer::removeServer(path);
    return m_server->listen(path);
}

void SingleInstance::answer()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        if (m_connections >= mostConnections || !peerIsThisUser(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_connections;
        connect(socket, &QObject::destroyed, this, [this] { --m_connections; });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // Nothing longer than a request is ever held.
        socket->setReadBufferSize(showRequest.size());
        QTimer::singleShot(idleConnectionMs, socket, [socket] { drop(socket); });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->bytesAvailable() < showRequest.size())
                return;
            if (socket->read(showRequest.size()) == showRequest)
                emit showRequested();
            drop(socket);
        });
    }
    // A failed accept closes the server: whatever a client did, later launches must still be heard.
    if (!m_server->isListening())
        listen();
}

void SingleInstance::drop(QLocalSocket *socket)
{
    socket->abort();
    socket->deleteLater();
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
            // Only this user's companion is told anything.
            if (!peerIsThisUser(socket.socketDescriptor()))
                return false;
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
