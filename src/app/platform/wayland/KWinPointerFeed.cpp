#include "KWinPointerFeed.h"

#include "ScreenCoordinates.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>

/// The object KWin's script calls; it passes on only what KWin itself sends.
class KWinPointerSink : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kivvo.Pointer")

public:
    KWinPointerSink(QString sender, QObject *parent) : QObject(parent), m_sender(std::move(sender)) {}

public slots:
    /// Called by the script with the pointer's position, y down.
    void Moved(int x, int y)
    {
        if (calledFromDBus() && message().service() == m_sender)
            emit reported(x, y);
    }

signals:
    /// KWin reported a position.
    void reported(int x, int y);

private:
    QString m_sender;
};

namespace {
const QString kwinService = QStringLiteral("org.kde.KWin");
const QString scriptingPath = QStringLiteral("/Scripting");
const QString scriptingInterface = QStringLiteral("org.kde.kwin.Scripting");
const QString scriptInterface = QStringLiteral("org.kde.kwin.Script");
const QString busNameMarker = QStringLiteral("@KIVVO_BUS_NAME@");
// A quitting Kivvo waits this long for KWin to drop the script.
constexpr int unloadTimeoutMs = 250;
// KWin deletes an unloaded script later, and refuses the name until then.
constexpr int loadAttempts = 3;

/// Calls a method of KWin and waits for its answer until `deadline` at the latest.
QDBusMessage callKWin(QDBusConnection &bus, const QString &path, const QString &interface,
                      const QString &method, const QVariantList &arguments, QDeadlineTimer deadline)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kwinService, path, interface, method);
    call.setArguments(arguments);
    return bus.call(call, QDBus::Block, int(std::max<qint64>(1, deadline.remainingTime())));
}

/// Whether a call was answered without an error.
bool succeeded(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ReplyMessage;
}

/// The script, addressed to `busName`.
QString scriptFor(const QString &busName)
{
    QFile file(QStringLiteral(":/kwin/kivvo-pointer.js"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).replace(busNameMarker, busName);
}

/// Writes `text` to a new file in the user's runtime folder that only the user can read; empty on failure.
QString writePrivateFile(const QString &name, const QString &text)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty() || text.isEmpty())
        return {};
    const QString path = QDir(folder).filePath(name);
    QFile::remove(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return {};
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.remove();
        return {};
    }
    return path;
}
} // namespace

std::shared_ptr<KWinPointerFeed> KWinPointerFeed::start(QDBusConnection bus,
                                                        std::function<double()> primaryHeight, int timeoutMs)
{
    if (!bus.isConnected() || !bus.interface())
        return nullptr;
    const QDBusReply<QString> owner = bus.interface()->serviceOwner(kwinService);
    if (!owner.isValid() || owner.value().isEmpty())
        return nullptr;
    std::shared_ptr<KWinPointerFeed> feed(new KWinPointerFeed(bus, std::move(primaryHeight), owner.value()));
    if (!feed->load(timeoutMs))
        return nullptr;
    return feed;
}

KWinPointerFeed::KWinPointerFeed(QDBusConnection bus, std::function<double()> primaryHeight,
                                 QString kwinOwner)
    : m_bus(std::move(bus)), m_primaryHeight(std::move(primaryHeight)), m_kwinOwner(std::move(kwinOwner)),
      m_sink(new KWinPointerSink(m_kwinOwner, this))
{
    connect(m_sink, &KWinPointerSink::reported, this, &KWinPointerFeed::follow);
    if (QCoreApplication::instance())
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &KWinPointerFeed::stop);
}

KWinPointerFeed::~KWinPointerFeed()
{
    stop();
    m_bus.unregisterObject(QString::fromLatin1(objectPath));
    if (!m_scriptPath.isEmpty())
        QFile::remove(m_scriptPath);
}

bool KWinPointerFeed::load(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    if (!m_bus.registerObject(QString::fromLatin1(objectPath), m_sink, QDBusConnection::ExportAllSlots))
        return false;
    m_scriptPath =
        writePrivateFile(QStringLiteral("kivvo-pointer-%1.js").arg(QCoreApplication::applicationPid()),
                         scriptFor(m_bus.baseService()));
    if (m_scriptPath.isEmpty())
        return false;
    const QString name = QString::fromLatin1(scriptName);
    int id = -1;
    for (int attempt = 0; attempt < loadAttempts && id < 0 && !deadline.hasExpired(); ++attempt) {
        callKWin(m_bus, scriptingPath, scriptingInterface, QStringLiteral("unloadScript"), {name}, deadline);
        const QDBusMessage reply = callKWin(m_bus, scriptingPath, scriptingInterface,
                                            QStringLiteral("loadScript"), {m_scriptPath, name}, deadline);
        if (!succeeded(reply))
            break;
        id = reply.arguments().value(0, -1).toInt();
    }
    if (id < 0)
        return false;
    m_loaded = true;
    // Plasma 6 keeps the script's object under /Scripting; Plasma 5 put it at the root.
    const QString paths[] = {QStringLiteral("/Scripting/Script%1").arg(id), QStringLiteral("/%1").arg(id)};
    const bool running = std::any_of(std::begin(paths), std::end(paths), [&](const QString &path) {
        return succeeded(callKWin(m_bus, path, scriptInterface, QStringLiteral("run"), {}, deadline));
    });
    if (running && !m_hasPosition) {
        QEventLoop loop;
        QTimer timeout;
        timeout.setSingleShot(true);
        connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(m_sink, &KWinPointerSink::reported, &loop, &QEventLoop::quit);
        timeout.start(int(std::max<qint64>(0, deadline.remainingTime())));
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    // KWin has read the script once it reports.
    QFile::remove(m_scriptPath);
    m_scriptPath.clear();
    return m_hasPosition;
}

void KWinPointerFeed::stop()
{
    if (!m_loaded)
        return;
    m_loaded = false;
    QDBusMessage call = QDBusMessage::createMethodCall(kwinService, scriptingPath, scriptingInterface,
                                                       QStringLiteral("unloadScript"));
    call << QString::fromLatin1(scriptName);
    m_bus.call(call, QDBus::Block, unloadTimeoutMs);
}

QPointF KWinPointerFeed::position() const
{
    return ScreenCoordinates::flipped(m_lastPosition, m_primaryHeight());
}

void KWinPointerFeed::setListening(bool listening)
{
    m_listening = listening;
}

void KWinPointerFeed::follow(int x, int y)
{
    m_lastPosition = QPointF(x, y);
    m_hasPosition = true;
    if (m_listening)
        emit moved();
}

#include "KWinPointerFeed.moc"
