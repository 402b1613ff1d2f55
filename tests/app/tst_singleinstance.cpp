#include "SingleInstance.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>


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

    void aDeadOwnersLockIsTakenOver()
    {
        QTemporaryDir home;
        QFile lock(SingleInstance::lockPath(home.path()));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        // No process has this id (above the kernel's largest).
        lock.write("4194305\nkivvo\n\n");
        lock.close();
        SingleInstance instance(home.path());
        QCOMPARE(instance.role(), SingleInstance::Role::first);
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
