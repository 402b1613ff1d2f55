// The floor for bench/idle_rock_cpu: the floating rock's work done directly on X11, with nothing
// between the rules and the protocol. It follows the pointer with the rock's rules (the lock 12 px
// around its square, the approach k = 1 - e^(-dt/0.13) towards a point beside the pointer, mirrored
// at the screen's edges, and the roll from the pointer's angular motion around it) and costs per
// frame: one timer wake, one QueryPointer (sent at the end of the previous frame), at most one
// ConfigureWindow, a new picture only for a new whole degree, one flush.
//
// Its window "floor rock" is override-redirect, click-through (an empty input shape) and selects no
// events; the picture is the window's background pixmap, so the server repaints it. Without a
// compositor the window is shaped by a 1-bit mask, with one it has a 32-bit ARGB visual. Pictures
// are made on first use, one per whole degree, and kept. At rest it sleeps until XInput 2 raw
// motion, with a look at the pointer once a second for warps.
//
// Usage: floor_follower [--scale S]   (on $DISPLAY; S is the device pixel ratio, as QT_SCALE_FACTOR)
//
// Built as qt_floor_follower (FLOOR_WITH_QT), the same follower wakes through Qt's event loop (a
// QBasicTimer and a QSocketNotifier under a QApplication) instead of its own poll: what Qt's loop
// alone costs, between the floor and Kivvo.

#include <xcb/shape.h>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

#ifdef FLOOR_WITH_QT
#include <QApplication>
#include <QBasicTimer>
#include <QSocketNotifier>
#endif

#include <poll.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <optional>
#include <vector>

namespace {

constexpr int frameMs = 17; // a 60 Hz display, in whole milliseconds as the rock's timer has it
constexpr double followResponse = 0.13;
constexpr double lockMargin = 12;
constexpr double releaseShare = 0.85;
constexpr double besideShare = 0.17;
constexpr double aboveShare = 0.2;
constexpr double maxSpin = 1080;
constexpr double restSpin = 60;
constexpr double friction = 8;
constexpr double settleResponse = 0.22;

struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point &) const = default;
};

/// The rock's motion and roll in points, y down.
struct Rules {
    double screenW = 0;
    double screenH = 0;
    double panel = 92;
    double rock = 72;
    Point current;
    Point target;
    bool locked = false;
    double degrees = 0;
    double spin = 0;
    std::optional<double> lastAngle;
    std::optional<Point> lastPointer;

    /// Sizes as the rock takes them from the screen: a tenth of its shorter side within [84, 124].
    void size(double w, double h)
    {
        screenW = w;
        screenH = h;
        const double side = std::clamp(std::min(w, h) * 0.1, 84.0, 124.0);
        rock = std::max(std::round(side * 0.78), 1.0);
        panel = rock + 2 * std::max(std::round(side * 0.11), 1.0);
    }

    Point centre() const { return {std::round(current.x) + panel / 2, std::round(current.y) + panel / 2}; }

    void lock(Point p)
    {
        const double x = std::round(current.x);
        const double y = std::round(current.y);
        const auto within = [&](double m) {
            return p.x >= x - m && p.x <= x + panel + m && p.y >= y - m && p.y <= y + panel + m;
        };
        if (within(lockMargin))
            locked = true;
        else if (locked && !within(releaseShare * panel))
            locked = false;
    }

    Point targetFor(Point p) const
    {
        double x = p.x + besideShare * panel;
        double y = p.y + aboveShare * panel;
        if (x + panel > screenW)
            x = p.x - besideShare * panel - panel;
        if (y + panel > screenH)
            y = p.y - aboveShare * panel - panel;
        return {std::clamp(x, 0.0, screenW - panel), std::clamp(y, 0.0, screenH - panel)};
    }

    bool onRock(Point p) const
    {
        const Point c = centre();
        const double d = std::hypot(p.x - c.x, p.y - c.y);
        return d <= rock / 2 + 6 && d >= 0.25 * rock / 2;
    }

