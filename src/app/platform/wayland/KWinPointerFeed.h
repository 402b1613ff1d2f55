#pragma once

#include "PointerFeed.h"

#include <QDBusConnection>
#include <QString>

#include <functional>
#include <memory>

class KWinPointerSink;

/// The pointer as KWin knows it, over native windows and the empty desktop too: a small KWin script
/// that Kivvo loads over D-Bus reports every change of position to an object of Kivvo's own. Nothing
/// is sent while the pointer rests.
class KWinPointerFeed : public PointerFeed {
    Q_OBJECT

public:
    /// The name the script is loaded under; a script left by a Kivvo that died is unloaded by it.
    static constexpr const char *scriptName = "kivvo-pointer";
    /// Where KWin calls with each position.
    static constexpr const char *objectPath = "/org/kivvo/Pointer";

    /// Loads the script into the KWin on `bus` and waits up to `timeoutMs` for the first position;
    /// null when there is no KWin, it refuses the script, or no position comes. `primaryHeight` turns
    /// KWin's y-down positions into desktop coordinates.
    static std::shared_ptr<KWinPointerFeed> start(QDBusConnection bus, std::function<double()> primaryHeight,
                                                  int timeoutMs = 500);
    ~KWinPointerFeed() override;

    QPointF position() const override;
    void setListening(bool listening) override;
    bool reportsMotion() const override { return true; }
    /// KWin reports every change of position, a warp included.
    bool reportsWarps() const override { return true; }

    /// Unloads the script (also when the application is about to quit); the feed then stands still.
    void stop();

private:
    KWinPointerFeed(QDBusConnection bus, std::function<double()> primaryHeight, QString kwinOwner);

    /// Writes the script for this connection, unloads any earlier one, loads and runs it.
    bool load(int timeoutMs);
    /// Takes a position from KWin.
    void follow(int x, int y);

    QDBusConnection m_bus;
    std::function<double()> m_primaryHeight;
    QString m_kwinOwner;     ///< KWin's unique bus name: only it may report positions
    QString m_scriptPath;    ///< the script's file, removed once KWin has read it
    KWinPointerSink *m_sink; ///< the object KWin calls
    QPointF m_lastPosition;  ///< y down, as KWin sends it
    bool m_hasPosition = false;
    bool m_listening = false;
    bool m_loaded = false;
};
