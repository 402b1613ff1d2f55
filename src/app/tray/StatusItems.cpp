#include "StatusItems.h"

#include "StatusNotifierItem.h"

#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace {
// A watcher that has not answered this soon is as good as none.
constexpr int watcherTimeoutMs = 500;
} // namespace

bool StatusItems::isAvailable(const QDBusConnection &bus)
{
    if (!StatusNotifierItem::hasWatcher(bus))
        return TrayStatusItem::isTrayAvailable();
    // Asked of the watcher directly: Qt's own check introspects it into an interface it never frees.
    const QString watcher = QString::fromLatin1(StatusNotifierItem::watcherService);
    QDBusMessage get = QDBusMessage::createMethodCall(watcher, QStringLiteral("/StatusNotifierWatcher"),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << watcher << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus.call(get, QDBus::Block, watcherTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage &&
           reply.arguments().value(0).value<QDBusVariant>().variant().toBool();
}

StatusItems::StatusItems(const QDBusConnection &bus, QObject *parent) : StatusItem(parent), m_bus(bus)
{
    if (StatusNotifierItem::hasWatcher(m_bus)) {
        use(std::make_unique<StatusNotifierItem>(m_bus), true);
        return;
    }
    use(std::make_unique<TrayStatusItem>(), false);
    if (!m_bus.isConnected())
        return;
    // Qt's icon never registers with a watcher that comes after it: take over when one does.
    m_watcher = new QDBusServiceWatcher(QString::fromLatin1(StatusNotifierItem::watcherService), m_bus,
                                        QDBusServiceWatcher::WatchForRegistration, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, &StatusItems::switchToNotifier);
}

StatusItems::~StatusItems() = default;

void StatusItems::use(std::unique_ptr<StatusItem> item, bool notifier)
{
    m_item = std::move(item);
    m_isNotifier = notifier;
    connect(m_item.get(), &StatusItem::clicked, this, &StatusItem::clicked);
}

void StatusItems::switchToNotifier()
{
    // Once: the notifier item registers again with any later watcher by itself.
    m_watcher->deleteLater();
    m_watcher = nullptr;
    m_item->hide();
    use(std::make_unique<StatusNotifierItem>(m_bus), true);
    if (m_look && !m_hidden)
        m_item->setAppearance(*m_look);
}

void StatusItems::setAppearance(const RockAppearance &appearance)
{
    m_look = appearance;
    m_hidden = false;
    m_item->setAppearance(appearance);
}

QRectF StatusItems::geometry() const
{
    return m_item->geometry();
}

void StatusItems::hide()
{
    m_hidden = true;
    m_item->hide();
}
