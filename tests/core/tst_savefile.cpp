#include "AppState.h"
#include "JsonWriter.h"
#include "SaveFile.h"
#include "TestFiles.h"
#include "WishJsonCache.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

mode_t modeOf(const QString &path)
{
    struct stat status {};
    ::stat(QFile::encodeName(path).constData(), &status);
    return status.st_mode & 07777;
}

/// The save file's calls with some replaced; the rest are the real ones.
SaveFile::Io failing(const std::function<void(SaveFile::Io &)> &edit)
{
    SaveFile::Io io = SaveFile::Io::system();
    edit(io);
    return io;
}

/// Runs the scope with this umask, then puts the old one back.
struct Umask {
    mode_t previous;
    explicit Umask(mode_t mask) : previous(::umask(mask)) {}
    ~Umask() { ::umask(previous); }
};

/// Runs the scope as another user (from root), so permission checks apply as they do for users.
struct AsUser {
    bool switched = false;
    explicit AsUser(uid_t uid) : switched(::geteuid() == 0 && ::seteuid(uid) == 0) {}
    ~AsUser()
    {
        if (switched)
            (void)::seteuid(0);
    }
};
} // namespace

class TestSaveFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name = u"Kivvo/data.json"_s) const { return m_dir.filePath(name); }

    /// A save file holding one wish, and its bytes.
    QByteArray saveOneWish()
    {
        AppState store(path());
        store.addWish(u"첫 소원"_s);
        return readAll(path());
    }

