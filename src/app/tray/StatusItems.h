#pragma once

#include "StatusItem.h"

#include <QDBusConnection>

#include <memory>
#include <optional>

class QDBusServiceWatcher;

/// The icon through whichever tray the session has: our StatusNotifierItem when a watcher is on the
/// bus, else Qt's tray icon for XEmbed trays, handing over to the former when a watcher appears later.
/// Never both at once: Qt's icon speaks StatusNotifier itself when a watcher exists at its creation.
class StatusItems : public StatusItem {
    Q_OBJECT

public:
    /// Chooses by what `bus` offers now; without a connected bus it is Qt's tray icon for good.
    explicit StatusItems(const QDBusConnection &bus, QObject *parent = nullptr);
    ~StatusItems() override;

    void setAppearance(const RockAppearance &appearance) override;
    QRectF geometry() const override;
    void hide() override;

    /// Whether a tray host on `bus` or an XEmbed tray shows the icon now.
    static bool isAvailable(const QDBusConnection &bus);

    /// Whether the icon goes through StatusNotifier now.
    bool isNotifierItem() const { return m_isNotifier; }

private:
    void use(std::unique_ptr<StatusItem> item, bool notifier);
    void switchToNotifier();

    QDBusConnection m_bus;
    std::unique_ptr<StatusItem> m_item;
    bool m_isNotifier = false;
    std::optional<RockAppearance> m_look; ///< the last look set, for an item made later
    bool m_hidden = false;
    QDBusServiceWatcher *m_watcher = nullptr;
};
