#include "StatusItem.h"

#include "QtScreens.h"
#include "RockAsset.h"
#include "X11Support.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

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
    // On X11 Qt scales the icon's rectangle by the screen it last gave the icon's window; a tray that
    // moved to a monitor of another scale does not tell it. The window's own pixels, scaled by the
    // screen they are on now, are right from the first click.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget *window : windows) {
        if (!window->inherits("QSystemTrayIconSys") || !window->testAttribute(Qt::WA_WState_Created))
            continue;
        if (const std::optional<QRect> native = nativeFrame(window->winId()))
            return QtScreens::fromNative(*native);
    }
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