    void roll(Point p, double dt)
    {
        if (!onRock(p)) {
            lastAngle.reset();
            coast(dt);
            return;
        }
        const Point c = centre();
        const double angle = std::atan2(p.y - c.y, p.x - c.x);
        if (lastAngle) {
            double sweep = angle - *lastAngle;
            if (sweep > std::numbers::pi)
                sweep -= 2 * std::numbers::pi;
            if (sweep < -std::numbers::pi)
                sweep += 2 * std::numbers::pi;
            const double step = std::clamp(sweep * 180 / std::numbers::pi, -maxSpin * dt, maxSpin * dt);
            degrees += step;
            spin = std::clamp(step / dt * 0.6 + spin * 0.4, -maxSpin, maxSpin);
        }
        lastAngle = angle;
    }

    void coast(double dt)
    {
        if (std::abs(spin) > restSpin) {
            degrees += spin * dt;
            spin *= std::exp(-friction * dt);
            return;
        }
        spin = 0;
        const double upright = std::round(degrees / 360) * 360;
        degrees += (1 - std::exp(-dt / settleResponse)) * (upright - degrees);
        if (std::abs(degrees - upright) < 0.1)
            degrees = 0;
    }

    /// One frame; true when nothing would change until the pointer moves.
    bool step(Point p, double dt)
    {
        lock(p);
        if (!locked)
            target = targetFor(p);
        roll(p, dt);
        const double k = 1 - std::exp(-dt / followResponse);
        current = {current.x + k * (target.x - current.x), current.y + k * (target.y - current.y)};
        const bool still = lastPointer == p;
        lastPointer = p;
        const bool arrived = std::abs(target.x - current.x) < 0.5 && std::abs(target.y - current.y) < 0.5;
        return still && spin == 0 && (degrees == 0 || onRock(p)) && arrived;
    }
};

/// A grey blob with a dark mark near its rim, turned by `degrees`, as premultiplied ARGB; 2 x 2
/// samples a pixel for a soft edge.
std::vector<uint32_t> drawRock(int side, double rock, double degrees)
{
    std::vector<uint32_t> pixels(size_t(side) * side);
    const double c = side / 2.0;
    const double r = rock / 2;
    const double a = -degrees * std::numbers::pi / 180;
    const double cs = std::cos(a);
    const double sn = std::sin(a);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            int inside = 0;
            int marked = 0;
            for (int s = 0; s < 4; ++s) {
                const double dx = x + 0.25 + 0.5 * (s & 1) - c;
                const double dy = y + 0.25 + 0.5 * (s >> 1) - c;
                const double u = dx * cs - dy * sn; // the point in the rock's own upright frame
                const double v = dx * sn + dy * cs;
                if ((u * u) / (r * r) + (v * v) / (0.8 * r * 0.8 * r) > 1)
                    continue;
                ++inside;
                marked += std::hypot(u - 0.5 * r, v + 0.3 * r) < 0.18 * r;
            }
            const uint32_t alpha = 255 * inside / 4;
            const uint32_t grey = (150 * (inside - marked) + 40 * marked) / 4;
            pixels[size_t(y) * side + x] = alpha << 24 | grey << 16 | grey << 8 | grey;
        }
    }
    return pixels;
}

