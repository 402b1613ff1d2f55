#include "SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace {
// Wishes are private: only the owner may read the folder and the file.
constexpr QFileDevice::Permissions privateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions privateFolder = privateFile | QFileDevice::ExeOwner;
} // namespace

SaveFile::SaveFile(QString path, Target target) : m_path(std::move(path)), m_target(target) {}

void SaveFile::createFolder() const
{
    const QString folder = QFileInfo(m_path).absolutePath();
    // Only a folder of our own making is tightened: the path may point into a shared folder.
    if (!QFileInfo::exists(folder) && QDir().mkpath(folder))
        QFile::setPermissions(folder, privateFolder);
}

std::optional<QByteArray> SaveFile::read() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

bool SaveFile::exists() const
{
    return QFileInfo(m_path).exists() || QFileInfo(m_path).isSymLink();
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
    if (::lstat(QFile::encodeName(m_path).constData(), &status) != 0)
        return errno == ENOENT;
    return S_ISREG(status.st_mode) && status.st_uid == ::geteuid();
}

bool SaveFile::write(const QByteArray &bytes) const
{
    if (!mayReplaceTarget())
        return false;
    QSaveFile file(m_path);
    // Unbuffered: a buffered QSaveFile loses the error of its final flush and commits a cut file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    file.setPermissions(privateFile);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
