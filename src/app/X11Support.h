#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

/// Tells when the pointer moves anywhere on the desktop, without polling: XInput 2 raw motion on the
/// root window, which costs nothing while the pointer is still. Only on X11.
class PointerMotion : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    /// A listener on the application's X connection, or null where there is none (other platforms,
    /// no XInput 2, a build without XCB).
    static PointerMotion *create(QObject *parent);
    ~PointerMotion() override;

    /// Starts or stops listening.
    void setListening(bool listening);

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

signals:
    /// The pointer moved (once per raw motion event while listening).
    void moved();

private:
    explicit PointerMotion(QObject *parent);

    struct X11;
    X11 *m_x11 = nullptr;
    bool m_listening = false;
};

/// Whether a compositing manager blends translucent windows on this display. False where it cannot
/// be told: then the floating rock cuts its window to its outline, which looks right everywhere.
bool hasCompositor();

