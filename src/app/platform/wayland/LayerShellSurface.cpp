#include "LayerShellSurface.h"

#include "IdleRockMetrics.h"
#include "LayerShellPlacement.h"

// The generated header names a parameter after a C++ keyword.
#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
#include "xdg-output-unstable-v1-client-protocol.h"
#include <wayland-client.h>

#include <QDeadlineTimer>
#include <QSocketNotifier>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// A compositor that does not answer must not hold up the program's start.
// A compositor busy with something else (KWin compiling a script we just gave it) took more than half a
// second to answer at times; a live one always answered within two.
constexpr int answerTimeoutMs = 2000;
constexpr int compositorVersion = 4; // buffer scale needs 3
constexpr int outputVersion = 2;     // scale and done
constexpr int outputManagerVersion = 2;
constexpr int layerShellVersion = 3;
constexpr int maxBuffers = 2;

bool isInterface(const char *name, const wl_interface &interface)
{
    return std::strcmp(name, interface.name) == 0;
}

/// Waits for the compositor to have handled every request sent so far, at most `timeoutMs`.
bool roundtrip(wl_display *display, int timeoutMs)
{
    bool done = false;
    static const wl_callback_listener listener{
        .done = [](void *data, wl_callback *, uint32_t) { *static_cast<bool *>(data) = true; }};
    wl_callback *callback = wl_display_sync(display);
    wl_callback_add_listener(callback, &listener, &done);
    const QDeadlineTimer deadline(timeoutMs);
    bool failed = false;
    while (!done && !failed) {
        if (wl_display_prepare_read(display) != 0) {
            failed = wl_display_dispatch_pending(display) < 0;
            continue;
        }
        pollfd fd{wl_display_get_fd(display), POLLIN, 0};
        const bool flushed = wl_display_flush(display) >= 0 || errno == EAGAIN;
        int ready;
        do
            ready = poll(&fd, 1, int(deadline.remainingTime()));
        while (ready < 0 && errno == EINTR);
        if (!flushed || ready <= 0) {
            wl_display_cancel_read(display);
            failed = true;
        } else {
            failed = wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0;
        }
    }
    wl_callback_destroy(callback);
    return done;
}

/// Connects where the session names a compositor (never to a default socket guessed without it).
wl_display *connectToSession()
{
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return nullptr;
    return wl_display_connect(nullptr);
}

} // namespace

/// One shared-memory buffer of the picture's pixel size.
struct LayerShellSurface::Buffer {
    wl_buffer *buffer = nullptr;
    void *data = MAP_FAILED;
    size_t bytes = 0;
    QSize pixels;
    bool busy = false; ///< the compositor holds it until it sends release

    ~Buffer()
    {
        if (buffer)
            wl_buffer_destroy(buffer);
        if (data != MAP_FAILED)
            munmap(data, bytes);
    }
};

/// An output and where it lies in the compositor's logical space.
struct LayerShellSurface::Output {
    LayerShellSurface *owner = nullptr;
    uint32_t name = 0;
    wl_output *output = nullptr;
    zxdg_output_v1 *logical = nullptr;
    QRect rect;
    bool hasLogicalRect = false; ///< the output manager's rectangle wins over the output's own
    int scale = 1;

    ~Output()
    {
        if (logical)
            zxdg_output_v1_destroy(logical);
        wl_output_destroy(output);
    }
};

/// The compositor's events, handed to the surface.
struct LayerShellSurface::Listeners {
    static LayerShellSurface *surface(void *data) { return static_cast<LayerShellSurface *>(data); }
    static Output *outputOf(void *data) { return static_cast<Output *>(data); }

