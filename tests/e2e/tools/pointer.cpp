// Drives the pointer of a Wayland compositor for the end-to-end tests, one command a line on stdin:
//   move X Y   the pointer to (X, Y) in the compositor's global coordinates
//   click      a left click where it is
//   quit       leave (as does the end of the input)
// It answers "ok" on stdout once the compositor has taken each command, "ready" once it has a pointer.
// KWin offers org_kde_kwin_fake_input (restricted: the compositor must let any client use it);
// wlroots compositors offer zwlr_virtual_pointer_v1, whose absolute motion is a fraction of an extent
// that must be the output's size.
#include "fake-input-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

namespace {

struct Pointer {
    wl_display *display = nullptr;
    wl_seat *seat = nullptr;
    wl_output *output = nullptr;
    org_kde_kwin_fake_input *fakeInput = nullptr;
    zwlr_virtual_pointer_manager_v1 *manager = nullptr;
    zwlr_virtual_pointer_v1 *virtualPointer = nullptr;
    int width = 0;
    int height = 0;
};

/// Milliseconds of the monotonic clock, as input event times are.
uint32_t nowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return uint32_t(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

/// Keeps the size of the first output's current mode.
void outputMode(void *data, wl_output *, uint32_t flags, int32_t width, int32_t height, int32_t)
{
    auto *pointer = static_cast<Pointer *>(data);
    if (flags & WL_OUTPUT_MODE_CURRENT) {
        pointer->width = width;
        pointer->height = height;
    }
}
void outputGeometry(void *, wl_output *, int32_t, int32_t, int32_t, int32_t, int32_t, const char *,
                    const char *, int32_t)
{
}
void outputDone(void *, wl_output *) {}
void outputScale(void *, wl_output *, int32_t) {}
void outputText(void *, wl_output *, const char *) {}
const wl_output_listener outputListener = {outputGeometry, outputMode, outputDone,
                                           outputScale,    outputText, outputText};

/// Binds the seat, the first output and whichever pointer protocol the compositor offers.
void global(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t version)
{
    auto *pointer = static_cast<Pointer *>(data);
    if (!strcmp(interface, wl_seat_interface.name) && !pointer->seat) {
        pointer->seat = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (!strcmp(interface, wl_output_interface.name) && !pointer->output) {
        pointer->output = static_cast<wl_output *>(wl_registry_bind(registry, name, &wl_output_interface, 2));
        wl_output_add_listener(pointer->output, &outputListener, pointer);
    } else if (!strcmp(interface, org_kde_kwin_fake_input_interface.name)) {
        pointer->fakeInput = static_cast<org_kde_kwin_fake_input *>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, version < 4 ? version : 4));
    } else if (!strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name)) {
        pointer->manager = static_cast<zwlr_virtual_pointer_manager_v1 *>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    }
}
void globalRemove(void *, wl_registry *, uint32_t) {}
const wl_registry_listener registryListener = {global, globalRemove};

/// Moves the pointer to (x, y).
void move(Pointer &p, double x, double y)
{
    if (p.virtualPointer) {
        zwlr_virtual_pointer_v1_motion_absolute(p.virtualPointer, nowMs(), uint32_t(x), uint32_t(y),
                                                uint32_t(p.width), uint32_t(p.height));
        zwlr_virtual_pointer_v1_frame(p.virtualPointer);
    } else {
        org_kde_kwin_fake_input_pointer_motion_absolute(p.fakeInput, wl_fixed_from_double(x),
                                                        wl_fixed_from_double(y));
    }
}

/// Presses or releases the left button.
void button(Pointer &p, bool pressed)
{
    const uint32_t state = pressed ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED;
    if (p.virtualPointer) {
        zwlr_virtual_pointer_v1_button(p.virtualPointer, nowMs(), BTN_LEFT, state);
        zwlr_virtual_pointer_v1_frame(p.virtualPointer);
    } else {
        org_kde_kwin_fake_input_button(p.fakeInput, BTN_LEFT, state);
    }
}

/// Sleeps for the given milliseconds.
void pause(long ms)
{
    timespec t{ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&t, nullptr);
}

/// Runs one command line; false for quit.
bool run(Pointer &p, const std::string &line)
{
    double x = 0;
    double y = 0;
    if (sscanf(line.c_str(), "move %lf %lf", &x, &y) == 2) {
        move(p, x, y);
    } else if (line == "click") {
        button(p, true);
        wl_display_roundtrip(p.display);
        pause(40);
        button(p, false);
    } else if (line == "quit") {
        return false;
    } else {
        fprintf(stderr, "pointer: unknown command: %s\n", line.c_str());
        return true;
    }
    return wl_display_roundtrip(p.display) >= 0;
}

/// Gets a pointer device from whichever protocol is offered; false when there is none.
bool start(Pointer &p)
{
    wl_registry *registry = wl_display_get_registry(p.display);
    wl_registry_add_listener(registry, &registryListener, &p);
    wl_display_roundtrip(p.display);
    wl_display_roundtrip(p.display); // the output's mode
    if (p.manager && p.seat) {
        if (p.width <= 0 || p.height <= 0) {
            fprintf(stderr, "pointer: the compositor told no output size\n");
            return false;
        }
        p.virtualPointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(p.manager, p.seat);
        fprintf(stderr, "pointer: zwlr_virtual_pointer_v1 over %dx%d\n", p.width, p.height);
    } else if (p.fakeInput) {
        org_kde_kwin_fake_input_authenticate(p.fakeInput, "kivvo end-to-end tests",
                                             "drives the test pointer");
        fprintf(stderr, "pointer: org_kde_kwin_fake_input\n");
    } else {
        fprintf(stderr, "pointer: the compositor offers neither org_kde_kwin_fake_input nor "
                        "zwlr_virtual_pointer_manager_v1\n");
        return false;
    }
    return wl_display_roundtrip(p.display) >= 0;
}

} // namespace

int main()
{
    Pointer p;
    p.display = wl_display_connect(nullptr);
    if (!p.display) {
        fprintf(stderr, "pointer: cannot connect to the Wayland display\n");
        return 2;
    }
    if (!start(p))
        return 3;
    printf("ready\n");
    fflush(stdout);
    char buffer[256];
    while (fgets(buffer, sizeof buffer, stdin)) {
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (!run(p, line))
            break;
        printf("ok %s\n", line.c_str());
        fflush(stdout);
    }
    if (p.virtualPointer)
        zwlr_virtual_pointer_v1_destroy(p.virtualPointer);
    wl_display_roundtrip(p.display);
    wl_display_disconnect(p.display);
    return 0;
}
