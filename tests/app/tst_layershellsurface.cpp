#include "AppState.h"
#include "IdleRockMetrics.h"
#include "IdleRockRoll.h"
#include "LayerShellPlacement.h"
#include "LayerShellSurface.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QTemporaryDir>
#include <QtTest>

#ifdef KIVVO_TEST_WAYLAND_SERVER
#include <wayland-server.h>

#include <atomic>
#include <thread>

// Generated into the program's library with the client code; the server side needs only the description.
extern "C" const wl_interface zwlr_layer_shell_v1_interface;
#endif

namespace {

const QRect laptop(0, 0, 1440, 900);
const QRect wide(1440, 0, 2560, 1440);

#ifdef KIVVO_TEST_WAYLAND_SERVER
/// A compositor that only lists the given globals, on its own thread.
class ListingCompositor {
public:
    ListingCompositor(const char *socket, const QList<const wl_interface *> &globals)
        : m_display(wl_display_create())
    {
        for (const wl_interface *interface : globals)
            wl_global_create(m_display, interface, 1, const_cast<wl_interface *>(interface), bind);
        m_listening = wl_display_add_socket(m_display, socket) == 0;
        m_thread = std::thread([this] {
            wl_event_loop *loop = wl_display_get_event_loop(m_display);
            while (!m_stop) {
                wl_event_loop_dispatch(loop, 20);
                wl_display_flush_clients(m_display);
            }
        });
    }
    ~ListingCompositor()
    {
        m_stop = true;
        m_thread.join();
        // A client still connected is not freed by the display's own destruction.
        wl_display_destroy_clients(m_display);
        wl_display_destroy(m_display);
    }
    bool isListening() const { return m_listening; }

private:
    static void bind(wl_client *client, void *data, uint32_t version, uint32_t id)
    {
        wl_resource_create(client, static_cast<const wl_interface *>(data), int(version), id);
    }

    wl_display *m_display;
    bool m_listening = false;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};
#endif

} // namespace

class TestLayerShellSurface : public QObject {
    Q_OBJECT

    QTemporaryDir runtime;
    QByteArray savedRuntime;
    QByteArray savedDisplay;

private slots:
    void initTestCase()
    {
        QVERIFY(runtime.isValid());
        savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        savedDisplay = qgetenv("WAYLAND_DISPLAY");
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    }
    void cleanupTestCase()
    {
        qputenv("XDG_RUNTIME_DIR", savedRuntime);
        qputenv("WAYLAND_DISPLAY", savedDisplay);
    }

