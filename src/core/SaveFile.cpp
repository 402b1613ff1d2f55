#include "SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Wishes are private: only the owner may read the folder and the file.
constexpr QFileDevice::Permissions privateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr mode_t privateFolderMode = 0700;

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

SaveFile::ReadResult readRegularFile(const QString &path)
{
    using Status = SaveFile::ReadResult::Status;
    struct stat status {};
    if (::stat(native(path).constData(), &status) != 0)
        // Only "no such file" means missing; anything else (EIO, EACCES) may hide a good file.
        return {errno == ENOENT || errno == ENOTDIR ? Status::missing : Status::unreadable, {}};
    // A FIFO or a device would block or never end: only a plain file holds wishes.
    if (!S_ISREG(status.st_mode))
        return {Status::unreadable, {}};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {file.exists() ? Status::unreadable : Status::missing, {}};
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {Status::unreadable, {}};
    return {Status::read, std::move(bytes)};
}

bool syncDataToDisk(int fd)
{
    return ::fdatasync(fd) == 0;
}

bool syncFolderToDisk(const QString &folder)
{
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}
} // namespace

SaveFile::Io SaveFile::Io::system()
{
    return {readRegularFile, syncDataToDisk, syncFolderToDisk};
}

SaveFile::SaveFile(QString path, Target target, Io io)
    : m_path(std::move(path)), m_target(target), m_io(std::move(io))
{
}

void SaveFile::createFolder() const
{
    const QString folder = QFileInfo(m_path).absolutePath();
    // Walk down from the root, making each missing folder private at birth: mkpath followed by a
    // chmod would leave a window in which a permissive umask exposes them. Only folders made here
    // are tightened; the path may lead through shared ones.
    const QStringList parts = folder.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString prefix;
    for (const QString &part : parts) {
        prefix += QLatin1Char('/') + part;
        const QByteArray name = native(prefix);
        if (::mkdir(name.constData(), privateFolderMode) == 0)
            ::chmod(name.constData(), privateFolderMode); // a umask could have taken bits away
        else if (errno != EEXIST)
            return;
    }
}

void SaveFile::closeFolder(const QString &folder)
{
    // Only a plain folder of this user's, and never a shared one such as the temporary folder (its
    // sticky bit tells): found open to others (0777), it is closed.
    const QByteArray name = native(folder);
    struct stat found {};
    if (::lstat(name.constData(), &found) != 0 || !S_ISDIR(found.st_mode) || found.st_uid != ::geteuid())
        return;
    if ((found.st_mode & 077) && !(found.st_mode & S_ISVTX))
        ::chmod(name.constData(), privateFolderMode);
}

SaveFile::ReadResult SaveFile::read() const
{
    return m_io.read(m_path);
}

bool SaveFile::exists() const
{
    return QFileInfo(m_path).exists() || QFileInfo(m_path).isSymLink();
}

void SaveFile::removeLeftovers() const
{
    // QSaveFile writes "<name>.XXXXXX" beside the file and renames it over; a crash in between
    // leaves a whole copy there for good.
    const QFileInfo info(m_path);
    const QRegularExpression temporary(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(info.fileName()) + QStringLiteral("\\.[A-Za-z0-9]{6}")));
    const QDir folder = info.dir();
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        struct stat status {};
        const QString path = folder.filePath(name);
        if (temporary.match(name).hasMatch() && ::lstat(native(path).constData(), &status) == 0 &&
            S_ISREG(status.st_mode) && status.st_uid == ::geteuid())
            QFile::remove(path);
    }
}

std::optional<QString> SaveFile::setAside(const QDateTime &now) const
{
    const QFileInfo info(m_path);
    const QString stem = info.dir().filePath(info.completeBaseName() + QLatin1String(".unreadable-") +
                                             now.toString(QStringLiteral("yyyyMMdd-HHmmss")));
    for (int copy = 1; copy < 1000; ++copy) {
        const QString target = copy == 1 ? stem + QLatin1String(".json")
                                         : stem + QLatin1Char('-') + QString::number(copy) + ".json";
        if (QFileInfo(target).exists() || QFileInfo(target).isSymLink())
            continue;
        // rename() refuses to replace an existing target, so a copy that appears meanwhile survives.
        if (QFile::rename(m_path, target))
            return target;
        if (!QFileInfo(target).exists())
            return std::nullopt;
    }
    return std::nullopt;
}

bool SaveFile::mayReplaceTarget() const
{
    if (m_target == Target::any)
        return true;
    // In a folder others can write to, a planted symlink would redirect the write to its target.
    struct stat status {};
    if (::lstat(native(m_path).constData(), &status) != 0)
        return errno == ENOENT;
    return S_ISREG(status.st_mode) && status.st_uid == ::geteuid();
}

void SaveFile::restoreOwnerWrite() const
{
    // A file made read-only (by hand, by a sync tool) would refuse every save from now on.
    struct stat status {};
    const QByteArray name = native(m_path);
    if (::stat(name.constData(), &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == ::geteuid() &&
        (status.st_mode & 0777) != 0600)
        ::chmod(name.constData(), 0600);
}

bool SaveFile::write(const QByteArray &bytes) const
{
    if (!mayReplaceTarget())
        return false;
    restoreOwnerWrite();
    QSaveFile file(m_path);
    // Unbuffered: a buffered QSaveFile loses the error of its final flush and commits a cut file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    file.setPermissions(privateFile);
    // commit() renames even when its own sync failed: sync first, and give up while the old file
    // is still in place.
    if (file.write(bytes) != bytes.size() || !m_io.syncData(file.handle())) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return false;
    // The new name lives in the folder: without this a power cut can bring the old file back.
    m_io.syncFolder(QFileInfo(m_path).absolutePath());
    return true;
}
