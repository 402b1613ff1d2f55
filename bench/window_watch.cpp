// Counts, for bench/idle_rock_cpu, how often named top-level windows move and how much XInput 2 raw
// motion the display sends, over a fixed time, from a client of its own.
//
// Usage: window_watch [--seconds S] [--wait S] NAME...   (on $DISPLAY)
// Waits up to --wait seconds (default 10) for a shown window of each NAME (WM_NAME or _NET_WM_NAME, a
// direct child of the root, as override-redirect and unmanaged windows are), prints "ready", counts for
// --seconds (default 10), then prints one line per name, "NAME<TAB>MOVES", and "raw motion<TAB>N".
// A missing window counts -1.

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <poll.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

struct Watched {
    std::string name;
    xcb_window_t window = XCB_NONE;
    long moves = 0;
    int lastX = 0; ///< ConfigureNotify also reports restacking; only a new place counts
    int lastY = 0;
};

double now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    auto *reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_NONE);
    std::free(reply);
    return value;
}

std::string property(xcb_connection_t *c, xcb_window_t window, xcb_atom_t name)
{
    auto *reply = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr);
    std::string value;
    if (reply && reply->format == 8)
        value.assign(static_cast<const char *>(xcb_get_property_value(reply)),
                     xcb_get_property_value_length(reply));
    std::free(reply);
    return value;
}

bool viewable(xcb_connection_t *c, xcb_window_t window)
{
    auto *reply = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    const bool shown = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(reply);
    return shown;
}

/// Looks for the windows not found yet among the root's shown children (a toolkit may give its
/// hidden helper windows the program's name too).
void find(xcb_connection_t *c, xcb_window_t root, std::vector<Watched> &watched)
{
    static const xcb_atom_t netName = atom(c, "_NET_WM_NAME");
    auto *tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
    if (!tree)
        return;
    const xcb_window_t *children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
        for (Watched &w : watched) {
            if (w.window != XCB_NONE)
                continue;
            const bool named = property(c, children[i], XCB_ATOM_WM_NAME) == w.name ||
                               property(c, children[i], netName) == w.name;
            if (named && viewable(c, children[i]))
                w.window = children[i];
        }
    }
    std::free(tree);
}

bool allFound(const std::vector<Watched> &watched)
{
    for (const Watched &w : watched)
        if (w.window == XCB_NONE)
            return false;
    return true;
}

void selectRawMotion(xcb_connection_t *c, xcb_window_t root)
{
    // The server takes XInput 2 selections only from a client that named its version.
    std::free(xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } request{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, uint32_t(XCB_INPUT_XI_EVENT_MASK_RAW_MOTION)};
    xcb_input_xi_select_events(c, root, 1, &request.head);
}

void count(xcb_generic_event_t *event, std::vector<Watched> &watched, long &raw)
{
    const uint8_t type = event->response_type & 0x7f;
    if (type == XCB_GE_GENERIC) {
        ++raw; // only raw motion is selected
        return;
    }
    if (type != XCB_CONFIGURE_NOTIFY)
        return;
    const auto *configure = reinterpret_cast<const xcb_configure_notify_event_t *>(event);
    for (Watched &w : watched) {
        if (configure->window != w.window || (configure->x == w.lastX && configure->y == w.lastY))
            continue;
        ++w.moves;
        w.lastX = configure->x;
        w.lastY = configure->y;
    }
}

} // namespace

int main(int argc, char **argv)
{
    double seconds = 10;
    double wait = 10;
    std::vector<Watched> watched;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
            seconds = std::atof(argv[++i]);
        else if (std::strcmp(argv[i], "--wait") == 0 && i + 1 < argc)
            wait = std::atof(argv[++i]);
        else
            watched.push_back({argv[i]});
    }
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "window_watch: cannot open the display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const double giveUp = now() + wait;
    find(c, root, watched);
    while (!allFound(watched) && now() < giveUp) {
        const timespec pause{0, 100000000};
        nanosleep(&pause, nullptr);
        find(c, root, watched);
    }
    const uint32_t structure = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    for (Watched &w : watched)
        if (w.window != XCB_NONE)
            xcb_change_window_attributes(c, w.window, XCB_CW_EVENT_MASK, &structure);
    selectRawMotion(c, root);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // selections are in place
    std::printf("ready\n");
    std::fflush(stdout);

    long raw = 0;
    pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
    for (const double until = now() + seconds; now() < until;) {
        poll(&fd, 1, std::max(1, int((until - now()) * 1000)));
        while (xcb_generic_event_t *event = xcb_poll_for_event(c)) {
            count(event, watched, raw);
            std::free(event);
        }
        if (xcb_connection_has_error(c))
            break;
    }
    for (const Watched &w : watched)
        std::printf("%s\t%ld\n", w.name.c_str(), w.window == XCB_NONE ? -1 : w.moves);
    std::printf("raw motion\t%ld\n", raw);
    xcb_disconnect(c);
    return 0;
}
