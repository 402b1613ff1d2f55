#include "SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

using Role = SingleInstance::Role;

/// A process of its own that takes the lock on `folder`; its role is read once it has one.
struct Holder {
    QProcess process;
    Role role = Role::unguarded;

    explicit Holder(const QString &folder)
    {
        process.start(QStringLiteral(LOCK_HOLDER), {folder});
        if (process.waitForReadyRead(10000))
            role = Role(process.readLine().trimmed().toInt());
    }
    ~Holder()
    {
        process.kill();
        process.waitForFinished(5000);
    }
    /// Dies at once, as with kill -9: the kernel lets go of its lock.
    void kill()
    {
        process.kill();
        process.waitForFinished(5000);
    }
};

} // namespace

using namespace Qt::Literals::StringLiterals;

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void aSecondLaunchAsksTheFirstToShow()
    {
        QTemporaryDir home;
        const QString folder = home.filePath("share/Kivvo");
        SingleInstance first(folder);
        QCOMPARE(first.role(), SingleInstance::Role::first);
        QVERIFY(first.listen());
        // The folder did not exist: it is made private.
        QCOMPARE(QFileInfo(folder).permissions() & 0x0077, QFileDevice::Permissions());

        SingleInstance second(folder);
        QCOMPARE(second.role(), SingleInstance::Role::second);
        QSignalSpy shown(&first, &SingleInstance::showRequested);
        // Both ends live on this thread: the first answers only once the loop runs again.
        QVERIFY(second.askFirstToShow(300));
        QTRY_COMPARE(shown.count(), 1);
    }

    void anotherProcessKeepsTheLock_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::newRow("as it is") << QString();
        // Clean-up tools, sync tools or another user through an open folder: nothing there is needed.
        QTest::newRow("the folder's files deleted") << u"delete"_s;
        // A full or read-only disk: the lock needs nothing written.
        QTest::newRow("a read-only folder") << u"read-only"_s;
    }

    void anotherProcessKeepsTheLock()
    {
        QFETCH(QString, meanwhile);
        QTemporaryDir home;
        const QString folder = home.filePath(u"Kivvo"_s);
        QVERIFY(QDir().mkpath(folder));
        if (meanwhile == u"read-only"_s)
            QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        Holder first(folder);
        QCOMPARE(first.role, Role::first);
        if (meanwhile == u"delete"_s) {
            for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
                QVERIFY(QFile::remove(QDir(folder).filePath(name)));
        }
        QCOMPARE(SingleInstance(folder).role(), Role::second);
        // Killed, its lock goes with it: the next launch is the companion, never locked out.
        first.kill();
        QCOMPARE(SingleInstance(folder).role(), Role::first);
        QFile::setPermissions(folder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    void aLeftoverLockFileNeverLocksOut_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("garbage") << QByteArray("\x01\xff not a lock");
        QTest::newRow("another machine's") << QByteArray("1\nkivvo\nother-host\n");
        // No process has this id (above the kernel's largest).
        QTest::newRow("a dead owner's") << QByteArray("4194305\nkivvo\n\n");
    }

    void aLeftoverLockFileNeverLocksOut()
    {
        QFETCH(QByteArray, contents);
        QTemporaryDir home;
        QFile lock(SingleInstance::lockPath(home.path()));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write(contents);
        lock.close();
        SingleInstance instance(home.path());
        QCOMPARE(instance.role(), Role::first);
        QVERIFY(!QFile::exists(SingleInstance::lockPath(home.path())));
    }

    void aBadClientIsDroppedAndLaunchesAreStillHeard_data()
    {
        QTest::addColumn<int>("clients");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("one silent") << 1 << QByteArray();
        QTest::newRow("one that never ends its line") << 1 << QByteArray(1 << 20, 'x');
        QTest::newRow("a hundred idle") << 100 << QByteArray();
    }

    void aBadClientIsDroppedAndLaunchesAreStillHeard()
    {
        QFETCH(int, clients);
        QFETCH(QByteArray, sent);
        QTemporaryDir home;
        SingleInstance first(home.path());
        QVERIFY(first.listen());
        std::vector<std::unique_ptr<QLocalSocket>> bad;
        for (int i = 0; i < clients; ++i) {
            bad.push_back(std::make_unique<QLocalSocket>());
            bad.back()->connectToServer(SingleInstance::socketPath(home.path()));
            QVERIFY(bad.back()->waitForConnected(1000));
            bad.back()->write(sent);
            QCoreApplication::processEvents(); // the companion takes it, or turns it away when full
        }
        // Each is hung up on: at once when it sends too much, after a second when it says nothing.
        for (const auto &socket : bad)
            QTRY_COMPARE_WITH_TIMEOUT(socket->state(), QLocalSocket::UnconnectedState, 5000);
        SingleInstance second(home.path());
        QSignalSpy shown(&first, &SingleInstance::showRequested);
        QVERIFY(second.askFirstToShow(1000));
        QTRY_COMPARE(shown.count(), 1);
    }

    void theSocketFolderIsTheUsersAlone()
    {
        // A data folder too deep for a socket name, and no runtime folder: the temporary folder is
        // shared with other users, so the socket goes into a folder of its own there.
        QTemporaryDir home;
        QTemporaryDir temp;
        const QString deep = home.filePath(QString(120, u'x'));
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        const QByteArray tmpdir = qgetenv("TMPDIR");
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(temp.path()));
        const QString socket = SingleInstance::socketPath(deep);
        const QString folder = QFileInfo(socket).absolutePath();
        QVERIFY(folder.startsWith(temp.path() + u'/'));
        {
            SingleInstance first(deep);
            QVERIFY(first.listen());
            QCOMPARE(QFileInfo(folder).permissions() & 0x0077, QFileDevice::Permissions());
        }
        // Someone else's (open to others): nothing listens or talks there.
        QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));
        SingleInstance first(deep);
        QVERIFY(!first.listen());
        qputenv("XDG_RUNTIME_DIR", runtime);
        qputenv("TMPDIR", tmpdir);
        if (tmpdir.isNull())
            qunsetenv("TMPDIR");
    }

    void withoutAFolderNothingIsGuarded()
    {
        SingleInstance instance{QString()};
        QCOMPARE(instance.role(), SingleInstance::Role::unguarded);
        QVERIFY(!instance.listen());
        QVERIFY(!instance.askFirstToShow(10));
    }

    void socketNamesFitAUnixAddress()
    {
        QCOMPARE(SingleInstance::socketPath("/home/a/.local/share/Kivvo"),
                 QStringLiteral("/home/a/.local/share/Kivvo/kivvo.socket"));
        const QString deep = "/home/" + QString(120, QLatin1Char('x')) + "/Kivvo";
        const QString path = SingleInstance::socketPath(deep);
        QVERIFY(path.size() < 108);
        QVERIFY(!path.startsWith(deep));
        QVERIFY(path != SingleInstance::socketPath(deep + "2"));
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
