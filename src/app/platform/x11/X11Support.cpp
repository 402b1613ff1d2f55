#include "X11Support.h"

#include <QCoreApplication>
#include <QGuiApplication>

#ifdef KIVVO_HAS_XCB
#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdlib>

struct PointerMotion::X11 {
    xcb_connection_t *connection = nullptr;
    xcb_window_t root = 0;
    uint8_t opcode = 0; ///< the XInput extension's major opcode
};

namespace {
xcb_connection_t *applicationConnection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t rootOf(xcb_connection_t *connection)
{
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    return screen ? screen->root : 0;
}

} // namespace

void selectRawMotion(xcb_connection_t *connection, uint32_t root, bool on)
{
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } request{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, on ? uint32_t(XCB_INPUT_XI_EVENT_MASK_RAW_MOTION) : 0u};
    xcb_input_xi_select_events(connection, root, 1, &request.head);
    xcb_flush(connection);
}

PointerMotion *PointerMotion::create(QObject *parent)
{
    xcb_connection_t *connection = applicationConnection();
    if (!connection)
        return nullptr;
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(connection, &xcb_input_id);
    const xcb_window_t root = rootOf(connection);
    if (!extension || !extension->present || !root)
        return nullptr;
    auto *motion = new PointerMotion(parent);
    motion->m_x11 = new X11{connection, root, extension->major_opcode};
    QCoreApplication::instance()->installNativeEventFilter(motion);
    return motion;
}

PointerMotion::~PointerMotion()
{
    if (m_x11) {
        setListening(false);
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    delete m_x11;
}

void PointerMotion::setListening(bool listening)
{
    if (!m_x11 || listening == m_listening)
        return;
    m_listening = listening;
    selectRawMotion(m_x11->connection, m_x11->root, listening);
}

bool PointerMotion::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (!m_listening || eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_GE_GENERIC)
        return false;
    const auto *generic = static_cast<const xcb_ge_generic_event_t *>(message);
    if (generic->extension == m_x11->opcode && generic->event_type == XCB_INPUT_RAW_MOTION)
        emit moved();
    return false; // others may want it too
}

namespace {
xcb_atom_t atomNamed(xcb_connection_t *connection, const QByteArray &name)
{
    auto cookie = xcb_intern_atom(connection, 1, uint16_t(name.size()), name.constData());
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

/// A CARDINAL property of one value, as window managers keep workspace numbers.
std::optional<uint32_t> cardinal(xcb_connection_t *connection, xcb_window_t window, const QByteArray &name)
{
    const xcb_atom_t atom = atomNamed(connection, name);
    if (atom == XCB_ATOM_NONE)
        return std::nullopt;
    auto cookie = xcb_get_property(connection, 0, window, atom, XCB_ATOM_CARDINAL, 0, 1);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(connection, cookie, nullptr);
    std::optional<uint32_t> value;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply) >= 4)
        value = *static_cast<const uint32_t *>(xcb_get_property_value(reply));
    std::free(reply);
    return value;
}
} // namespace

void offerNoMinimise(WId window)
{
    xcb_connection_t *connection = applicationConnection();
    if (!connection || !window)
        return;
    const xcb_atom_t property = atomNamed(connection, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t types[] = {atomNamed(connection, "_NET_WM_WINDOW_TYPE_TOOLBAR"),
                                atomNamed(connection, "_NET_WM_WINDOW_TYPE_UTILITY"),
                                atomNamed(connection, "_NET_WM_WINDOW_TYPE_NORMAL")};
    if (property == XCB_ATOM_NONE)
        return;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window), property, XCB_ATOM_ATOM, 32,
                        3, types);
    xcb_flush(connection);
}

std::optional<PanelSight::WindowPlace> windowPlace(WId window)
{
    xcb_connection_t *connection = applicationConnection();
    if (!connection || !window)
        return std::nullopt;
    const auto id = xcb_window_t(window);
    auto cookie = xcb_get_window_attributes(connection, id);
    xcb_get_window_attributes_reply_t *attributes =
        xcb_get_window_attributes_reply(connection, cookie, nullptr);
    if (!attributes)
        return std::nullopt;
    // Unviewable: minimised (unmapped) or its frame unmapped, as on another workspace.
    PanelSight::WindowPlace place;
    place.viewable = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    place.desktop = cardinal(connection, id, "_NET_WM_DESKTOP");
    place.currentDesktop = cardinal(connection, rootOf(connection), "_NET_CURRENT_DESKTOP");
    return place;
}

bool hasCompositor()
{
    xcb_connection_t *connection = applicationConnection();
    if (!connection)
        return false;
    // A compositing manager owns the selection _NET_WM_CM_S<screen>.
    const QByteArray name = "_NET_WM_CM_S0";
    auto atomCookie = xcb_intern_atom(connection, 1, uint16_t(name.size()), name.constData());
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(connection, atomCookie, nullptr);
    if (!atom)
        return false;
    const xcb_atom_t selection = atom->atom;
    std::free(atom);
    if (selection == XCB_ATOM_NONE)
        return false;
    auto ownerCookie = xcb_get_selection_owner(connection, selection);
    xcb_get_selection_owner_reply_t *owner = xcb_get_selection_owner_reply(connection, ownerCookie, nullptr);
    const bool owned = owner && owner->owner != XCB_NONE;
    std::free(owner);
    return owned;
}

#else

struct PointerMotion::X11 {};

PointerMotion *PointerMotion::create(QObject *)
{
    return nullptr;
}

PointerMotion::~PointerMotion() = default;

void PointerMotion::setListening(bool) {}

bool PointerMotion::nativeEventFilter(const QByteArray &, void *, qintptr *)
{
    return false;
}

bool hasCompositor()
{
    return false;
}

void offerNoMinimise(WId) {}

std::optional<PanelSight::WindowPlace> windowPlace(WId)
{
    return std::nullopt;
}

#endif

PointerMotion::PointerMotion(QObject *parent) : QObject(parent) {}