/// The rock's X window and its pictures.
class FloorWindow {
public:
    FloorWindow(xcb_connection_t *c, xcb_screen_t *screen, int side) : m_c(c), m_screen(screen), m_side(side)
    {
        m_argb = hasCompositor() ? argbVisual() : 0;
        m_depth = m_argb ? 32 : screen->root_depth;
        m_window = xcb_generate_id(c);
        const xcb_visualid_t visual = m_argb ? m_argb : screen->root_visual;
        uint32_t colormap = screen->default_colormap;
        if (m_argb) {
            colormap = xcb_generate_id(c);
            xcb_create_colormap(c, XCB_COLORMAP_ALLOC_NONE, colormap, screen->root, visual);
        }
        // Value order follows the mask bits: border pixel, override redirect, event mask, colormap.
        const uint32_t values[] = {0, 1, 0, colormap};
        xcb_create_window(
            c, m_depth, m_window, screen->root, 0, 0, uint16_t(side), uint16_t(side), 0,
            XCB_WINDOW_CLASS_INPUT_OUTPUT, visual,
            XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK | XCB_CW_COLORMAP, values);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 10,
                            "floor rock");
        xcb_shape_rectangles(c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, m_window, 0,
                             0, 0, nullptr);
        m_gc = xcb_generate_id(c);
        xcb_create_gc(c, m_gc, m_window, 0, nullptr);
        m_pictures.resize(360);
    }

    bool composited() const { return m_argb != 0; }

    void show(int x, int y)
    {
        moveTo(x, y);
        xcb_map_window(m_c, m_window);
    }

    void moveTo(int x, int y)
    {
        const uint32_t place[] = {uint32_t(x), uint32_t(y)};
        xcb_configure_window(m_c, m_window, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, place);
    }

    /// Shows the picture for a whole degree, making it on first use.
    void turnTo(int degree, double rockPixels)
    {
        degree = ((degree % 360) + 360) % 360;
        if (degree == m_shown)
            return;
        m_shown = degree;
        Picture &picture = m_pictures[size_t(degree)];
        if (!picture.pixmap)
            picture = make(drawRock(m_side, rockPixels, degree));
        xcb_change_window_attributes(m_c, m_window, XCB_CW_BACK_PIXMAP, &picture.pixmap);
        if (picture.mask)
            xcb_shape_mask(m_c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, m_window, 0, 0, picture.mask);
        xcb_clear_area(m_c, 0, m_window, 0, 0, 0, 0);
    }

private:
    struct Picture {
        xcb_pixmap_t pixmap = 0;
        xcb_pixmap_t mask = 0;
    };

    bool hasCompositor()
    {
        char name[32];
        std::snprintf(name, sizeof name, "_NET_WM_CM_S%d", 0);
        auto *atom =
            xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, uint16_t(std::strlen(name)), name), nullptr);
        if (!atom)
            return false;
        auto *owner = xcb_get_selection_owner_reply(m_c, xcb_get_selection_owner(m_c, atom->atom), nullptr);
        const bool owned = owner && owner->owner != XCB_NONE;
        std::free(atom);
        std::free(owner);
        return owned;
    }

    xcb_visualid_t argbVisual() const
    {
        for (auto d = xcb_screen_allowed_depths_iterator(m_screen); d.rem; xcb_depth_next(&d)) {
            if (d.data->depth != 32)
                continue;
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
                if (v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR)
                    return v.data->visual_id;
        }
        return 0;
    }

    Picture make(const std::vector<uint32_t> &argb)
    {
        Picture picture;
        picture.pixmap = xcb_generate_id(m_c);
        xcb_create_pixmap(m_c, m_depth, picture.pixmap, m_window, uint16_t(m_side), uint16_t(m_side));
        std::vector<uint32_t> colour(argb);
        if (!m_argb) // opaque where the mask lets it show: no dark fringe on a soft edge
            for (uint32_t &p : colour)
                p = p >> 24 ? unpremultiplied(p) : 0;
        putImage(picture.pixmap, m_gc, m_depth, colour.data(), colour.size() * 4);
        if (!m_argb)
            picture.mask = makeMask(argb);
        return picture;
    }

    static uint32_t unpremultiplied(uint32_t p)
    {
        const uint32_t a = p >> 24;
        const auto channel = [&](int shift) {
            return std::min<uint32_t>(255, ((p >> shift) & 0xff) * 255 / a);
        };
        return channel(16) << 16 | channel(8) << 8 | channel(0);
    }

    /// A 1-bit mask: on where the picture is at least half covered.
    xcb_pixmap_t makeMask(const std::vector<uint32_t> &argb)
    {
        const xcb_setup_t *setup = xcb_get_setup(m_c);
        const int pad = setup->bitmap_format_scanline_pad;
        const int stride = (m_side + pad - 1) / pad * pad / 8;
        const bool lsb = setup->bitmap_format_bit_order == XCB_IMAGE_ORDER_LSB_FIRST;
        std::vector<uint8_t> bits(size_t(stride) * m_side);
        for (int y = 0; y < m_side; ++y)
            for (int x = 0; x < m_side; ++x)
                if ((argb[size_t(y) * m_side + x] >> 24) >= 128)
                    bits[size_t(y) * stride + x / 8] |= uint8_t(lsb ? 1 << (x % 8) : 0x80 >> (x % 8));
        const xcb_pixmap_t mask = xcb_generate_id(m_c);
        xcb_create_pixmap(m_c, 1, mask, m_window, uint16_t(m_side), uint16_t(m_side));
        if (!m_maskGc) {
            m_maskGc = xcb_generate_id(m_c);
            xcb_create_gc(m_c, m_maskGc, mask, 0, nullptr);
        }
        putImage(mask, m_maskGc, 1, bits.data(), bits.size());
        return mask;
    }

    void putImage(xcb_pixmap_t target, xcb_gcontext_t gc, int depth, const void *data, size_t bytes)
    {
        const uint8_t format = depth == 1 ? XCB_IMAGE_FORMAT_XY_PIXMAP : XCB_IMAGE_FORMAT_Z_PIXMAP;
        xcb_put_image(m_c, format, target, gc, uint16_t(m_side), uint16_t(m_side), 0, 0, 0, uint8_t(depth),
                      uint32_t(bytes), static_cast<const uint8_t *>(data));
    }

    xcb_connection_t *m_c;
    xcb_screen_t *m_screen;
    int m_side;
    xcb_visualid_t m_argb = 0;
    uint8_t m_depth = 24;
    xcb_window_t m_window = 0;
    xcb_gcontext_t m_gc = 0;
    xcb_gcontext_t m_maskGc = 0;
    int m_shown = -1;
    std::vector<Picture> m_pictures;
};

