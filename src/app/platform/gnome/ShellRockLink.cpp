#include "ShellRockLink.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QImage>

#include <algorithm>
#include <utility>

namespace {
const QString shellService = QStringLiteral("org.gnome.Shell");
const QString rockPath = QStringLiteral("/org/kivvo/ShellRock");
const QString rockInterface = QStringLiteral("org.kivvo.ShellRock");
const QString shellPath = QStringLiteral("/org/gnome/Shell");
const QString extensionsInterface = QStringLiteral("org.gnome.Shell.Extensions");
// The state the shell reports for an extension that is on.
constexpr int extensionEnabled = 1;
// The extension refuses larger scales; a wrong answer must not make a huge picture.
constexpr double largestScale = 8;
} // namespace

bool ShellRockLink::isShellOnBus(QDBusConnection bus)
{
    return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(shellService);
}

std::shared_ptr<ShellRockLink> ShellRockLink::open(QDBusConnection bus, int timeoutMs)
{
    if (!isShellOnBus(bus))
        return nullptr;
    const QDBusMessage call = QDBusMessage::createMethodCall(shellService, rockPath, rockInterface,
                                                             QStringLiteral("Follow"));
    const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 3)
        return nullptr;
    std::shared_ptr<ShellRockLink> link(new ShellRockLink(bus, reply.service()));
    link->applyFollow(reply);
    return link;
}

ShellRockLink::ShellRockLink(QDBusConnection bus, QString shell) : m_bus(std::move(bus)), m_shell(std::move(shell))
{
    // Addressed to us alone; the sender is checked by its unique name.
    m_bus.connect(m_shell, rockPath, rockInterface, QStringLiteral("Moved"), this,
                  SLOT(takeMoved(int, int, qulonglong)));
    m_bus.connect(m_shell, shellPath, extensionsInterface, QStringLiteral("ExtensionStateChanged"), this,
                  SLOT(followExtensionState(QString, QVariantMap)));
}

ShellRockLink::~ShellRockLink()
{
    m_bus.disconnect(m_shell, rockPath, rockInterface, QStringLiteral("Moved"), this,
                     SLOT(takeMoved(int, int, qulonglong)));
    m_bus.disconnect(m_shell, shellPath, extensionsInterface, QStringLiteral("ExtensionStateChanged"), this,
                     SLOT(followExtensionState(QString, QVariantMap)));
    send(QStringLiteral("Release"), {});
}

void ShellRockLink::setPicture(const QImage &picture)
{
    const QImage rgba = picture.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    // Rows packed one after the other, as the shell expects them.
    QByteArray pixels;
    pixels.reserve(rgba.width() * rgba.height() * 4);
    for (int y = 0; y < rgba.height(); ++y)
        pixels.append(reinterpret_cast<const char *>(rgba.constScanLine(y)), rgba.width() * 4);
    send(QStringLiteral("SetPicture"), {rgba.width(), rgba.height(), rgba.devicePixelRatio(), pixels});
}

void ShellRockLink::place(QPoint topLeft, double degrees)
{
    send(QStringLiteral("Place"), {topLeft.x(), topLeft.y(), degrees});
}

void ShellRockLink::hide()
{
    send(QStringLiteral("Hide"), {});
}

void ShellRockLink::takeMoved(int x, int y, qulonglong stampUs)
{
    m_pointer = QPoint(x, y);
    emit moved(m_pointer, qint64(stampUs));
}

void ShellRockLink::followExtensionState(const QString &id, const QVariantMap &state)
{
    if (id != QLatin1String(extensionId) || state.value(QStringLiteral("state")).toInt() != extensionEnabled)
        return;
    const QDBusMessage call = QDBusMessage::createMethodCall(m_shell, rockPath, rockInterface, QStringLiteral("Follow"));
    m_bus.callWithCallback(call, this, SLOT(applyFollow(QDBusMessage)));
}

void ShellRockLink::applyFollow(const QDBusMessage &reply)
{
    const QVariantList values = reply.arguments();
    if (values.size() != 3)
        return;
    const bool again = std::exchange(m_answered, true);
    m_pointer = QPoint(values[0].toInt(), values[1].toInt());
    m_scale = std::clamp(values[2].toDouble(), 1.0, largestScale);
    if (again)
        emit rejoined();
}

void ShellRockLink::send(const QString &method, const QVariantList &arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(m_shell, rockPath, rockInterface, method);
    call.setArguments(arguments);
    m_bus.send(call);
}