    static void global(void *data, wl_registry *registry, uint32_t name, const char *interface,
                       uint32_t version)
    {
        LayerShellSurface *self = surface(data);
        const auto bind = [&](const wl_interface &type, int highest) {
            return wl_registry_bind(registry, name, &type, std::min<uint32_t>(version, highest));
        };
        if (isInterface(interface, wl_compositor_interface) && version >= 3)
            self->m_compositor =
                static_cast<wl_compositor *>(bind(wl_compositor_interface, compositorVersion));
        else if (isInterface(interface, wl_shm_interface))
            self->m_shm = static_cast<wl_shm *>(bind(wl_shm_interface, 1));
        else if (isInterface(interface, zwlr_layer_shell_v1_interface))
            self->m_layerShell =
                static_cast<zwlr_layer_shell_v1 *>(bind(zwlr_layer_shell_v1_interface, layerShellVersion));
        else if (isInterface(interface, zxdg_output_manager_v1_interface))
            self->m_outputManager = static_cast<zxdg_output_manager_v1 *>(
                bind(zxdg_output_manager_v1_interface, outputManagerVersion));
        else if (isInterface(interface, wl_output_interface) && version >= 2)
            self->addOutput(name, static_cast<wl_output *>(bind(wl_output_interface, outputVersion)));
    }

    static void globalRemove(void *data, wl_registry *, uint32_t name) { surface(data)->removeOutput(name); }

    static void geometry(void *data, wl_output *, int32_t x, int32_t y, int32_t, int32_t, int32_t,
                         const char *, const char *, int32_t)
    {
        if (!outputOf(data)->hasLogicalRect)
            outputOf(data)->rect.moveTopLeft(QPoint(x, y));
    }

    static void mode(void *data, wl_output *, uint32_t flags, int32_t width, int32_t height, int32_t)
    {
        Output *out = outputOf(data);
        if ((flags & WL_OUTPUT_MODE_CURRENT) && !out->hasLogicalRect)
            out->rect.setSize(QSize(width, height) / std::max(1, out->scale));
    }

    static void scale(void *data, wl_output *, int32_t factor)
    {
        outputOf(data)->scale = std::max(1, factor);
    }

    static void outputDone(void *data, wl_output *) { outputOf(data)->owner->followOutputs(); }

    static void logicalPosition(void *data, zxdg_output_v1 *, int32_t x, int32_t y)
    {
        outputOf(data)->hasLogicalRect = true;
        outputOf(data)->rect.moveTopLeft(QPoint(x, y));
    }

    static void logicalSize(void *data, zxdg_output_v1 *, int32_t width, int32_t height)
    {
        outputOf(data)->hasLogicalRect = true;
        outputOf(data)->rect.setSize(QSize(width, height));
    }

    static void configure(void *data, zwlr_layer_surface_v1 *, uint32_t serial, uint32_t, uint32_t)
    {
        surface(data)->applyConfigure(serial);
    }

    static void closed(void *data, zwlr_layer_surface_v1 *) { surface(data)->destroyLayerSurface(); }

    static void release(void *data, wl_buffer *buffer) { surface(data)->applyRelease(buffer); }

    static const wl_registry_listener registryEvents;
    static const wl_output_listener outputEvents;
    static const zxdg_output_v1_listener logicalEvents;
    static const zwlr_layer_surface_v1_listener layerEvents;
    static const wl_buffer_listener bufferEvents;
};

const wl_registry_listener LayerShellSurface::Listeners::registryEvents{.global = global,
                                                                        .global_remove = globalRemove};
const wl_output_listener LayerShellSurface::Listeners::outputEvents{
    .geometry = geometry,
    .mode = mode,
    .done = outputDone,
    .scale = scale,
    .name = [](void *, wl_output *, const char *) {},
    .description = [](void *, wl_output *, const char *) {}};
const zxdg_output_v1_listener LayerShellSurface::Listeners::logicalEvents{
    .logical_position = logicalPosition,
    .logical_size = logicalSize,
    .done = [](void *, zxdg_output_v1 *) {},
    .name = [](void *, zxdg_output_v1 *, const char *) {},
    .description = [](void *, zxdg_output_v1 *, const char *) {}};
const zwlr_layer_surface_v1_listener LayerShellSurface::Listeners::layerEvents{.configure = configure,
                                                                               .closed = closed};
const wl_buffer_listener LayerShellSurface::Listeners::bufferEvents{.release = release};

LayerShellSurface::LayerShellSurface(AppState *state, const IdleRockMetrics *metrics,
                                     const IdleRockRoll *roll, QObject *parent)
    : QObject(parent), m_frame(QPoint(0, 0), metrics->panelSize().toSize()),
      m_picture(state, metrics, roll, [this] { return qreal(scale()); })
{
    connect(&m_picture, &IdleRockPicture::changed, this, &LayerShellSurface::followPicture);
    if (!connectToCompositor())
        disconnect();
}

