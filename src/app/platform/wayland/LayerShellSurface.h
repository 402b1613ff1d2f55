#pragma once

#include "IdleRockPicture.h"
#include "RockSurface.h"

#include <QObject>
#include <QRect>

#include <cstdint>

#include <memory>
#include <vector>

class AppState;
class IdleRockMetrics;
class IdleRockRoll;
class QSocketNotifier;
struct wl_buffer;
struct wl_compositor;
struct wl_display;
struct wl_output;
struct wl_registry;
struct wl_shm;
struct wl_surface;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;
struct zxdg_output_manager_v1;

/// The floating rock as an overlay surface of the compositor's layer shell, on a Wayland connection
/// of its own (the rest of the program may run on XWayland). It sits above full-screen windows, is
/// moved by its margins alone and takes no input at all, so every click reaches what lies beneath,
/// native or X11. Exists only where the build found the Wayland client library (KIVVO_HAS_WAYLAND);
/// elsewhere `isOffered()` is false and `make()` null.
class LayerShellSurface : public QObject, public RockSurface {
    Q_OBJECT

public:
    /// Connects to the session's compositor; without one (or without its layer shell) the surface
    /// never shows (`isConnected()` false).
    LayerShellSurface(AppState *state, const IdleRockMetrics *metrics, const IdleRockRoll *roll,
                      QObject *parent = nullptr);
    ~LayerShellSurface() override;

    /// Whether the session's compositor offers the layer shell: one short exchange on a connection
    /// of its own, false without WAYLAND_DISPLAY or an answer within two seconds.
    static bool isOffered();
    /// A connected surface, or null where the build has no Wayland or the compositor no layer shell.
    static std::unique_ptr<RockSurface> make(AppState *state, const IdleRockMetrics *metrics,
                                             const IdleRockRoll *roll);

    void setFrame(const QRect &frame) override;
    void show() override;
    void hide() override;
    /// Nothing to do: the overlay layer is above every window.
    void raise() override {}
    bool isVisible() const override { return m_wantsShown && m_layerSurface != nullptr; }

    /// Whether the connection and every global it needs are there.
    bool isConnected() const;
    /// The rock as the surface shows it now.
    const QImage &picture() const { return m_picture.image(); }
    /// How many buffers were committed (a move commits none).
    int bufferCount() const { return m_bufferCount; }

private:
    struct Buffer;
    struct Output;
    struct Listeners;

    bool connectToCompositor();
    void disconnect();
    /// Reads and dispatches whatever the compositor sent.
    void readEvents();
    /// Sends queued requests; a full socket is retried when it drains.
    void flush();
    /// Gives up on a broken connection: the rock stays hidden from then on.
    void applyBrokenConnection();

    void addOutput(uint32_t name, wl_output *output);
    /// Asks for the output's place in the logical space, where the compositor tells it.
    void watchLogicalRect(Output &output);
    void removeOutput(uint32_t name);
    /// An output changed: the margins or the picture's scale may be stale.
    void followOutputs();

    void makeLayerSurface();
    void destroyLayerSurface();
    /// The output that should show the current frame, or null to let the compositor choose.
    Output *outputForFrame() const;
    /// Sends the margins for the current frame (and moves to another output if it left this one).
    void applyFrame();
    /// Asks for the picture's size in points when it changed.
    void applySize();
    void applyConfigure(uint32_t serial);
    void applyRelease(wl_buffer *buffer);
    /// Draws the current picture into a free buffer and commits it; waits for a release if none is.
    void paintPicture();
    void followPicture();
    Buffer *freeBuffer(QSize pixels);
    int scale() const;

    wl_display *m_display = nullptr;
    wl_registry *m_registry = nullptr;
    wl_compositor *m_compositor = nullptr;
    wl_shm *m_shm = nullptr;
    zwlr_layer_shell_v1 *m_layerShell = nullptr;
    zxdg_output_manager_v1 *m_outputManager = nullptr;
    std::vector<std::unique_ptr<Output>> m_outputs;
    std::vector<std::unique_ptr<Buffer>> m_buffers;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;

    wl_surface *m_surface = nullptr;
    zwlr_layer_surface_v1 *m_layerSurface = nullptr;
    Output *m_surfaceOutput = nullptr; ///< the output the surface was made for; null: compositor's choice
    bool m_configured = false;         ///< the first configure was acknowledged: buffers may follow
    bool m_picturePending = false;     ///< a picture waits for a buffer to come back
    bool m_wantsShown = false;
    bool m_broken = false; ///< the connection failed; it is closed once the current dispatch is over
    QRect m_frame;
    QSize m_surfaceSize; ///< the size last asked of the compositor, in points
    int m_bufferCount = 0;
    IdleRockPicture m_picture;
};
