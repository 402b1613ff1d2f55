#include "AppState.h"
#include "IdleRockMetrics.h"
#include "IdleRockRoll.h"
#include "PrivateBus.h"
#include "ShellPointerFeed.h"
#include "ShellRockLink.h"
#include "ShellRockSurface.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QMutex>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

/// Kivvo's shell extension as Kivvo sees it, on a thread of its own like the real one in the shell:
/// answers Follow and records every other call.
class FakeShellRock : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kivvo.ShellRock")

public:
    QPoint pointer{300, 200};
    double scale = 2;

    /// Every call so far, in order, with its arguments.
    QStringList calls() const
    {
        QMutexLocker lock(&m_mutex);
        return m_calls;
    }
    /// The last picture's bytes.
    QByteArray pixels() const
    {
        QMutexLocker lock(&m_mutex);
        return m_pixels;
    }

public slots:
    void Follow(int &x, int &y, double &scale)
    {
        record(QStringLiteral("Follow"));
        x = pointer.x();
        y = pointer.y();
        scale = this->scale;
    }
    void SetPicture(int width, int height, double scale, const QByteArray &pixels)
    {
        QMutexLocker lock(&m_mutex);
        m_calls << QStringLiteral("SetPicture %1 %2 %3").arg(width).arg(height).arg(scale);
        m_pixels = pixels;
    }
    void Place(int x, int y, double degrees) { record(QStringLiteral("Place %1 %2 %3").arg(x).arg(y).arg(degrees)); }
    void Hide() { record(QStringLiteral("Hide")); }
    void Release() { record(QStringLiteral("Release")); }

private:
    void record(const QString &call)
    {
        QMutexLocker lock(&m_mutex);
        m_calls << call;
    }

    mutable QMutex m_mutex;
    QStringList m_calls;
    QByteArray m_pixels;
};

class TestShellRock : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void open_data();
    void open();
    void feedFollowsTheShellAlone();
    void surfaceSendsTheUprightPictureOnceAndPlacesPerTurn();

private:
    /// Puts the shell on the bus, with the extension's object when `extension`.
    void startShell(bool extension);
    std::shared_ptr<ShellRockLink> openLink() { return ShellRockLink::open(*m_kivvoBus, 2000); }
    /// Sends a position to Kivvo from `from`, as the extension does.
    void sendMoved(QDBusConnection &from, QPoint position);
    /// The shell reports an extension's new state.
    void extensionStateChanged(const QString &id, int state);
    /// The fake shell's calls once it has had `count` (or after five seconds).
    QStringList callsAfter(int count);

    PrivateBus m_bus;
    QString m_address;
    int m_round = 0;
    std::unique_ptr<QDBusConnection> m_kivvoBus;
    std::unique_ptr<QDBusConnection> m_shellBus;
    QThread m_shellThread;
    FakeShellRock *m_shell = nullptr;
};

void TestShellRock::initTestCase()
{
    if (!PrivateBus::isInstalled())
        QSKIP("dbus-daemon is not installed");
    m_address = m_bus.start();
    QVERIFY(!m_address.isEmpty());
}

void TestShellRock::init()
{
    ++m_round;
    m_kivvoBus = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(m_address, QStringLiteral("kivvo%1").arg(m_round)));
    m_shellBus = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(m_address, QStringLiteral("shell%1").arg(m_round)));
    QVERIFY(m_kivvoBus->isConnected() && m_shellBus->isConnected());
}

void TestShellRock::cleanup()
{
    m_shellBus->unregisterService(QStringLiteral("org.gnome.Shell"));
    QDBusConnection::disconnectFromBus(m_shellBus->name());
    QDBusConnection::disconnectFromBus(m_kivvoBus->name());
    m_shellThread.quit();
    m_shellThread.wait();
    delete m_shell;
    m_shell = nullptr;
}

void TestShellRock::startShell(bool extension)
{
    m_shell = new FakeShellRock;
    m_shell->moveToThread(&m_shellThread);
    m_shellThread.start();
    if (extension)
        QVERIFY(m_shellBus->registerObject(QStringLiteral("/org/kivvo/ShellRock"), m_shell,
                                           QDBusConnection::ExportAllSlots));
    QVERIFY(m_shellBus->registerService(QStringLiteral("org.gnome.Shell")));
}

void TestShellRock::sendMoved(QDBusConnection &from, QPoint position)
{
    QDBusMessage signal = QDBusMessage::createTargetedSignal(
        m_kivvoBus->baseService(), QStringLiteral("/org/kivvo/ShellRock"), QStringLiteral("org.kivvo.ShellRock"),
        QStringLiteral("Moved"));
    signal << position.x() << position.y() << qulonglong(123);
    QVERIFY(from.send(signal));
}

void TestShellRock::extensionStateChanged(const QString &id, int state)
{
    QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/gnome/Shell"),
                                                     QStringLiteral("org.gnome.Shell.Extensions"),
                                                     QStringLiteral("ExtensionStateChanged"));
    signal << id << QVariantMap{{QStringLiteral("state"), double(state)}};
    QVERIFY(m_shellBus->send(signal));
}

