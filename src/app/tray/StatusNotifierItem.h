#pragma once

#include "StatusItem.h"

#include <QByteArray>
#include <QDBusConnection>
#include <QList>
#include <QMetaType>
#include <QString>

class QDBusArgument;
class QDBusServiceWatcher;
class NotifierAdaptor;

/// One icon size as StatusNotifier hosts take it: ARGB32 pixels in network byte order.
struct NotifierPixmap {
    int width = 0;
    int height = 0;
    QByteArray argb;

    /// The image's pixels in that form.
    static NotifierPixmap fromImage(const QImage &image);
};
using NotifierPixmaps = QList<NotifierPixmap>;

/// The tooltip as hosts take it: an icon (by name or pixels), a title and a description.
struct NotifierToolTip {
    QString iconName;
    NotifierPixmaps pixmaps;
    QString title;
    QString description;
};

QDBusArgument &operator<<(QDBusArgument &out, const NotifierPixmap &pixmap);
const QDBusArgument &operator>>(const QDBusArgument &in, NotifierPixmap &pixmap);
QDBusArgument &operator<<(QDBusArgument &out, const NotifierToolTip &tip);
const QDBusArgument &operator>>(const QDBusArgument &in, NotifierToolTip &tip);

Q_DECLARE_METATYPE(NotifierPixmap)
Q_DECLARE_METATYPE(NotifierToolTip)

/// The icon on a StatusNotifier host (Plasma, swaybar, waybar, the AppIndicator extension): an item on
/// the session bus that registers with the watcher, now and whenever a watcher appears later, and
/// passes on the host's click position.
class StatusNotifierItem : public StatusItem {
    Q_OBJECT

public:
    /// The watcher's bus name, object and interface.
    static constexpr auto watcherService = "org.kde.StatusNotifierWatcher";
    /// The item's object path, where hosts look for it.
    static constexpr auto objectPath = "/StatusNotifierItem";

    /// An item on `bus`; nothing is on the bus until the first `setAppearance`.
    explicit StatusNotifierItem(const QDBusConnection &bus, QObject *parent = nullptr);
    ~StatusNotifierItem() override;

    void setAppearance(const RockAppearance &appearance) override;
    /// Always empty: hosts do not tell where they draw the icon.
    QRectF geometry() const override;
    void hide() override;

    /// Whether a watcher is on the bus (a connected one) now.
    static bool hasWatcher(const QDBusConnection &bus);
    /// The item's conventional bus name, for tools; empty while it is not on the bus. Hosts are told
    /// the connection's own name.
    QString serviceName() const { return m_service; }
    /// The icon's pixels at each size offered.
    const NotifierPixmaps &pixmaps() const { return m_pixmaps; }
    /// "Active" while shown, "Passive" once hidden.
    QString status() const { return m_shown ? QStringLiteral("Active") : QStringLiteral("Passive"); }

private:
    void show();
    void registerWithWatcher();

    QDBusConnection m_bus;
    QDBusServiceWatcher *m_watcher;
    NotifierAdaptor *m_adaptor;
    QString m_service;
    NotifierPixmaps m_pixmaps;
    bool m_shown = false;
};