    void outputFor_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<int>("expected");
        QTest::newRow("on the laptop") << QRect(515, 418, 88, 88) << 0;
        QTest::newRow("on the wide screen") << QRect(2000, 700, 88, 88) << 1;
        // Centre at x 1443: past the laptop's last column 1439.
        QTest::newRow("across the seam, centre right") << QRect(1400, 100, 88, 88) << 1;
        QTest::newRow("across the seam, centre left") << QRect(1360, 100, 88, 88) << 0;
        // Under the laptop, where only the taller wide screen reaches: the laptop is 200 away, the
        // wide screen 941.
        QTest::newRow("below the laptop") << QRect(456, 1056, 88, 88) << 0;
        QTest::newRow("beside the wide screen, level with it") << QRect(4100, 1200, 88, 88) << 1;
    }
    void outputFor()
    {
        QFETCH(QRect, frame);
        QFETCH(int, expected);
        QCOMPARE(LayerShellPlacement::outputFor(frame, {laptop, wide}), expected);
    }

    void noOutputNoChoice() { QCOMPARE(LayerShellPlacement::outputFor(QRect(0, 0, 88, 88), {}), -1); }

    void margins_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QPoint>("origin");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("the only output") << QRect(515, 418, 88, 88) << QPoint(0, 0) << QPoint(515, 418);
        QTest::newRow("right of the primary")
            << QRect(1600, 100, 88, 88) << QPoint(1440, 0) << QPoint(160, 100);
        QTest::newRow("left of and lower than the primary")
            << QRect(-1000, 300, 88, 88) << QPoint(-1280, 200) << QPoint(280, 100);
    }
    void margins()
    {
        QFETCH(QRect, frame);
        QFETCH(QPoint, origin);
        QFETCH(QPoint, expected);
        QCOMPARE(LayerShellPlacement::margins(frame, origin), expected);
    }

    void notOfferedWithoutASession()
    {
        qunsetenv("WAYLAND_DISPLAY");
#ifdef KIVVO_TEST_WAYLAND_SERVER
        // Even with a compositor offering it on the default socket name, none is guessed.
        ListingCompositor fallback("wayland-0", {&zwlr_layer_shell_v1_interface});
        QVERIFY(fallback.isListening());
#endif
        QVERIFY(!LayerShellSurface::isOffered());
    }

    void notOfferedWhereTheSocketIsMissing()
    {
        qputenv("WAYLAND_DISPLAY", "kivvo-nobody-here");
        QVERIFY(!LayerShellSurface::isOffered());
    }

    void notOfferedByACompositorThatNeverAnswers()
    {
        QLocalServer silent;
        QVERIFY(silent.listen(runtime.filePath(QStringLiteral("kivvo-silent"))));
        qputenv("WAYLAND_DISPLAY", "kivvo-silent");
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!LayerShellSurface::isOffered());
        // Gives up after a few seconds instead of holding up the start.
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    }

    void noSurfaceWithoutACompositor()
    {
        qunsetenv("WAYLAND_DISPLAY");
        AppState state(QString(), SaveData{});
        IdleRockMetrics metrics;
        IdleRockRoll roll;
        QVERIFY(!LayerShellSurface::make(&state, &metrics, &roll));
#ifdef KIVVO_HAS_WAYLAND
        LayerShellSurface surface(&state, &metrics, &roll);
        QVERIFY(!surface.isConnected());
        surface.setFrame(QRect(515, 418, 88, 88));
        surface.show();
        QVERIFY(!surface.isVisible());
        QCOMPARE(surface.bufferCount(), 0);
#endif
    }

#ifdef KIVVO_TEST_WAYLAND_SERVER
    void offeredWhereListed_data()
    {
        QTest::addColumn<QList<const wl_interface *>>("globals");
        QTest::addColumn<bool>("expected");
        QTest::newRow("with the layer shell")
            << QList<const wl_interface *>{&wl_compositor_interface, &wl_shm_interface,
                                           &zwlr_layer_shell_v1_interface}
            << true;
        QTest::newRow("without it") << QList<const wl_interface *>{&wl_compositor_interface,
                                                                   &wl_shm_interface}
                                    << false;
    }
    void offeredWhereListed()
    {
        QFETCH(QList<const wl_interface *>, globals);
        QFETCH(bool, expected);
        static int run = 0;
        const QByteArray socket = "kivvo-listing-" + QByteArray::number(++run);
        ListingCompositor compositor(socket.constData(), globals);
        QVERIFY(compositor.isListening());
        qputenv("WAYLAND_DISPLAY", socket);
        QCOMPARE(LayerShellSurface::isOffered(), expected);
    }

    void noSurfaceWhereTheLayerShellIsMissing()
    {
        ListingCompositor compositor("kivvo-no-layers", {&wl_compositor_interface, &wl_shm_interface});
        QVERIFY(compositor.isListening());
        qputenv("WAYLAND_DISPLAY", "kivvo-no-layers");
        AppState state(QString(), SaveData{});
        IdleRockMetrics metrics;
        IdleRockRoll roll;
        QVERIFY(!LayerShellSurface::make(&state, &metrics, &roll));
    }
#endif
};

QTEST_MAIN(TestLayerShellSurface)
#include "tst_layershellsurface.moc"
