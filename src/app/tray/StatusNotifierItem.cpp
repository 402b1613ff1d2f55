#include "StatusNotifierItem.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QtEndian>

using namespace Qt::Literals::StringLiterals;

NotifierPixmap NotifierPixmap::fromImage(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    NotifierPixmap pixmap{argb.width(), argb.height(), QByteArray(argb.width() * argb.height() * 4, '\0')};
    uchar *out = reinterpret_cast<uchar *>(pixmap.argb.data());
    for (int y = 0; y < argb.height(); ++y) {
        const auto *line = reinterpret_cast<const quint32 *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x, out += 4)
            qToBigEndian<quint32>(line[x], out);
    }
    return pixmap;
}

QDBusArgument &operator<<(QDBusArgument &out, const NotifierPixmap &pixmap)
{
    out.beginStructure();
    out << pixmap.width << pixmap.height << pixmap.argb;
    out.endStructure();
    return out;
}

const QDBusArgument &operator>>(const QDBusArgument &in, NotifierPixmap &pixmap)
{
    in.beginStructure();
    in >> pixmap.width >> pixmap.height >> pixmap.argb;
    in.endStructure();
    return in;
}

QDBusArgument &operator<<(QDBusArgument &out, const NotifierToolTip &tip)
{
    out.beginStructure();
    out << tip.iconName << tip.pixmaps << tip.title << tip.description;
    out.endStructure();
    return out;
}

const QDBusArgument &operator>>(const QDBusArgument &in, NotifierToolTip &tip)
{
    in.beginStructure();
    in >> tip.iconName >> tip.pixmaps >> tip.title >> tip.description;
    in.endStructure();
    return in;
}

/// The item's face on the bus: what hosts read and call.
class NotifierAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconName READ iconName)
    Q_PROPERTY(NotifierPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(NotifierToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)

public:
    explicit NotifierAdaptor(StatusNotifierItem *item) : QDBusAbstractAdaptor(item), m_item(item) {}

    QString category() const { return u"ApplicationStatus"_s; }
    QString id() const { return u"kivvo"_s; }
    QString title() const { return u"키보"_s; }
    QString status() const { return m_item->status(); }
    int windowId() const { return 0; }
    QString iconName() const { return {}; } // the pixels are the icon
    NotifierPixmaps iconPixmap() const { return m_item->pixmaps(); }
    NotifierToolTip toolTip() const { return {{}, {}, title(), {}}; }
    bool itemIsMenu() const { return false; } // a click opens the panel; there is no menu
    QDBusObjectPath menu() const { return QDBusObjectPath(u"/NO_DBUSMENU"_s); }

public slots:
    /// A primary click; the point is where the host says it was.
    void Activate(int x, int y) { emit m_item->clicked(QPointF(x, y)); }
    /// A middle click: nothing, as on XEmbed trays.
    void SecondaryActivate(int, int) {}
    /// A right click: there is no menu; nothing, as on XEmbed trays.
    void ContextMenu(int, int) {}
    /// The wheel over the icon: nothing.
    void Scroll(int, const QString &) {}

signals:
    void NewIcon();
    void NewToolTip();
    void NewTitle();
    void NewStatus(const QString &status);

private:
    StatusNotifierItem *m_item;
};

StatusNotifierItem::StatusNotifierItem(const QDBusConnection &bus, QObject *parent)
    : StatusItem(parent), m_bus(bus),
      m_watcher(new QDBusServiceWatcher(QString::fromLatin1(watcherService), m_bus,
                                        QDBusServiceWatcher::WatchForRegistration, this)),
      m_adaptor(new NotifierAdaptor(this))
{
    qDBusRegisterMetaType<NotifierPixmap>();
    qDBusRegisterMetaType<NotifierPixmaps>();
    qDBusRegisterMetaType<NotifierToolTip>();
    // A host that starts after us (a login race) brings a new watcher that has never heard of us.
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        if (m_shown)
            registerWithWatcher();
    });
}

StatusNotifierItem::~StatusNotifierItem()
{
    hide();
}

void StatusNotifierItem::setAppearance(const RockAppearance &appearance)
{
    m_pixmaps.clear();
    for (const QImage &image : iconImages(appearance))
        m_pixmaps.append(NotifierPixmap::fromImage(image));
    if (m_shown)
        emit m_adaptor->NewIcon();
    else
        show();
}

QRectF StatusNotifierItem::geometry() const
{
    return {};
}

void StatusNotifierItem::show()
{
    if (!m_bus.isConnected() || !m_bus.registerObject(QString::fromLatin1(objectPath), this))
        return;
    // The conventional name, so hosts and tools can tell the item by it; the connection's own name
    // serves if that one is taken.
    const QString wanted = u"org.kde.StatusNotifierItem-%1-1"_s.arg(QCoreApplication::applicationPid());
    m_service = m_bus.registerService(wanted) ? wanted : m_bus.baseService();
    m_shown = true;
    registerWithWatcher();
}

void StatusNotifierItem::hide()
{
    if (!m_shown)
        return;
    m_shown = false;
    emit m_adaptor->NewStatus(status());
    m_bus.unregisterObject(QString::fromLatin1(objectPath));
    if (m_service != m_bus.baseService())
        m_bus.unregisterService(m_service);
    m_service.clear();
}

bool StatusNotifierItem::hasWatcher(const QDBusConnection &bus)
{
    return bus.isConnected() && bus.interface()->isServiceRegistered(QString::fromLatin1(watcherService));
}

void StatusNotifierItem::registerWithWatcher()
{
    // Asynchronous: the watcher may be slow, gone, or (in tests) in this very process. Without one
    // the call fails quietly and the next watcher is told when it appears.
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(watcherService), u"/StatusNotifierWatcher"_s,
                                       u"org.kde.StatusNotifierWatcher"_s, u"RegisterStatusNotifierItem"_s);
    // Told by the connection's own name, not the conventional one: the AppIndicator extension watches
    // a conventional name a second time, and that watch's first report races its own setup and drops
    // the item about one start in three. A connection's name needs no such watch.
    call << m_bus.baseService();
    m_bus.asyncCall(call);
}

#include "StatusNotifierItem.moc"
