// Moves the pointer of one or more X displays along the same path at the same moments, for
// bench/idle_rock_cpu. Relative moves go through XTest with the relative flag, which the server turns
// into XInput 2 raw motion as a real mouse would; absolute moves (--absolute) are warps of the
// XTest device and send none, so a follower resting on raw motion does not see them.
//
// Usage: pointer_drive [--absolute] [--rate HZ] [--seconds S] (circle|line) DISPLAY...
// The path is centred on each screen: a circle of radius 150 px once a second, or a line 600 px
// long there and back every 1.2 s. Acceleration is switched off first, so relative steps land where
// the path says; at the end it prints how far each pointer ended from the path.

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <numbers>
#include <string>
#include <vector>

namespace {

struct Screen {
    xcb_connection_t *connection = nullptr;
    xcb_window_t root = 0;
    int centreX = 0;
    int centreY = 0;
    int sentX = -1; ///< where the path put the pointer last, whole pixels
    int sentY = -1;
};

struct Options {
    bool absolute = false;
    double rate = 100;
    double seconds = 10;
    std::string shape;
    std::vector<std::string> displays;
};

bool parse(int argc, char **argv, Options &options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--absolute")
            options.absolute = true;
        else if (arg == "--rate" && i + 1 < argc)
            options.rate = std::atof(argv[++i]);
        else if (arg == "--seconds" && i + 1 < argc)
            options.seconds = std::atof(argv[++i]);
        else if (options.shape.empty())
            options.shape = arg;
        else
            options.displays.push_back(arg);
    }
    const bool known = options.shape == "circle" || options.shape == "line";
    return known && !options.displays.empty() && options.rate > 0 && options.seconds >= 0;
}

/// The path's point at time t seconds, relative to the screen's centre.
void pathAt(const std::string &shape, double t, double &x, double &y)
{
    if (shape == "circle") {
        const double a = 2 * std::numbers::pi * t;
        x = 150 * std::cos(a);
        y = 150 * std::sin(a);
        return;
    }
    const double phase = std::fmod(t, 1.2) / 0.6; // 0..2: out, then back
    x = -300 + 600 * (phase < 1 ? phase : 2 - phase);
    y = 0;
}

void fake(Screen &screen, bool relative, int x, int y)
{
    xcb_test_fake_input(screen.connection, XCB_MOTION_NOTIFY, relative ? 1 : 0, XCB_CURRENT_TIME,
                        relative ? XCB_NONE : screen.root, int16_t(x), int16_t(y), 0);
}

/// Puts the pointer on the path's first point, with acceleration off so relative steps are exact.
bool open(const std::string &name, Screen &screen)
{
    screen.connection = xcb_connect(name.c_str(), nullptr);
    if (xcb_connection_has_error(screen.connection))
        return false;
    const xcb_screen_t *s = xcb_setup_roots_iterator(xcb_get_setup(screen.connection)).data;
    screen.root = s->root;
    screen.centreX = s->width_in_pixels / 2;
    screen.centreY = s->height_in_pixels / 2;
    xcb_change_pointer_control(screen.connection, 1, 1, 1, 1, 1);
    return true;
}

void moveTo(Screen &screen, bool relative, int x, int y)
{
    if (x == screen.sentX && y == screen.sentY)
        return; // a zero step would still count as motion
    if (relative)
        fake(screen, true, x - screen.sentX, y - screen.sentY);
    else
        fake(screen, false, x, y);
    screen.sentX = x;
    screen.sentY = y;
    xcb_flush(screen.connection);
}

/// Pixels between the pointer and where the path put it.
double offPath(Screen &screen)
{
    auto *reply = xcb_query_pointer_reply(screen.connection,
                                          xcb_query_pointer(screen.connection, screen.root), nullptr);
    if (!reply)
        return -1;
    const double off = std::hypot(reply->root_x - screen.sentX, reply->root_y - screen.sentY);
    std::free(reply);
    return off;
}

void addSeconds(timespec &t, double seconds)
{
    const long long ns = t.tv_nsec + std::llround(seconds * 1e9);
    t.tv_sec += ns / 1000000000;
    t.tv_nsec = ns % 1000000000;
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: pointer_drive [--absolute] [--rate HZ] [--seconds S] (circle|line) "
                             "DISPLAY...\n");
        return 2;
    }
    std::vector<Screen> screens(options.displays.size());
    for (size_t i = 0; i < screens.size(); ++i) {
        if (!open(options.displays[i], screens[i])) {
            std::fprintf(stderr, "pointer_drive: cannot open %s\n", options.displays[i].c_str());
            return 1;
        }
    }
    double x = 0;
    double y = 0;
    pathAt(options.shape, 0, x, y);
    for (Screen &screen : screens) // the start is placed absolutely
        moveTo(screen, false, screen.centreX + int(std::lround(x)), screen.centreY + int(std::lround(y)));
    const long steps = std::lround(options.seconds * options.rate);
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    for (long i = 1; i <= steps; ++i) {
        addSeconds(next, 1 / options.rate);
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
        pathAt(options.shape, i / options.rate, x, y);
        for (Screen &screen : screens)
            moveTo(screen, !options.absolute, screen.centreX + int(std::lround(x)),
                   screen.centreY + int(std::lround(y)));
    }
    for (size_t i = 0; i < screens.size(); ++i) {
        std::printf("%s off path by %.0f px\n", options.displays[i].c_str(), offPath(screens[i]));
        xcb_disconnect(screens[i].connection);
    }
    return 0;
}
