#include "LoginStart.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestLoginStart : public QObject {
    Q_OBJECT

private slots:
    // The Exec line as it stands in the file: quoted for the command line, then escaped for the entry.
    void execLineSurvivesAnyPath_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("plain") << u"/usr/bin/kivvo"_s << QByteArray(R"(Exec="/usr/bin/kivvo")");
        QTest::newRow("a space") << u"/opt/my apps/kivvo"_s << QByteArray(R"(Exec="/opt/my apps/kivvo")");
        QTest::newRow("a double quote") << u"/tmp/a\"b/kivvo"_s << QByteArray(R"(Exec="/tmp/a\\"b/kivvo")");
        QTest::newRow("a dollar") << u"/tmp/$HOME/kivvo"_s << QByteArray(R"(Exec="/tmp/\\$HOME/kivvo")");
        QTest::newRow("a backquote") << u"/tmp/`id`/kivvo"_s << QByteArray(R"(Exec="/tmp/\\`id\\`/kivvo")");
        QTest::newRow("a backslash") << u"/tmp/a\\b/kivvo"_s << QByteArray(R"(Exec="/tmp/a\\\\b/kivvo")");
        QTest::newRow("a percent sign") << u"/tmp/100%/kivvo"_s << QByteArray(R"(Exec="/tmp/100%%/kivvo")");
        QTest::newRow("Hangul") << u"/home/돌/kivvo"_s << u"Exec=\"/home/돌/kivvo\""_s.toUtf8();
        QTest::newRow("a line break") << u"/tmp/a\nHidden=true/kivvo"_s
                                      << QByteArray(R"(Exec="/tmp/a\nHidden=true/kivvo")");
    }
    void execLineSurvivesAnyPath()
    {
        QFETCH(QString, program);
        QFETCH(QByteArray, line);
        const QList<QByteArray> lines = LoginStart::entry(program).split('\n');
        QVERIFY(lines.contains(line));
        QVERIFY(!lines.contains("Hidden=true")); // nothing of the path becomes a key of its own
    }

    void onWritesTheEntryAndOffRemovesIt()
    {
        QTemporaryDir config;
        const LoginStart start(config.filePath(u"autostart"_s), u"/usr/bin/kivvo"_s);
        QVERIFY(!start.isOn());
        QVERIFY(start.setOn(false)); // nothing there to remove
        QVERIFY(start.setOn(true));  // the folder is made
        QVERIFY(start.isOn());
        QFile file(config.filePath(u"autostart/kivvo.desktop"_s));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), LoginStart::entry(u"/usr/bin/kivvo"_s));
        QVERIFY(start.setOn(false));
        QVERIFY(!start.isOn());
    }
};

QTEST_GUILESS_MAIN(TestLoginStart)
#include "tst_loginstart.moc"