LayerShellSurface::~LayerShellSurface()
{
    disconnect();
}

bool LayerShellSurface::isOffered()
{
    wl_display *display = connectToSession();
    if (!display)
        return false;
    bool offered = false;
    static const wl_registry_listener listener{
        .global =
            [](void *data, wl_registry *, uint32_t, const char *interface, uint32_t) {
                if (isInterface(interface, zwlr_layer_shell_v1_interface))
                    *static_cast<bool *>(data) = true;
            },
        .global_remove = [](void *, wl_registry *, uint32_t) {}};
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &offered);
    const bool answered = roundtrip(display, answerTimeoutMs);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return answered && offered;
}

std::unique_ptr<RockSurface> LayerShellSurface::make(AppState *state, const IdleRockMetrics *metrics,
                                                     const IdleRockRoll *roll)
{
    auto surface = std::make_unique<LayerShellSurface>(state, metrics, roll);
    if (!surface->isConnected())
        return nullptr;
    return surface;
}

bool LayerShellSurface::isConnected() const
{
    return m_display && !m_broken && m_compositor && m_shm && m_layerShell;
}

bool LayerShellSurface::connectToCompositor()
{
    m_display = connectToSession();
    if (!m_display)
        return false;
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &Listeners::registryEvents, this);
    // The first exchange lists the globals; the second brings the outputs' positions.
    if (!roundtrip(m_display, answerTimeoutMs))
        return false;
    for (const auto &output : m_outputs)
        watchLogicalRect(*output);
    if (!roundtrip(m_display, answerTimeoutMs) || !isConnected())
        return false;
    m_readNotifier = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &LayerShellSurface::readEvents);
    m_writeNotifier = new QSocketNotifier(wl_display_get_fd(m_display), QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &LayerShellSurface::flush);
    return true;
}

void LayerShellSurface::disconnect()
{
    delete m_readNotifier;
    delete m_writeNotifier;
    m_readNotifier = m_writeNotifier = nullptr;
    if (!m_display)
        return;
    destroyLayerSurface();
    m_buffers.clear();
    m_outputs.clear();
    if (m_outputManager)
        zxdg_output_manager_v1_destroy(m_outputManager);
    if (m_layerShell)
        zwlr_layer_shell_v1_destroy(m_layerShell);
    if (m_shm)
        wl_shm_destroy(m_shm);
    if (m_compositor)
        wl_compositor_destroy(m_compositor);
    if (m_registry)
        wl_registry_destroy(m_registry);
    wl_display_disconnect(m_display);
    m_outputManager = nullptr;
    m_layerShell = nullptr;
    m_shm = nullptr;
    m_compositor = nullptr;
    m_registry = nullptr;
    m_display = nullptr;
}

void LayerShellSurface::readEvents()
{
    if (m_broken)
        return;
    while (wl_display_prepare_read(m_display) != 0) {
        if (wl_display_dispatch_pending(m_display) < 0)
            return applyBrokenConnection();
    }
    if (wl_display_read_events(m_display) < 0 || wl_display_dispatch_pending(m_display) < 0)
        return applyBrokenConnection();
    flush();
}

void LayerShellSurface::flush()
{
    if (!m_display || m_broken)
        return;
    const bool sent = wl_display_flush(m_display) >= 0;
    if (!sent && errno != EAGAIN)
        return applyBrokenConnection();
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!sent);
}

void LayerShellSurface::applyBrokenConnection()
{
    if (m_broken)
        return;
    m_broken = true;
    if (m_readNotifier)
        m_readNotifier->setEnabled(false);
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(false);
    qWarning("The compositor's connection broke: the floating rock is not shown any more");
    // Called from inside a dispatch: close the connection once that is over.
    QMetaObject::invokeMethod(this, &LayerShellSurface::disconnect, Qt::QueuedConnection);
}

void LayerShellSurface::addOutput(uint32_t name, wl_output *wlOutput)
{
    auto output = std::make_unique<Output>();
    output->owner = this;
    output->name = name;
    output->output = wlOutput;
    wl_output_add_listener(wlOutput, &Listeners::outputEvents, output.get());
    if (m_outputManager)
        watchLogicalRect(*output);
    m_outputs.push_back(std::move(output));
}

