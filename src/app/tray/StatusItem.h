#pragma once

#include "RockAppearance.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QRectF>

#include <optional>

class QSystemTrayIcon;

/// The tray icon as the application shell uses it; tests stand in for it.
class StatusItem : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    /// Shows the rock of that look as the icon.
    virtual void setAppearance(const RockAppearance &appearance) = 0;
    /// The icon's rectangle in Qt's global coordinates; empty when the tray host does not tell.
    virtual QRectF geometry() const = 0;
    /// Takes the icon out of the tray.
    virtual void hide() = 0;

    /// The icon of that look at the sizes hosts pick from (44 and 22 pixels, in that order).
    static QList<QImage> iconImages(const RockAppearance &appearance);

signals:
    /// The user clicked the icon (a double click counts as a second click); `at` is where the tray host
    /// says the click was, in Qt's global coordinates, when it says.
    void clicked(std::optional<QPointF> at = std::nullopt);
};

/// The icon in the desktop's system tray.
class TrayStatusItem : public StatusItem {
    Q_OBJECT

public:
    explicit TrayStatusItem(QObject *parent = nullptr);

    void setAppearance(const RockAppearance &appearance) override;
    QRectF geometry() const override;
    void hide() override;

    /// Whether a tray host is there to show the icon.
    static bool isTrayAvailable();

private:
    QSystemTrayIcon *m_icon;
};
