#include "ShellRockLink.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QImage>

namespace {
const QString shellService = QStringLiteral("org.gnome.Shell");
const QString rockPath = QStringLiteral("/org/kivvo/ShellRock");
const QString rockInterface = QStringLiteral("org.kivvo.ShellRock");
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
    const QVariantList values = reply.arguments();
    if (reply.type() != QDBusMessage::ReplyMessage || values.size() != 3)
        return nullptr;
    const double scale = std::clamp(values[2].toDouble(), 1.0, largestScale);
    return std::shared_ptr<ShellRockLink>(
        new ShellRockLink(bus, reply.service(), QPoint(values[0].toInt(), values[1].toInt()), scale));
}

ShellRockLink::ShellRockLink(QDBusConnection bus, QString shell, QPoint pointer, double scale)
    : m_bus(std::move(bus)), m_shell(std::move(shell)), m_pointer(pointer), m_scale(scale)
{
    // Addressed to us alone; the sender is checked by its unique name.
    m_bus.connect(m_shell, rockPath, rockInterface, QStringLiteral("Moved"), this,
                  SLOT(takeMoved(int, int, qulonglong)));
}

ShellRockLink::~ShellRockLink()
{
    m_bus.disconnect(m_shell, rockPath, rockInterface, QStringLiteral("Moved"), this,
                     SLOT(takeMoved(int, int, qulonglong)));
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

void ShellRockLink::send(const QString &method, const QVariantList &arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(m_shell, rockPath, rockInterface, method);
    call.setArguments(arguments);
    m_bus.send(call);
}