/// The follower: frames while anything moves, raw motion and a slow look at rest.
class Floor {
public:
    Floor(xcb_connection_t *c, double scale) : m_c(c), m_scale(scale)
    {
        m_screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        m_rules.size(m_screen->width_in_pixels / scale, m_screen->height_in_pixels / scale);
        m_window.emplace(c, m_screen, int(std::lround(m_rules.panel * scale)));
        const xcb_query_extension_reply_t *xi = xcb_get_extension_data(c, &xcb_input_id);
        m_xiOpcode = xi && xi->present ? xi->major_opcode : 0;
        if (m_xiOpcode) // the server takes XInput 2 selections only from a client that named its version
            std::free(xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
        m_timer = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC);
    }

    int run()
    {
        const Point p = pointer(xcb_query_pointer(m_c, m_screen->root));
        m_rules.current = m_rules.target = m_rules.targetFor(p);
        m_window->turnTo(0, m_rules.rock * m_scale);
        m_window->show(pixel(m_rules.current.x), pixel(m_rules.current.y));
        wake();
#ifdef FLOOR_WITH_QT
        QSocketNotifier events(xcb_get_file_descriptor(m_c), QSocketNotifier::Read);
        QObject::connect(&events, &QSocketNotifier::activated, [this] {
            if (!m_running)
                drainEvents();
        });
        m_events = &events;
        arm(frameMs);
        return QCoreApplication::exec();
#else
        pollfd fds[] = {{m_timer, POLLIN, 0}, {xcb_get_file_descriptor(m_c), POLLIN, 0}};
        while (!xcb_connection_has_error(m_c)) {
            // While frames run the connection is not watched: nothing comes back but the replies
            // asked for, and waking for those would double the wakes.
            poll(fds, m_running ? 1 : 2, -1);
            if (fds[0].revents & POLLIN) {
                uint64_t expirations = 0;
                if (read(m_timer, &expirations, sizeof expirations) > 0)
                    m_running ? frame() : look();
            }
            if (!m_running && (fds[1].revents & POLLIN))
                drainEvents();
        }
        return 1;
#endif
    }

private:
    int pixel(double points) const { return int(std::lround(std::round(points) * m_scale)); }

    Point pointer(xcb_query_pointer_cookie_t cookie)
    {
        auto *reply = xcb_query_pointer_reply(m_c, cookie, nullptr);
        Point p = m_last;
        if (reply)
            p = {reply->root_x / m_scale, reply->root_y / m_scale};
        std::free(reply);
        m_last = p;
        return p;
    }

