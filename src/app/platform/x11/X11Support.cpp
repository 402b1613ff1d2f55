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

/// The 32-bit values of a list property asked for with `cookie`; empty where the window has none.
QList<qint64> cardinals(xcb_connection_t *connection, xcb_get_property_cookie_t cookie)
{
    xcb_get_property_reply_t *reply = xcb_get_property_reply(connection, cookie, nullptr);
    QList<qint64> values;
    if (reply && reply->format == 32) {
        const auto *data = static_cast<const uint32_t *>(xcb_get_property_value(reply));
        for (int i = 0; i < xcb_get_property_value_length(reply) / 4; ++i)
            values.append(data[i]);
    }
    std::free(reply);
    return values;
}

xcb_get_property_cookie_t askList(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property,
                                  xcb_atom_t type, uint32_t count)
{
    return xcb_get_property(connection, 0, window, property, type, 0, count);
}

/// The first `count` values of a CARDINAL property named `name`; empty where the window has none.
QList<qint64> cardinals(xcb_connection_t *connection, xcb_window_t window, const QByteArray &name, uint32_t count)
{
    const xcb_atom_t atom = atomNamed(connection, name);
    if (atom == XCB_ATOM_NONE)
        return {};
    return cardinals(connection, askList(connection, window, atom, XCB_ATOM_CARDINAL, count));
}

/// A CARDINAL property of one value, as window managers keep workspace numbers.
std::optional<uint32_t> cardinal(xcb_connection_t *connection, xcb_window_t window, const QByteArray &name)
{
    const QList<qint64> values = cardinals(connection, window, name, 1);
    return values.isEmpty() ? std::nullopt : std::optional<uint32_t>(uint32_t(values.first()));
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

namespace {
/// The struts of `clients`, asked all at once and then read: one wait for the lot.
QList<WorkAreas::Strut> strutsOf(xcb_connection_t *connection, const QList<qint64> &clients, QSize desktop)
{
    const xcb_atom_t partial = atomNamed(connection, "_NET_WM_STRUT_PARTIAL");
    const xcb_atom_t plain = atomNamed(connection, "_NET_WM_STRUT");
    std::vector<std::pair<xcb_get_property_cookie_t, xcb_get_property_cookie_t>> cookies;
    for (qint64 client : clients)
        cookies.push_back({askList(connection, xcb_window_t(client), partial, XCB_ATOM_CARDINAL, 12),
                           askList(connection, xcb_window_t(client), plain, XCB_ATOM_CARDINAL, 4)});
    QList<WorkAreas::Strut> struts;
    for (const auto &[partialCookie, plainCookie] : cookies) {
        const QList<qint64> full = cardinals(connection, partialCookie);
        const QList<qint64> old = cardinals(connection, plainCookie);
        if (full.size() == 12) {
            WorkAreas::Strut strut;
            std::copy(full.begin(), full.end(), strut.begin());
            struts.append(strut);
        } else if (old.size() == 4) {
            struts.append(WorkAreas::fullLengthStrut(old[0], old[1], old[2], old[3], desktop));
        }
    }
    return struts;
}
} // namespace

std::optional<DockReservations> dockReservations()
{
    xcb_connection_t *connection = applicationConnection();
    const xcb_screen_t *screen = connection ? xcb_setup_roots_iterator(xcb_get_setup(connection)).data : nullptr;
    const xcb_atom_t workAreaAtom = screen ? atomNamed(connection, "_NET_WORKAREA") : xcb_atom_t(XCB_ATOM_NONE);
    const xcb_atom_t clientsAtom = screen ? atomNamed(connection, "_NET_CLIENT_LIST") : xcb_atom_t(XCB_ATOM_NONE);
    if (workAreaAtom == XCB_ATOM_NONE || clientsAtom == XCB_ATOM_NONE)
        return std::nullopt;
    const QList<qint64> areas = cardinals(connection, askList(connection, screen->root, workAreaAtom,
                                                              XCB_ATOM_CARDINAL, 4 * 64));
    const qsizetype workspace = cardinal(connection, screen->root, "_NET_CURRENT_DESKTOP").value_or(0);
    const QList<qint64> clients =
        cardinals(connection, askList(connection, screen->root, clientsAtom, XCB_ATOM_WINDOW, 4096));
    if (areas.size() < 4 * (workspace + 1) || clients.isEmpty())
        return std::nullopt;
    const qint64 *area = areas.constData() + 4 * workspace;
    DockReservations reservations;
    reservations.desktop = QSize(screen->width_in_pixels, screen->height_in_pixels);
    reservations.workArea = QRect(int(area[0]), int(area[1]), int(area[2]), int(area[3]));
    reservations.struts = strutsOf(connection, clients, reservations.desktop);
    return reservations;
}

std::optional<QRect> nativeFrame(WId window)
{
    xcb_connection_t *connection = applicationConnection();
    if (!connection || !window)
        return std::nullopt;
    const auto id = xcb_window_t(window);
    auto geometryCookie = xcb_get_geometry(connection, id);
    auto placeCookie = xcb_translate_coordinates(connection, id, rootOf(connection), 0, 0);
    xcb_get_geometry_reply_t *geometry = xcb_get_geometry_reply(connection, geometryCookie, nullptr);
    xcb_translate_coordinates_reply_t *place = xcb_translate_coordinates_reply(connection, placeCookie, nullptr);
    std::optional<QRect> frame;
    if (geometry && place)
        frame = QRect(place->dst_x, place->dst_y, geometry->width, geometry->height);
    std::free(geometry);
    std::free(place);
    return frame;
}

std::optional<QMargins> frameExtents(WId window)
{
    xcb_connection_t *connection = applicationConnection();
    if (!connection || !window)
        return std::nullopt;
    const QList<qint64> sides = cardinals(connection, xcb_window_t(window), "_NET_FRAME_EXTENTS", 4);
    if (sides.size() < 4)
        return std::nullopt;
    // The property lists left, right, top, bottom.
    return QMargins(int(sides[0]), int(sides[2]), int(sides[1]), int(sides[3]));
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

std::optional<DockReservations> dockReservations()
{
    return std::nullopt;
}

std::optional<QRect> nativeFrame(WId)
{
    return std::nullopt;
}

std::optional<QMargins> frameExtents(WId)
{
    return std::nullopt;
}

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
