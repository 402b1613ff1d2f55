#include "KWinPointerFeed.h"
#include "PrivateBus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>

class FakeKWin;

/// A loaded script's object; KWin runs the script when asked.
class FakeScript : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.kwin.Script")

public:
    FakeScript(FakeKWin *kwin, QString file);

public slots:
    void run();
    void stop() {}

private:
    FakeKWin *m_kwin;
    QString m_file;
};

/// KWin's scripting service as Kivvo uses it, on its own thread like the real one in its own process:
/// records every call, refuses a name that is still loaded, and on run reads the script and reports
/// a first position to the bus name the script calls.
class FakeKWin : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.kwin.Scripting")

public:
    FakeKWin(QDBusConnection bus, bool plasma6) : m_bus(bus), m_plasma6(plasma6) {}

    std::atomic<bool> answers = true; ///< whether run reports a first position
    QPoint first{100, 200};           ///< that position, y down

    /// Every call so far, in order.
    QStringList calls() const
    {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }
    /// The script's text and permissions when it was run.
    QPair<QString, QFileDevice::Permissions> script() const
    {
        QMutexLocker lock(&m_mutex);
        return {m_scriptText, m_scriptPermissions};
    }
    /// How many scripts of a name are loaded.
    int loadedCount(const QString &name) const
    {
        QMutexLocker lock(&m_mutex);
        return m_loaded.count(name);
    }
    /// As if an earlier Kivvo had loaded its script and died.
    void leaveScript(const QString &name)
    {
        QMutexLocker lock(&m_mutex);
        m_loaded.append(name);
    }

    /// Runs a script from its file.
    void ran(const QString &file)
    {
        QFile script(file);
        script.open(QIODevice::ReadOnly);
        const QString text = QString::fromUtf8(script.readAll());
        {
            QMutexLocker lock(&m_mutex);
            m_calls << QStringLiteral("run");
            m_scriptText = text;
            m_scriptPermissions = script.permissions();
        }
        const auto match = QRegularExpression(QStringLiteral("callDBus\\(\"([^\"]+)\"")).match(text);
        if (answers && match.hasMatch())
            sendMoved(match.captured(1), first);
    }
    /// Calls Kivvo's object as the script does.
    void sendMoved(const QString &busName, QPoint position)
    {
        QDBusMessage call =
            QDBusMessage::createMethodCall(busName, QStringLiteral("/org/kivvo/Pointer"),
                                           QStringLiteral("org.kivvo.Pointer"), QStringLiteral("Moved"));
        call << position.x() << position.y();
        m_bus.send(call);
    }

public slots:
    int loadScript(const QString &file, const QString &name)
    {
        QMutexLocker lock(&m_mutex);
        m_calls << QStringLiteral("load ") + name;
        if (m_loaded.contains(name))
            return -1;
        m_loaded.append(name);
        const int id = m_nextId++;
        const QString path =
            m_plasma6 ? QStringLiteral("/Scripting/Script%1").arg(id) : QStringLiteral("/%1").arg(id);
        m_bus.registerObject(path, new FakeScript(this, file), QDBusConnection::ExportAllSlots);
        return id;
    }
    bool unloadScript(const QString &name)
    {
        QMutexLocker lock(&m_mutex);
        m_calls << QStringLiteral("unload ") + name;
        return m_loaded.removeOne(name);
    }

private:
    QDBusConnection m_bus;
    bool m_plasma6;
    mutable QMutex m_mutex;
    QStringList m_calls;
    QStringList m_loaded;
    int m_nextId = 0;
    QString m_scriptText;
    QFileDevice::Permissions m_scriptPermissions;
};

FakeScript::FakeScript(FakeKWin *kwin, QString file) : QObject(kwin), m_kwin(kwin), m_file(std::move(file)) {}

void FakeScript::run()
{
    m_kwin->ran(m_file);
}

class TestKWinPointerFeed : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void start_data();
    void start();
    void followsKWin();
    void unloadsWhenDestroyed();

private:
    /// Puts a fake KWin on the bus.
    void startKWin(bool plasma6);
    std::shared_ptr<KWinPointerFeed> startFeed();
    /// Script files left in the runtime folder.
    QStringList scriptFiles() const;

    PrivateBus m_bus;
    QString m_address;
    QTemporaryDir m_runtime;
    int m_round = 0;
    std::unique_ptr<QDBusConnection> m_feedBus;
    std::unique_ptr<QDBusConnection> m_kwinBus;
    QThread m_kwinThread;
    FakeKWin *m_kwin = nullptr;
    double m_height = 900;
};

void TestKWinPointerFeed::initTestCase()
{
    if (!PrivateBus::isInstalled())
        QSKIP("dbus-daemon is not installed");
    QVERIFY(m_runtime.isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    m_address = m_bus.start();
    QVERIFY(!m_address.isEmpty());
}

void TestKWinPointerFeed::init()
{
    ++m_round;
    m_height = 900;
    m_feedBus = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(m_address, QStringLiteral("feed%1").arg(m_round)));
    m_kwinBus = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(m_address, QStringLiteral("kwin%1").arg(m_round)));
    QVERIFY(m_feedBus->isConnected());
    QVERIFY(m_kwinBus->isConnected());
}