private slots:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    void aSaveThatDidNotReachTheDiskKeepsTheOldFile()
    {
        const QByteArray before = saveOneWish();
        bool folderSynced = false;
        AppState store(SaveFile(path(), SaveFile::Target::any, failing([&](SaveFile::Io &io) {
            io.syncData = [](int) { return false; }; // as an EIO from fdatasync
            io.syncFolder = [&](const QString &) { return folderSynced = true; };
        })));
        QSignalSpy saves(&store, &AppState::saved);
        store.addWish(u"두 번째"_s);
        QCOMPARE(saves.count(), 1);
        QVERIFY(!saves.first().first().toBool());
        QVERIFY(store.isSaveFailing());
        QCOMPARE(readAll(path()), before);
        QVERIFY(!folderSynced);
        QCOMPARE(QDir(path(u"Kivvo"_s)).entryList(QDir::Files), QStringList{u"data.json"_s});
    }

    void aDoneSaveSyncsItsFolder()
    {
        QString synced;
        AppState store(SaveFile(path(), SaveFile::Target::any, failing([&](SaveFile::Io &io) {
            io.syncFolder = [&](const QString &folder) {
                synced = folder;
                return true;
            };
        })));
        store.addWish(u"소원"_s);
        QCOMPARE(synced, path(u"Kivvo"_s));
    }

    void aFileThatCannotBeReadIsLeftAlone()
    {
        const QByteArray before = saveOneWish();
        // One EIO at start: the file is fine, only this read failed.
        AppState store(SaveFile(path(), SaveFile::Target::any, failing([](SaveFile::Io &io) {
            io.read = [](const QString &) {
                return SaveFile::ReadResult{SaveFile::ReadResult::Status::unreadable, {}};
            };
        })));
        QVERIFY(store.couldNotRead());
        QVERIFY(store.runsInMemory());
        QSignalSpy saves(&store, &AppState::saved);
        store.addWish(u"지금 적은 소원"_s);
        store.setHasOnboarded(true);
        QCOMPARE(store.wishes().size(), 1); // the day goes on in memory
        QCOMPARE(saves.count(), 0);
        QCOMPARE(readAll(path()), before);
        QCOMPARE(QDir(path(u"Kivvo"_s)).entryList(QDir::Files), QStringList{u"data.json"_s});
        // The next start reads it as it was.
        QCOMPARE(AppState(path()).wishes().first().text, u"첫 소원"_s);
    }

    void onlyPlainFilesAreRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("a FIFO") << "fifo";
        QTest::newRow("a folder") << "folder";
    }
    void onlyPlainFilesAreRead()
    {
        QFETCH(QString, kind);
        QDir().mkpath(path(u"Kivvo"_s));
        if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path()).constData(), 0600), 0); // opening it would block
        else
            QVERIFY(QDir().mkpath(path()));
        AppState store(path());
        QVERIFY(store.couldNotRead());
        store.addWish(u"소원"_s);
        QFileInfo info(path());
        QCOMPARE(info.isDir(), kind == "folder");
        QCOMPARE(QDir(path(u"Kivvo"_s)).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
                 QStringList{u"data.json"_s});
    }

    void leftoversOfInterruptedSavesAreCleared()
    {
        const QByteArray saved = saveOneWish();
        writeAll(path(u"Kivvo/data.json.AbC123"_s), saved); // a save killed before its rename
        writeAll(path(u"Kivvo/data.json.notes"_s), "mine");
        writeAll(path(u"Kivvo/other.json.XyZ789"_s), "not ours");
        AppState store(path());
        QCOMPARE(store.wishes().size(), 1);
        QStringList left = QDir(path(u"Kivvo"_s)).entryList(QDir::Files);
        left.sort();
        QCOMPARE(left, (QStringList{u"data.json"_s, u"data.json.notes"_s, u"other.json.XyZ789"_s}));
    }

    void foldersArePrivateFromBirth()
    {
        Umask open(0);
        AppState store(path(u"a/b/Kivvo/data.json"_s));
        store.addWish(u"소원"_s);
        for (const char *folder : {"a", "a/b", "a/b/Kivvo"})
            QCOMPARE(modeOf(path(QString::fromLatin1(folder))), mode_t(0700));
        QCOMPARE(modeOf(path(u"a/b/Kivvo/data.json"_s)), mode_t(0600));
        // A folder that was there already is not ours to tighten.
        QCOMPARE(modeOf(m_dir.path()) & 0700, mode_t(0700));
    }

    void anOpenDataFolderIsClosed()
    {
        QVERIFY(QDir().mkpath(path(u"shared/Kivvo"_s)));
        QVERIFY(QDir().mkpath(path(u"temp"_s)));
        for (const auto &[folder, mode] :
             {std::pair{"shared", 0777}, {"shared/Kivvo", 0777}, {"temp", 01777}})
            QCOMPARE(::chmod(path(QString::fromLatin1(folder)).toLocal8Bit().constData(), mode), 0);
        SaveFile::closeFolder(path(u"shared/Kivvo"_s));
        SaveFile::closeFolder(path(u"temp"_s));
        QCOMPARE(modeOf(path(u"shared/Kivvo"_s)), mode_t(0700));
        // The folder above is the user's; a shared one like the temporary folder stays shared.
        QCOMPARE(modeOf(path(u"shared"_s)), mode_t(0777));
        QCOMPARE(modeOf(path(u"temp"_s)), mode_t(01777));
    }

    void heldSavesLeaveTheFileAlone()
    {
        const QByteArray saved = saveOneWish();
        AppState store(path());
        store.holdSaves();
        store.addWish(u"둘째"_s);
        QVERIFY(store.runsInMemory());
        QCOMPARE(store.wishes().size(), 2);
        QCOMPARE(readAll(path()), saved);
    }

    void aReadOnlyFileIsSavedAgain()
    {
        // As root every file is writable; act as an ordinary user for the permission check.
        const uid_t nobody = 65534;
        if (::geteuid() == 0)
            QCOMPARE(::chown(QFile::encodeName(m_dir.path()).constData(), nobody, nobody), 0);
        QByteArray before;
        {
            AsUser user(nobody);
            before = saveOneWish();
            QVERIFY(QFile::setPermissions(path(), QFileDevice::ReadOwner)); // 0400, by hand or a sync tool
            AppState store(path());
            QSignalSpy saves(&store, &AppState::saved);
            store.addWish(u"두 번째"_s);
            QVERIFY(saves.first().first().toBool());
            QVERIFY(!store.isSaveFailing());
        }
        QCOMPARE(modeOf(path()), mode_t(0600));
        QVERIFY(readAll(path()) != before);
        QCOMPARE(AppState(path()).wishes().size(), 2);
    }

    void aFailingSaveIsReportedUntilOneSucceeds()
    {
        saveOneWish();
        bool diskFull = true;
        AppState store(SaveFile(path(), SaveFile::Target::any, failing([&](SaveFile::Io &io) {
            io.syncData = [&](int) { return !diskFull; };
        })));
        store.addWish(u"둘"_s);
        QVERIFY(store.isSaveFailing());
        store.addWish(u"셋"_s);
        QVERIFY(store.isSaveFailing());
        diskFull = false;
        store.addWish(u"넷"_s);
        QVERIFY(!store.isSaveFailing());
        QCOMPARE(AppState(path()).wishes().size(), 4);
    }

    void dataFolderIsAbsoluteOrNone_data()
    {
        QTest::addColumn<QString>("xdgDataHome");
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("folder");
        QTest::newRow("XDG_DATA_HOME") << "/data/me" << "/home/me" << "/data/me";
        QTest::newRow("HOME") << "" << "/home/me" << "/home/me/.local/share";
        QTest::newRow("a relative XDG_DATA_HOME is ignored") << "share" << "/home/me" << "/home/me/.local/share";
        QTest::newRow("no HOME") << "" << "" << "";
        QTest::newRow("a relative HOME") << "" << "me" << "";
        QTest::newRow("both relative") << "share" << "me" << "";
        QTest::newRow("HOME is the root") << "" << "/" << "/.local/share";
    }
    void dataFolderIsAbsoluteOrNone()
    {
        QFETCH(QString, xdgDataHome);
        QFETCH(QString, home);
        QFETCH(QString, folder);
        QCOMPARE(AppState::dataFolder(xdgDataHome, home), folder);
    }

    void craftedIdsDoNotShareAHash()
    {
        // Ids that differ only in bytes Qt's qHash(QUuid) folds together with XOR.
        const QUuid a(0x12345678, 0x1111, 0x2222, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80);
        const QUuid b(0x12345678 ^ 0x00ff00ff, 0x1111, 0x2222, 0x10 ^ 0x00, 0x20 ^ 0xff, 0x30 ^ 0x00,
                      0x40 ^ 0xff, 0x50, 0x60, 0x70, 0x80);
        const size_t seed = 12345;
        QCOMPARE(qHash(a, seed), qHash(b, seed)); // the premise: Qt's hash cannot tell them apart
        QVERIFY(WishJsonCache::keyHash(a, seed) != WishJsonCache::keyHash(b, seed));
        QVERIFY(WishJsonCache::keyHash(a, seed) != WishJsonCache::keyHash(a, seed + 1));
    }

    void loneSurrogatesSurviveASave_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("a lone high half") << u"앞"_s + QChar(0xD83D) + u"뒤"_s;
        QTest::newRow("a lone low half at the end") << u"끝"_s + QChar(0xDE00);
        QTest::newRow("halves the wrong way round") << QString(QChar(0xDE00)) + QChar(0xD83D);
        QTest::newRow("a whole emoji stays UTF-8") << u"웃음 😀"_s;
    }
    void loneSurrogatesSurviveASave()
    {
        QFETCH(QString, text);
        {
            AppState store(path());
            store.addWish(text);
        }
        QCOMPARE(AppState(path()).wishes().first().text, text);
        QCOMPARE(readAll(path()).contains("\\ud83d"), text.contains(QChar(0xD83D)) && !text.contains(u"😀"_s));
    }

    void anEmptyRawPieceWritesNothing()
    {
        JsonWriter out;
        out.beginArray();
        out.raw(QByteArrayView());
        QVERIFY(!out.ok());
        QCOMPARE(out.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestSaveFile)
#include "tst_savefile.moc"
