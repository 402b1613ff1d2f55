#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

/// The file system side of the save file: private, never half-written, never thrown away.
class SaveFile {
public:
    /// Who may stand at the path before a write replaces it.
    enum class Target {
        any,          ///< the user's own file: a symlink there is the user's choice and is followed
        ownPlainFile, ///< a shared folder: only a plain file of this user, never through a symlink
    };

    /// What reading found.
    struct ReadResult {
        enum class Status {
            missing,    ///< nothing stands at the path
            read,       ///< the bytes are in `bytes`
            unreadable, ///< something stands there but could not be read (an I/O error, a folder, a FIFO)
        };
        Status status = Status::missing;
        QByteArray bytes;
    };

    /// The calls that decide whether a save reached the disk; tests replace them to fail on purpose.
    struct Io {
        /// Reads the whole file at a path; only a regular file is opened.
        std::function<ReadResult(const QString &path)> read;
        /// Flushes a file's data to the disk (fdatasync); false on failure.
        std::function<bool(int fd)> syncData;
        /// Flushes a folder's entries to the disk (fsync), so a rename survives a power cut.
        std::function<bool(const QString &folder)> syncFolder;
        /// The real calls.
        static Io system();
    };

    /// A save file at `path`; nothing is touched yet.
    explicit SaveFile(QString path, Target target = Target::any, Io io = Io::system());

    /// Where the file lives.
    const QString &path() const { return m_path; }

    /// Creates the file's folder and missing parents, each private to the user from the moment it
    /// exists (whatever the umask). Errors are ignored: later writes fail and the program runs on
    /// what it has in memory.
    void createFolder() const;
    /// Makes `folder`, the companion's own data folder, private to the user when it is found open to
    /// others; leaves alone what is not a plain folder of this user's, and shared (sticky) folders.
    static void closeFolder(const QString &folder);

    /// The whole file, whether it is missing, or there but unreadable.
    ReadResult read() const;

    /// True when something (a file, or anything else) stands at the path.
    bool exists() const;

    /// Removes the temporary files an interrupted save of this file left beside it.
    void removeLeftovers() const;

    /// Moves what stands at the path aside as "data.unreadable-<yyyyMMdd-HHmmss>.json" in the same
    /// folder (with a counter when that name is taken, so an earlier copy is never overwritten).
    /// Returns the new path, or nothing when it could not be moved.
    std::optional<QString> setAside(const QDateTime &now) const;

    /// Replaces the file with `bytes` through a temporary file, a data sync and a rename, readable and
    /// writable by the owner only; then syncs the folder. On failure the previous file is left whole.
    /// Refuses a target it may not replace.
    bool write(const QByteArray &bytes) const;

    /// Whether what stands at the path (if anything) may be replaced.
    bool mayReplaceTarget() const;

private:
    /// Gives an own file that was made read-only its owner's write permission back.
    void restoreOwnerWrite() const;

    QString m_path;
    Target m_target;
    Io m_io;
};