QStringList TestShellRock::callsAfter(int count)
{
    (void)QTest::qWaitFor([&] { return m_shell->calls().size() >= count; }, 5000); // the caller compares
    return m_shell->calls();
}

void TestShellRock::open_data()
{
    QTest::addColumn<bool>("shell");
    QTest::addColumn<bool>("extension");
    QTest::newRow("no shell") << false << false;
    QTest::newRow("a shell without the extension") << true << false;
    QTest::newRow("the extension answers") << true << true;
}

void TestShellRock::open()
{
    QFETCH(bool, shell);
    QFETCH(bool, extension);
    if (shell)
        startShell(extension);

    const auto link = openLink();

    QCOMPARE(ShellRockLink::isShellOnBus(*m_kivvoBus), shell);
    QCOMPARE(link != nullptr, extension);
    if (link) {
        QCOMPARE(link->pointer(), QPoint(300, 200));
        QCOMPARE(link->scale(), 2.0);
    }
}

void TestShellRock::feedFollowsTheShellAlone()
{
    startShell(true);
    double height = 900;
    auto link = openLink();
    QVERIFY(link);
    auto feed = std::make_unique<ShellPointerFeed>(link, [&] { return height; });
    QSignalSpy moved(feed.get(), &PointerFeed::moved);
    QCOMPARE(feed->position(), QPointF(300, 700));

    // Not listening: the position is kept, nobody is woken.
    sendMoved(*m_shellBus, {10, 20});
    QTRY_COMPARE(feed->position(), QPointF(10, 880));
    QCOMPARE(moved.count(), 0);

    feed->setListening(true);
    height = 1080;
    sendMoved(*m_shellBus, {1439, 0});
    QTRY_COMPARE(moved.count(), 1);
    QCOMPARE(feed->position(), QPointF(1439, 1080));

    // Only the shell may move it.
    QDBusConnection stranger = QDBusConnection::connectToBus(m_address, QStringLiteral("stranger"));
    sendMoved(stranger, {5, 5});
    sendMoved(*m_shellBus, {6, 6}); // sent after the stranger's, so seen after it
    QTRY_COMPARE(moved.count(), 2);
    QCOMPARE(feed->position(), QPointF(6, 1074));
    QDBusConnection::disconnectFromBus(stranger.name());

    feed.reset();
    link.reset();
    QCOMPARE(callsAfter(2), (QStringList{"Follow", "Release"}));
}

void TestShellRock::surfaceSendsTheUprightPictureOnceAndPlacesPerTurn()
{
    startShell(true);
    AppState state(QString(), SaveData{});
    IdleRockMetrics metrics;
    IdleRockRoll roll;
    auto link = openLink();
    QVERIFY(link);
    {
        ShellRockSurface surface(link, &state, &metrics, &roll);
        surface.setFrame(QRect(515, 418, 92, 92));
        surface.show();
        QVERIFY(surface.isVisible());
        const QString picture = QStringLiteral("SetPicture 184 184 2"); // the 92-point square at scale 2
        QCOMPARE(callsAfter(3), (QStringList{"Follow", picture, "Place 515 418 0"}));
        // Premultiplied RGBA, rows packed: the rock's middle is opaque, the square's corner clear.
        const QByteArray pixels = m_shell->pixels();
        QCOMPARE(pixels.size(), 184 * 184 * 4);
        QCOMPARE(uchar(pixels[(92 * 184 + 92) * 4 + 3]), uchar(255));
        QCOMPARE(uchar(pixels[3]), uchar(0));

        // A frame that moves and turns the rock sends one placement, and no new picture.
        roll.drive(30, 1.0 / 60);
        const double degrees = roll.degrees();
        QVERIFY(degrees != 0);
        surface.setFrame(QRect(520, 420, 92, 92));
        QCOMPARE(callsAfter(4).last(), QStringLiteral("Place 520 420 %1").arg(degrees));

        // The shell turns the extension off and on around a screen lock: it forgot us and the rock.
        extensionStateChanged(QStringLiteral("another@example.org"), 1);
        extensionStateChanged(QStringLiteral("kivvo@kivvo.org"), 2);
        extensionStateChanged(QStringLiteral("kivvo@kivvo.org"), 1);
        QCOMPARE(callsAfter(7).mid(4),
                 (QStringList{"Follow", picture, QStringLiteral("Place 520 420 %1").arg(degrees)}));

        surface.hide();
        QVERIFY(!surface.isVisible());
        surface.setFrame(QRect(0, 0, 92, 92));
        QCOMPARE(callsAfter(8).last(), QStringLiteral("Hide"));
        QTest::qWait(50);
        QCOMPARE(m_shell->calls().size(), 8); // hidden: not placed
    }
    link.reset();
    QCOMPARE(callsAfter(9).last(), QStringLiteral("Release"));
}

QTEST_GUILESS_MAIN(TestShellRock)
#include "tst_shellrock.moc"
