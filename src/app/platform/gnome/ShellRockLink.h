#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPoint>
#include <QString>

#include <memory>

class QDBusMessage;
class QImage;

/// The conversation with Kivvo's GNOME Shell extension, which knows the pointer everywhere and shows
/// the rock above every window. The extension answers only the one client that asked it to follow,
/// and sends the pointer to that client alone.
class ShellRockLink : public QObject {
    Q_OBJECT

public:
    /// The extension's id, as `gnome-extensions` knows it.
    static constexpr const char *extensionId = "kivvo@kivvo.org";

    /// Whether GNOME Shell is on `bus` (with or without the extension).
    static bool isShellOnBus(QDBusConnection bus);
    /// Asks the extension to follow the pointer for us, waiting up to `timeoutMs` for its answer; null
    /// when there is no shell or no extension (missing, disabled or failed).
    static std::shared_ptr<ShellRockLink> open(QDBusConnection bus, int timeoutMs = 500);
    /// Lets the extension go, so its rock is removed at once.
    ~ShellRockLink() override;

    /// The pointer, in the shell's logical pixels (y down).
    QPoint pointer() const { return m_pointer; }
    /// The largest scale of the shell's monitors: the picture is drawn for it.
    double scale() const { return m_scale; }

    /// Gives the shell the rock's upright picture; shown from the next `place`.
    void setPicture(const QImage &picture);
    /// Shows the picture with its top left at `topLeft` (logical pixels, y down), turned clockwise.
    void place(QPoint topLeft, double degrees);
    /// Takes the rock off the screen; it keeps its picture.
    void hide();

signals:
    /// The pointer moved; `stampUs` is when the shell saw it (monotonic clock, microseconds).
    void moved(QPoint pointer, qint64 stampUs);
    /// The extension was turned off and on again (the shell does so around every screen lock) and
    /// follows for us again: it has forgotten the picture and the placement.
    void rejoined();

private slots:
    /// Takes a position the shell sent.
    void takeMoved(int x, int y, qulonglong stampUs);
    /// Asks the extension to follow again once the shell has turned it back on.
    void followExtensionState(const QString &id, const QVariantMap &state);
    /// Takes the answer to Follow; a renewed one means the extension forgot us in between.
    void applyFollow(const QDBusMessage &reply);

private:
    ShellRockLink(QDBusConnection bus, QString shell);

    /// Sends a call without waiting: the rock is placed every frame.
    void send(const QString &method, const QVariantList &arguments);

    QDBusConnection m_bus;
    QString m_shell; ///< the shell's unique bus name: only it may report positions
    QPoint m_pointer;
    double m_scale = 1;
    bool m_answered = false; ///< Follow was answered once
};