void LayerShellSurface::watchLogicalRect(Output &output)
{
    if (!m_outputManager || output.logical)
        return;
    output.logical = zxdg_output_manager_v1_get_xdg_output(m_outputManager, output.output);
    zxdg_output_v1_add_listener(output.logical, &Listeners::logicalEvents, &output);
}

void LayerShellSurface::removeOutput(uint32_t name)
{
    const auto it = std::find_if(m_outputs.begin(), m_outputs.end(),
                                 [name](const auto &output) { return output->name == name; });
    if (it == m_outputs.end())
        return;
    const bool showsRock = it->get() == m_surfaceOutput;
    if (showsRock)
        destroyLayerSurface();
    m_outputs.erase(it);
    if (showsRock && m_wantsShown)
        makeLayerSurface();
}

void LayerShellSurface::followOutputs()
{
    // An output moved or changed its scale: the margins or the picture may be stale.
    m_picture.refresh();
    applyFrame();
}

LayerShellSurface::Output *LayerShellSurface::outputForFrame() const
{
    QList<QRect> rects;
    for (const auto &output : m_outputs)
        rects.append(output->rect);
    const int index = LayerShellPlacement::outputFor(m_frame, rects);
    return index < 0 ? nullptr : m_outputs[size_t(index)].get();
}

int LayerShellSurface::scale() const
{
    const Output *output = m_surfaceOutput ? m_surfaceOutput : outputForFrame();
    return output ? output->scale : 1;
}

void LayerShellSurface::setFrame(const QRect &frame)
{
    m_frame = frame;
    applyFrame();
}

void LayerShellSurface::show()
{
    m_wantsShown = true;
    if (!m_layerSurface && isConnected())
        makeLayerSurface();
}

void LayerShellSurface::hide()
{
    m_wantsShown = false;
    destroyLayerSurface();
    // The surface is gone, so the compositor shows none of them: free the memory until the next show.
    m_buffers.clear();
    flush();
}

