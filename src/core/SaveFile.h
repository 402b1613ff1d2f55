#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

/// The file system side of the save file: private, never half-written, never thrown away.
class SaveFile {
public:
    /// Who may stand at the path before a write replaces it.
    enum class Target {
        any,          ///< the user's own file: a symlink there is the user's choice and is followed
        ownPlainFile, ///< a shared folder: only a plain file of this user, never through a symlink
    };

    /// A save file at `path`; nothing is touched yet.
    explicit SaveFile(QString path, Target target = Target::any);

    /// Where the file lives.
    const QString &path() const { return m_path; }

    /// Creates the file's folder (and missing parents), private to the user. Errors are ignored:
    /// later writes fail and the program runs on what it has in memory.
    void createFolder() const;

    /// The whole file, or nothing when it is missing or cannot be read.
    std::optional<QByteArray> read() const;

    /// True when something (a file, or anything else) stands at the path.
    bool exists() const;

    /// Moves what stands at the path aside as "data.unreadable-<yyyyMMdd-HHmmss>.json" in the same
    /// folder (with a counter when that name is taken, so an earlier copy is never overwritten).
    /// Returns the new path, or nothing when it could not be moved.
    std::optional<QString> setAside(const QDateTime &now) const;

    /// Replaces the file with `bytes` through a temporary file and a rename, readable and writable by
    /// the owner only. On failure the previous file is left whole. Refuses a target it may not replace.
    bool write(const QByteArray &bytes) const;

    /// Whether what stands at the path (if anything) may be replaced.
    bool mayReplaceTarget() const;

private:
    QString m_path;
    Target m_target;
};