void TestKWinPointerFeed::cleanup()
{
    // Released at once, not whenever the closed connection is noticed, so the next test can own it.
    m_kwinBus->unregisterService(QStringLiteral("org.kde.KWin"));
    QDBusConnection::disconnectFromBus(m_kwinBus->name());
    QDBusConnection::disconnectFromBus(m_feedBus->name());
    m_kwinThread.quit();
    m_kwinThread.wait();
    delete m_kwin;
    m_kwin = nullptr;
}

void TestKWinPointerFeed::startKWin(bool plasma6)
{
    m_kwin = new FakeKWin(*m_kwinBus, plasma6);
    m_kwin->moveToThread(&m_kwinThread);
    m_kwinThread.start();
    QVERIFY(m_kwinBus->registerObject(QStringLiteral("/Scripting"), m_kwin, QDBusConnection::ExportAllSlots));
    QVERIFY(m_kwinBus->registerService(QStringLiteral("org.kde.KWin")));
}

std::shared_ptr<KWinPointerFeed> TestKWinPointerFeed::startFeed()
{
    return KWinPointerFeed::start(*m_feedBus, [this] { return m_height; });
}

QStringList TestKWinPointerFeed::scriptFiles() const
{
    return QDir(m_runtime.path()).entryList({QStringLiteral("*.js")}, QDir::Files);
}

void TestKWinPointerFeed::start_data()
{
    QTest::addColumn<bool>("kwin");
    QTest::addColumn<bool>("plasma6");
    QTest::addColumn<bool>("answers");
    QTest::addColumn<bool>("leftover");
    QTest::addColumn<QStringList>("calls");

    const QStringList loads{"unload kivvo-pointer", "load kivvo-pointer", "run"};
    QTest::newRow("plasma 5") << true << false << true << false << loads;
    QTest::newRow("plasma 6") << true << true << true << false << loads;
    QTest::newRow("a script left by a crash") << true << false << true << true << loads;
    QTest::newRow("no first position")
        << true << false << false << false << (loads + QStringList{"unload kivvo-pointer"});
    QTest::newRow("no KWin") << false << false << true << false << QStringList{};
}

void TestKWinPointerFeed::start()
{
    QFETCH(bool, kwin);
    QFETCH(bool, plasma6);
    QFETCH(bool, answers);
    QFETCH(bool, leftover);
    QFETCH(QStringList, calls);
    if (kwin) {
        startKWin(plasma6);
        m_kwin->answers = answers;
        if (leftover)
            m_kwin->leaveScript(QStringLiteral("kivvo-pointer"));
    }

    const auto feed = startFeed();

    QCOMPARE(feed != nullptr, answers && kwin);
    QVERIFY(scriptFiles().isEmpty());
    if (!kwin)
        return;
    QCOMPARE(m_kwin->calls(), calls);
    const auto [text, permissions] = m_kwin->script();
    QVERIFY(text.contains(QStringLiteral("callDBus(\"%1\"").arg(m_feedBus->baseService())));
    QCOMPARE(permissions, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                              QFileDevice::WriteUser);
    QCOMPARE(m_kwin->loadedCount(QStringLiteral("kivvo-pointer")), feed ? 1 : 0);
    if (feed)
        QCOMPARE(feed->position(), QPointF(100, 700));
}

void TestKWinPointerFeed::followsKWin()
{
    startKWin(false);
    const auto feed = startFeed();
    QVERIFY(feed);
    QSignalSpy moved(feed.get(), &PointerFeed::moved);
    const QString kivvo = m_feedBus->baseService();

    // Not listening: the position is kept, nobody is woken.
    m_kwin->sendMoved(kivvo, {10, 20});
    QTRY_COMPARE(feed->position(), QPointF(10, 880));
    QCOMPARE(moved.count(), 0);

    feed->setListening(true);
    m_height = 1080;
    m_kwin->sendMoved(kivvo, {1439, 0});
    QTRY_COMPARE(moved.count(), 1);
    QCOMPARE(feed->position(), QPointF(1439, 1080));

    // Only KWin may move it.
    QDBusConnection stranger = QDBusConnection::connectToBus(m_address, QStringLiteral("stranger"));
    QDBusMessage call =
        QDBusMessage::createMethodCall(kivvo, QStringLiteral("/org/kivvo/Pointer"),
                                       QStringLiteral("org.kivvo.Pointer"), QStringLiteral("Moved"));
    call << 5 << 5;
    const QDBusPendingCall pending = stranger.asyncCall(call);
    QTRY_VERIFY(pending.isFinished());
    QCOMPARE(feed->position(), QPointF(1439, 1080));
    QCOMPARE(moved.count(), 1);
    QDBusConnection::disconnectFromBus(stranger.name());
}

void TestKWinPointerFeed::unloadsWhenDestroyed()
{
    startKWin(true);
    auto feed = startFeed();
    QVERIFY(feed);
    QCOMPARE(m_kwin->loadedCount(QStringLiteral("kivvo-pointer")), 1);

    feed.reset();

    QCOMPARE(m_kwin->calls().last(), QStringLiteral("unload kivvo-pointer"));
    QCOMPARE(m_kwin->loadedCount(QStringLiteral("kivvo-pointer")), 0);
}

QTEST_GUILESS_MAIN(TestKWinPointerFeed)
#include "tst_kwinpointerfeed.moc"