void LayerShellSurface::makeLayerSurface()
{
    m_surface = wl_compositor_create_surface(m_compositor);
    // An empty input region: every click goes to whatever lies beneath.
    wl_region *nothing = wl_compositor_create_region(m_compositor);
    wl_surface_set_input_region(m_surface, nothing);
    wl_region_destroy(nothing);
    m_surfaceOutput = outputForFrame();
    m_layerSurface = zwlr_layer_shell_v1_get_layer_surface(
        m_layerShell, m_surface, m_surfaceOutput ? m_surfaceOutput->output : nullptr,
        ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "kivvo-rock");
    zwlr_layer_surface_v1_add_listener(m_layerSurface, &Listeners::layerEvents, this);
    zwlr_layer_surface_v1_set_anchor(m_layerSurface,
                                     ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
    // -1: placed from the output's corner, over any bar, and never pushed aside by one.
    zwlr_layer_surface_v1_set_exclusive_zone(m_layerSurface, -1);
    zwlr_layer_surface_v1_set_keyboard_interactivity(m_layerSurface,
                                                     ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    m_configured = false;
    m_picturePending = true;
    m_surfaceSize = QSize();
    m_picture.refresh(); // this output's scale
    applySize();
    applyFrame();
    // The first commit carries no buffer: the compositor answers with a configure.
    wl_surface_commit(m_surface);
    flush();
}

void LayerShellSurface::destroyLayerSurface()
{
    if (m_layerSurface)
        zwlr_layer_surface_v1_destroy(m_layerSurface);
    if (m_surface)
        wl_surface_destroy(m_surface);
    m_layerSurface = nullptr;
    m_surface = nullptr;
    m_surfaceOutput = nullptr;
    m_configured = false;
}

void LayerShellSurface::applyFrame()
{
    if (!m_layerSurface)
        return;
    if (outputForFrame() != m_surfaceOutput) {
        // A layer surface stays on the output it was made for: make it again on the new one.
        destroyLayerSurface();
        makeLayerSurface();
        return;
    }
    const QPoint origin = m_surfaceOutput ? m_surfaceOutput->rect.topLeft() : QPoint();
    const QPoint margins = LayerShellPlacement::margins(m_frame, origin);
    zwlr_layer_surface_v1_set_margin(m_layerSurface, margins.y(), 0, 0, margins.x());
    // Before the first configure the margins wait for the commit that brings the first buffer.
    if (m_configured) {
        wl_surface_commit(m_surface);
        flush();
    }
}

void LayerShellSurface::applySize()
{
    const QSize pixels = m_picture.image().size();
    const int factor = scale();
    const QSize points((pixels.width() + factor - 1) / factor, (pixels.height() + factor - 1) / factor);
    if (points == m_surfaceSize || points.isEmpty())
        return;
    m_surfaceSize = points;
    zwlr_layer_surface_v1_set_size(m_layerSurface, uint32_t(points.width()), uint32_t(points.height()));
}

void LayerShellSurface::applyConfigure(uint32_t serial)
{
    zwlr_layer_surface_v1_ack_configure(m_layerSurface, serial);
    const bool first = !m_configured;
    m_configured = true;
    if (first || m_picturePending)
        paintPicture();
    else
        wl_surface_commit(m_surface);
}

void LayerShellSurface::applyRelease(wl_buffer *released)
{
    const QSize pixels = m_picture.image().size();
    const auto it = std::find_if(m_buffers.begin(), m_buffers.end(),
                                 [released](const auto &buffer) { return buffer->buffer == released; });
    if (it == m_buffers.end())
        return;
    (*it)->busy = false;
    if ((*it)->pixels != pixels)
        m_buffers.erase(it); // an old size: no picture will fit it again
    if (m_picturePending && m_configured)
        paintPicture();
}

void LayerShellSurface::followPicture()
{
    if (!m_layerSurface)
        return;
    m_picturePending = true;
    if (m_configured) {
        paintPicture();
        flush();
    }
}

LayerShellSurface::Buffer *LayerShellSurface::freeBuffer(QSize pixels)
{
    std::erase_if(m_buffers,
                  [pixels](const auto &buffer) { return !buffer->busy && buffer->pixels != pixels; });
    for (const auto &buffer : m_buffers) {
        if (!buffer->busy)
            return buffer.get();
    }
    if (m_buffers.size() >= maxBuffers)
        return nullptr;
    auto buffer = std::make_unique<Buffer>();
    buffer->pixels = pixels;
    const int stride = pixels.width() * 4;
    buffer->bytes = size_t(stride) * size_t(pixels.height());
    const int fd = memfd_create("kivvo-rock", MFD_CLOEXEC);
    if (fd < 0)
        return nullptr;
    if (ftruncate(fd, off_t(buffer->bytes)) == 0)
        buffer->data = mmap(nullptr, buffer->bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (buffer->data == MAP_FAILED) {
        close(fd);
        return nullptr;
    }
    wl_shm_pool *pool = wl_shm_create_pool(m_shm, fd, int32_t(buffer->bytes));
    buffer->buffer =
        wl_shm_pool_create_buffer(pool, 0, pixels.width(), pixels.height(), stride, WL_SHM_FORMAT_ARGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    wl_buffer_add_listener(buffer->buffer, &Listeners::bufferEvents, this);
    m_buffers.push_back(std::move(buffer));
    return m_buffers.back().get();
}

void LayerShellSurface::paintPicture()
{
    const QImage &image = m_picture.image();
    Buffer *buffer = image.isNull() ? nullptr : freeBuffer(image.size());
    if (!buffer) {
        m_picturePending = true; // drawn when the compositor gives one back
        return;
    }
    m_picturePending = false;
    // The shared format is little-endian ARGB: the image's own layout on little-endian machines.
    auto *target = static_cast<quint32 *>(buffer->data);
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const quint32 *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            *target++ = qToLittleEndian(line[x]);
    }
    applySize();
    wl_surface_set_buffer_scale(m_surface, scale());
    wl_surface_attach(m_surface, buffer->buffer, 0, 0);
    wl_surface_damage(m_surface, 0, 0, INT32_MAX, INT32_MAX);
    buffer->busy = true;
    wl_surface_commit(m_surface);
    ++m_bufferCount;
}
