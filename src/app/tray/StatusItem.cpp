#include "StatusItem.h"

#include "RockAsset.h"

#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>

using namespace Qt::Literals::StringLiterals;

TrayStatusItem::TrayStatusItem(QObject *parent) : StatusItem(parent), m_icon(new QSystemTrayIcon(this))
{
    m_icon->setToolTip(u"키보"_s);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // X11 trays report a quick second click as DoubleClick with no Trigger of its own.
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            emit clicked();
    });
}

QList<QImage> StatusItem::iconImages(const RockAppearance &appearance)
{
    // Hosts pick sizes from 16 to 48 pixels: offer the icon at one and two pixels a point.
    QImage image = RockAsset::menuBarIcon(appearance);
    image.setDevicePixelRatio(1);
    return {image.scaled(44, 44, Qt::KeepAspectRatio, Qt::SmoothTransformation),
            image.scaled(22, 22, Qt::KeepAspectRatio, Qt::SmoothTransformation)};
}

void TrayStatusItem::setAppearance(const RockAppearance &appearance)
{
    QIcon icon;
    for (const QImage &image : iconImages(appearance))
        icon.addPixmap(QPixmap::fromImage(image));
    m_icon->setIcon(icon);
    m_icon->show();
}

QRectF TrayStatusItem::geometry() const
{
    return m_icon->geometry();
}

void TrayStatusItem::hide()
{
    m_icon->hide();
}

bool TrayStatusItem::isTrayAvailable()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}