    void frame()
    {
        const double dt = frameMs / 1000.0;
        const Point p = pointer(m_pending);
        const bool settled = m_rules.step(p, dt);
        const int x = pixel(m_rules.current.x);
        const int y = pixel(m_rules.current.y);
        if (x != m_x || y != m_y) {
            m_window->moveTo(x, y);
            m_x = x;
            m_y = y;
        }
        m_window->turnTo(int(std::lround(m_rules.degrees)), m_rules.rock * m_scale);
        if (settled)
            rest();
        else
            m_pending = xcb_query_pointer(m_c, m_screen->root);
        xcb_flush(m_c);
    }

    void look()
    {
        const Point before = m_last;
        if (!(pointer(xcb_query_pointer(m_c, m_screen->root)) == before))
            wake();
    }

    void drainEvents()
    {
        bool moved = false;
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_c)) {
            const auto *generic = reinterpret_cast<const xcb_ge_generic_event_t *>(event);
            moved |= (event->response_type & 0x7f) == XCB_GE_GENERIC && generic->extension == m_xiOpcode &&
                     generic->event_type == XCB_INPUT_RAW_MOTION;
            std::free(event);
        }
        if (moved)
            wake();
    }

    void wake()
    {
        selectRawMotion(false);
        m_running = true;
        arm(frameMs);
        m_pending = xcb_query_pointer(m_c, m_screen->root);
        xcb_flush(m_c);
    }

    void rest()
    {
        m_running = false;
        selectRawMotion(true);
        arm(1000);
    }

#ifdef FLOOR_WITH_QT
    /// Qt's timer calls the same step as the timer descriptor's wake.
    struct Ticker : QObject {
        Floor *floor = nullptr;
        QBasicTimer timer;
        void timerEvent(QTimerEvent *) override { floor->m_running ? floor->frame() : floor->look(); }
    };

    void arm(int ms)
    {
        if (m_events)
            m_events->setEnabled(!m_running);
        m_ticker.floor = this;
        m_ticker.timer.start(ms, Qt::PreciseTimer, &m_ticker);
    }

    Ticker m_ticker;
    QSocketNotifier *m_events = nullptr; ///< made when the loop starts
#else
    void arm(int ms)
    {
        const timespec period{ms / 1000, (ms % 1000) * 1000000L};
        const itimerspec every{period, period};
        timerfd_settime(m_timer, 0, &every, nullptr);
    }
#endif

    void selectRawMotion(bool on)
    {
        if (!m_xiOpcode)
            return;
        struct {
            xcb_input_event_mask_t head;
            uint32_t mask;
        } request{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, on ? uint32_t(XCB_INPUT_XI_EVENT_MASK_RAW_MOTION) : 0u};
        xcb_input_xi_select_events(m_c, m_screen->root, 1, &request.head);
        xcb_flush(m_c);
    }

    xcb_connection_t *m_c;
    double m_scale;
    xcb_screen_t *m_screen = nullptr;
    Rules m_rules;
    std::optional<FloorWindow> m_window;
    uint8_t m_xiOpcode = 0;
    int m_timer = -1;
    bool m_running = false;
    xcb_query_pointer_cookie_t m_pending{};
    Point m_last;
    int m_x = -1;
    int m_y = -1;
};

} // namespace

int main(int argc, char **argv)
{
#ifdef FLOOR_WITH_QT
    QApplication application(argc, argv); // as Kivvo's: the same event loop and dispatch
#endif
    double scale = 1;
    if (argc == 3 && std::strcmp(argv[1], "--scale") == 0)
        scale = std::atof(argv[2]);
    if (!(scale > 0) || (argc != 1 && argc != 3)) {
        std::fprintf(stderr, "usage: floor_follower [--scale S]\n");
        return 2;
    }
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "floor_follower: cannot open the display\n");
        return 1;
    }
    xcb_prefetch_extension_data(c, &xcb_input_id);
    Floor floor(c, scale);
    return floor.run();
}
