#include "StatusItems.h"
#include "StatusNotifierItem.h"
#include "PrivateBus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QSignalSpy>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {
/// A watcher that only records who registers; it lives on a connection of its own.
class FakeWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")

public:
    QStringList registered;

public slots:
    void RegisterStatusNotifierItem(const QString &service) { registered.append(service); }
};
} // namespace

class TestStatusNotifierItem : public QObject {
    Q_OBJECT

    PrivateBus bus;
    QString address;
    std::unique_ptr<FakeWatcher> watcher;
    int connections = 0;

    QDBusConnection hostBus() { return QDBusConnection(u"host"_s); }
    /// A fresh connection for the item under test, so that no name or object outlives its test.
    QDBusConnection itemBus()
    {
        return QDBusConnection::connectToBus(address, u"item%1"_s.arg(++connections));
    }
    void startWatcher()
    {
        QVERIFY(hostBus().registerObject(u"/StatusNotifierWatcher"_s, watcher.get(),
                                         QDBusConnection::ExportAllSlots));
        QVERIFY(hostBus().registerService(u"org.kde.StatusNotifierWatcher"_s));
    }
    void stopWatcher()
    {
        hostBus().unregisterService(u"org.kde.StatusNotifierWatcher"_s);
        hostBus().unregisterObject(u"/StatusNotifierWatcher"_s);
    }
    /// The item's property as the host reads it.
    QVariant property(const QString &service, const QString &name)
    {
        QDBusMessage get = QDBusMessage::createMethodCall(service, u"/StatusNotifierItem"_s,
                                                          u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
        get << u"org.kde.StatusNotifierItem"_s << name;
        QDBusPendingCall call = hostBus().asyncCall(get);
        // The item answers from this thread's event loop: wait by spinning it, never by blocking.
        if (!QTest::qWaitFor([&] { return call.isFinished(); }, 5000))
            return {};
        QDBusPendingReply<QDBusVariant> reply = call;
        return reply.isValid() ? reply.value().variant() : QVariant();
    }

private slots:
    void initTestCase()
    {
        if (!PrivateBus::isInstalled())
            QSKIP("dbus-daemon is not installed");
        address = bus.start();
        QVERIFY(!address.isEmpty());
        // Nothing here may reach the user's own bus, Qt's tray icon included.
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
        QVERIFY(QDBusConnection::connectToBus(address, u"host"_s).isConnected());
    }
    void init() { watcher = std::make_unique<FakeWatcher>(); }
    void cleanup() { stopWatcher(); }

    void registersAtStartAndWithEveryNewWatcher()
    {
        startWatcher();
        const QDBusConnection bus = itemBus();
        StatusItems items(bus);
        QVERIFY(items.isNotifierItem());
        items.setAppearance({});
        // By the connection's own name: a host that watches a conventional name may drop the item.
        const QString name = bus.baseService();
        QTRY_COMPARE_WITH_TIMEOUT(watcher->registered, QStringList{name}, 5000);
        // The host restarts: its new watcher must hear of the item again.
        stopWatcher();
        startWatcher();
        QTRY_COMPARE_WITH_TIMEOUT(watcher->registered, (QStringList{name, name}), 5000);
    }

    void aWatcherAppearingLaterTakesOverFromTheTray()
    {
        StatusItems items(itemBus());
        QVERIFY(!items.isNotifierItem());
        items.setAppearance({});
        startWatcher();
        QTRY_VERIFY_WITH_TIMEOUT(items.isNotifierItem(), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(watcher->registered.size(), 1, 5000);
        QVERIFY(hostBus().interface()->isServiceRegistered(watcher->registered.first()));
    }

    void activateCarriesTheHostsPoint()
    {
        startWatcher();
        StatusItems items(itemBus());
        items.setAppearance({});
        QTRY_COMPARE_WITH_TIMEOUT(watcher->registered.size(), 1, 5000);
        QSignalSpy clicked(&items, &StatusItem::clicked);
        QDBusMessage activate =
            QDBusMessage::createMethodCall(watcher->registered.first(), u"/StatusNotifierItem"_s,
                                           u"org.kde.StatusNotifierItem"_s, u"Activate"_s);
        activate << 812 << 14;
        hostBus().asyncCall(activate);
        QTRY_COMPARE_WITH_TIMEOUT(clicked.size(), 1, 5000);
        QCOMPARE(clicked.first().first().value<std::optional<QPointF>>(), std::optional(QPointF(812, 14)));
    }

    void hostsReadTheIconAndTheTooltip()
    {
        StatusNotifierItem item(itemBus());
        item.setAppearance({});
        const QString service = item.serviceName();
        QVERIFY(!service.isEmpty());

        const auto icon = property(service, u"IconPixmap"_s).value<QDBusArgument>();
        QCOMPARE(icon.currentSignature(), u"a(iiay)"_s);
        NotifierPixmaps pixmaps;
        icon >> pixmaps;
        QCOMPARE(pixmaps.size(), 2);
        QList<int> sizes;
        for (const NotifierPixmap &pixmap : pixmaps) {
            QCOMPARE(pixmap.width, pixmap.height);
            QCOMPARE(pixmap.argb.size(), pixmap.width * pixmap.height * 4);
            sizes.append(pixmap.width);
            // Network byte order puts alpha first: the rock covers the middle, the corner is clear.
            const int middle = (pixmap.height / 2 * pixmap.width + pixmap.width / 2) * 4;
            QCOMPARE(quint8(pixmap.argb.at(middle)), quint8(255));
            QCOMPARE(quint8(pixmap.argb.at(0)), quint8(0));
        }
        std::sort(sizes.begin(), sizes.end());
        QCOMPARE(sizes, (QList<int>{22, 44}));

        const auto tip = property(service, u"ToolTip"_s).value<QDBusArgument>();
        QCOMPARE(tip.currentSignature(), u"(sa(iiay)ss)"_s);
        NotifierToolTip toolTip;
        tip >> toolTip;
        QCOMPARE(toolTip.title, u"키보"_s);
        QCOMPARE(property(service, u"Title"_s).toString(), u"키보"_s);
        QCOMPARE(property(service, u"Id"_s).toString(), u"kivvo"_s);
        QCOMPARE(property(service, u"Status"_s).toString(), u"Active"_s);
        QCOMPARE(property(service, u"ItemIsMenu"_s).toBool(), false);
    }

    void hidingLeavesTheBus()
    {
        StatusNotifierItem item(itemBus());
        item.setAppearance({});
        const QString service = item.serviceName();
        QTRY_VERIFY_WITH_TIMEOUT(hostBus().interface()->isServiceRegistered(service), 5000);
        item.hide();
        QTRY_VERIFY_WITH_TIMEOUT(!hostBus().interface()->isServiceRegistered(service), 5000);
    }

    void withoutABusTheTrayStays()
    {
        const QDBusConnection none =
            QDBusConnection::connectToBus(u"unix:path=/nonexistent/bus"_s, u"none"_s);
        QVERIFY(!none.isConnected());
        StatusItems items(none);
        QVERIFY(!items.isNotifierItem());
        items.setAppearance({});
        items.hide();
    }
};

QTEST_MAIN(TestStatusNotifierItem)
#include "tst_statusnotifieritem.moc"
