#pragma once

#include "PanelSight.h"
#include "WorkAreas.h"

#include <QAbstractNativeEventFilter>
#include <QMargins>
#include <QObject>
#include <QWindow>

#include <cstdint>
#include <optional>

struct xcb_connection_t;

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

/// Selects (or clears) XInput 2 raw motion of every master device on `root`, and flushes. Only in
/// builds with XCB.
void selectRawMotion(xcb_connection_t *connection, uint32_t root, bool on);

/// Whether a compositing manager blends translucent windows on this display. False where it cannot
/// be told: then the floating rock cuts its window to its outline, which looks right everywhere.
bool hasCompositor();

/// Whether the window is viewable and on which workspace, against the one on show; nothing where it
/// cannot be told (not X11, or the window has no native window yet).
std::optional<PanelSight::WindowPlace> windowPlace(WId window);

/// Asks the window manager to offer no minimise (or maximise) for a tool window: some (openbox) skip
/// the Motif hints for those buttons and drop them only for toolbars, so the toolbar type is named
/// first, before the utility type Qt gives. Call before the window is mapped; nothing off X11.
void offerNoMinimise(WId window);

/// A window's rectangle on the display, in its pixels; nothing off X11 or when it cannot be told.
std::optional<QRect> nativeFrame(WId window);

/// The borders the window manager put round a window (its `_NET_FRAME_EXTENTS`), in the display's
/// pixels; nothing off X11 or before a window manager framed it.
std::optional<QMargins> frameExtents(WId window);

/// What the window manager reserved for docks: their struts, the desktop's size and the one work
/// area it publishes (of the workspace on show), all in the display's pixels.
struct DockReservations {
    QList<WorkAreas::Strut> struts;
    QSize desktop;
    QRect workArea;
};
/// The reservations on Qt's display; nothing off X11 or where the window manager publishes no work
/// area or no client list.
std::optional<DockReservations> dockReservations();
