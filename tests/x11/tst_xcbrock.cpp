#include "AppState.h"
#include "Desktop.h"
#include "FakeDesktop.h"
#include "IdleRockMetrics.h"
#include "IdleRockPicture.h"
#include "IdleRockRoll.h"
#include "QtScreens.h"
#include "XcbRock.h"
#include "XcbRockPictures.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
const DesktopScreen screen{screenId(0), QRectF(0, 0, 1440, 900), QRectF(0, 0, 1440, 900), 60};

/// Frees an xcb reply.
struct Free {
    void operator()(void *reply) const { std::free(reply); }
};
template <class T> using Reply = std::unique_ptr<T, Free>;
} // namespace

/// The rock's window as other X clients see it, on a display of the test's own without a compositor.
class TestXcbRock : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("no X display (Xvfb is not installed)");
        m_x = xcb_connect(nullptr, nullptr);
        QVERIFY(!xcb_connection_has_error(m_x));
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_x)).data->root;
    }
    void cleanupTestCase()
    {
        if (m_x)
            xcb_disconnect(m_x);
    }
    void init()
    {
        m_state = std::make_unique<AppState>(QString(), SaveData{});
        m_desktop = std::make_shared<FakeDesktop>();
        m_desktop->screens = {screen};
        m_rock = XcbRock::open(m_state.get(), &m_metrics, &m_roll, m_desktop);
        QVERIFY(m_rock);
    }
    void cleanup()
    {
        m_rock.reset();
        m_roll.reset();
    }

    void windowTakesNoInputAndAsksForNothing_data()
    {
        QTest::addColumn<bool>("compositor");
        QTest::newRow("cut to the rock without a compositor") << false;
        QTest::newRow("translucent with a compositor") << true;
    }
    void windowTakesNoInputAndAsksForNothing()
    {
        QFETCH(bool, compositor);
        QProcess xcompmgr;
        if (compositor) {
            const QString program = QStandardPaths::findExecutable(QStringLiteral("xcompmgr"));
            if (program.isEmpty())
                QSKIP("xcompmgr is not installed");
            xcompmgr.start(program, {});
            QVERIFY(QTest::qWaitFor([&] { return hasCompositor(); }, 5000));
        }
        m_rock->setFrame(QRect(500, 300, 92, 92));
        m_rock->show();
        settle();
        xcb_window_t window = m_rock->window();
        QVERIFY(window);
        Reply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(m_x, xcb_get_window_attributes(m_x, window), nullptr));
        QVERIFY(attributes);
        QVERIFY(attributes->override_redirect);
        // No Expose, ConfigureNotify or PropertyNotify come back (a compositor asks for some itself).
        if (!compositor)
            QCOMPARE(attributes->all_event_masks, 0u);
        QCOMPARE(attributes->map_state, uint8_t(XCB_MAP_STATE_VIEWABLE));
        QCOMPARE(shapeRectangles(window, XCB_SHAPE_SK_INPUT), 0);
        QCOMPARE(m_rock->isTranslucent(), compositor);
        // Cut to the rock, or a whole square that the compositor blends.
        QCOMPARE(shapeRectangles(window, XCB_SHAPE_SK_BOUNDING) > 1, !compositor);
        QCOMPARE(geometry(window), QRect(500, 300, 92, 92));
        Reply<xcb_get_geometry_reply_t> depth(xcb_get_geometry_reply(m_x, xcb_get_geometry(m_x, window), nullptr));
        QCOMPARE(int(depth->depth), compositor ? 32 : 24);
        xcompmgr.terminate();
        xcompmgr.waitForFinished(5000);
    }

    void showsThePictureAsItIsWithoutABlackRim()
    {
        const auto [expected, shown] = paintedAndShown();
        int inside = 0;
        for (int y = 0; y < expected.height(); ++y) {
            for (int x = 0; x < expected.width(); ++x) {
                if (qAlpha(expected.pixel(x, y)) < 128)
                    continue;
                ++inside;
                // Half-transparent rim pixels show their own colour, not one darkened towards black.
                if (shown.pixel(x, y) != (expected.pixel(x, y) | 0xff000000u))
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2: %3 shown, %4 drawn")
                                         .arg(x).arg(y).arg(shown.pixel(x, y), 8, 16).arg(expected.pixel(x, y), 8, 16)));
            }
        }
        QVERIFY(inside > 92 * 92 / 4); // the rock fills a good part of its square
    }

    void showsTheTurnedRockAsPainted()
    {
        turnTo(90); // a quarter turn: turned the wrong way, the face would be upside down
        const auto [expected, shown] = paintedAndShown();
        int inside = 0;
        int far = 0;
        for (int y = 0; y < expected.height(); ++y) {
            for (int x = 0; x < expected.width(); ++x) {
                if (qAlpha(expected.pixel(x, y)) < 250)
                    continue;
                ++inside;
                const QRgb a = expected.pixel(x, y);
                const QRgb b = shown.pixel(x, y);
                far += std::abs(qGray(a) - qGray(b)) > 48;
            }
        }
        QVERIFY(inside > 92 * 92 / 4);
        QVERIFY2(far * 50 < inside, qPrintable(QStringLiteral("%1 of %2 pixels differ").arg(far).arg(inside)));
    }

    void movesOnlyWhenAPixelChangesAndKeepsOnePicturePerDegree()
    {
        m_rock->setFrame(QRect(500, 300, 92, 92));
        m_rock->show();
        const uint32_t structure = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_x, m_rock->window(), XCB_CW_EVENT_MASK, &structure);
        configureNotifies(); // a round trip: the server watches before the rock moves again
        for (const QRect frame : {QRect(501, 300, 92, 92), QRect(501, 300, 92, 92), QRect(502, 301, 92, 92)})
            m_rock->setFrame(frame);
        QCOMPARE(configureNotifies(), 2);
        QCOMPARE(m_rock->uploads(), 1);

        for (const double degrees : {10.2, 10.4, 11.0, 10.0, 370.0})
            turnTo(degrees);
        QCOMPARE(m_rock->uploads(), 3); // 0, 10 and 11 degrees; 370 is 10 again
        QCOMPARE(m_rock->pictures().count(), 3);
        QCOMPARE(configureNotifies(), 0);

        m_rock->hide(); // a rock turned off gives back the server's memory
        QCOMPARE(m_rock->pictures().bytes(), 0);
    }

    void tellsWhereThePointerIs()
    {
        xcb_warp_pointer(m_x, XCB_NONE, m_root, 0, 0, 0, 0, 300, 200);
        Reply<xcb_get_input_focus_reply_t> sync(xcb_get_input_focus_reply(m_x, xcb_get_input_focus(m_x), nullptr));
        QCOMPARE(m_rock->position(), QPointF(300, 700)); // y up on a 900-point screen
    }

    void cacheKeepsTheRecentWithinItsBudget()
    {
        XcbRockPictures::Cache cache(100);
        QVERIFY(cache.insert({1, 11, 0, 40}).empty());
        QVERIFY(cache.insert({2, 12, 0, 40}).empty());
        QVERIFY(cache.find(1));
        const auto evicted = cache.insert({3, 13, 0, 40});
        QCOMPARE(evicted.size(), size_t(1));
        QCOMPARE(evicted.front().angle, 2); // the least recently used, not the oldest
        QCOMPARE(cache.bytes(), 80);
        QCOMPARE(int(cache.clear().size()), 2);
    }

    void degreeStep_data()
    {
        QTest::addColumn<qsizetype>("bytes");
        QTest::addColumn<int>("step");
        QTest::newRow("90 px: all 360 fit 16 MiB") << qsizetype(90 * 90 * 4) << 1;
        QTest::newRow("130 px: every other degree") << qsizetype(130 * 130 * 4) << 2;
        QTest::newRow("184 px at 2x: every third") << qsizetype(184 * 184 * 4) << 3;
        QTest::newRow("huge: never coarser than 4") << qsizetype(1000 * 1000 * 4) << 4;
    }
    void degreeStep()
    {
        QFETCH(qsizetype, bytes);
        QFETCH(int, step);
        QCOMPARE(XcbRockPictures::degreeStep(bytes, 16 * 1024 * 1024), step);
    }

    void screensAreCopiedAgainWhenMonitorsChange()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("xrandr")).isEmpty())
            QSKIP("xrandr is not installed");
        // The display's one output becomes two monitors side by side, as when a second is plugged in.
        QCOMPARE(QtScreens::all().size(), size_t(1));
        xrandr({"--setmonitor", "KIVVO-LEFT", "720/190x900/240+0+0", "screen"});
        xrandr({"--setmonitor", "KIVVO-RIGHT", "720/190x900/240+720+0", "none"});
        QTRY_COMPARE_WITH_TIMEOUT(QtScreens::all().size(), size_t(2), 5000);
        QCOMPARE(QtScreens::at(QPointF(1000, 100))->geometry, QRect(720, 0, 720, 900));
        QCOMPARE(QtDesktop().screenAt(QPointF(100, 100))->frame, QRectF(0, 0, 720, 900));
        // The seam's column is the right monitor's first, not the left one's last.
        QCOMPARE(QtScreens::at(QPointF(720, 100))->geometry, QRect(720, 0, 720, 900));
        QCOMPARE(QtScreens::at(QPointF(719.5, 100))->geometry, QRect(0, 0, 720, 900));
        QCOMPARE(QtDesktop().screenAt(QPointF(720, 800))->frame, QRectF(720, 0, 720, 900));

        xrandr({"--delmonitor", "KIVVO-RIGHT"}); // unplugged: the output's own monitor comes back
        xrandr({"--delmonitor", "KIVVO-LEFT"});
        QTRY_COMPARE_WITH_TIMEOUT(QtScreens::all().size(), size_t(1), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(QtScreens::at(QPointF(1000, 100))->geometry, QRect(0, 0, 1440, 900), 5000);
    }

    void aBarOnOneMonitorLeavesTheOtherWhole()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("xrandr")).isEmpty())
            QSKIP("xrandr is not installed");
        xrandr({"--setmonitor", "KIVVO-LEFT", "720/190x900/240+0+0", "screen"});
        xrandr({"--setmonitor", "KIVVO-RIGHT", "720/190x900/240+720+0", "none"});
        QTRY_COMPARE_WITH_TIMEOUT(QtScreens::all().size(), size_t(2), 5000);
        // The test plays the window manager: a 200-row bar on the left monitor, and one work area for
        // the whole desktop, as window managers publish it.
        const xcb_window_t dock = xcb_generate_id(m_x);
        xcb_create_window(m_x, XCB_COPY_FROM_PARENT, dock, m_root, 0, 0, 720, 200, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        const uint32_t strut[12] = {0, 0, 200, 0, 0, 0, 0, 0, 0, 719, 0, 0};
        setCardinals(dock, "_NET_WM_STRUT_PARTIAL", XCB_ATOM_CARDINAL, strut, 12);
        setCardinals(m_root, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW, &dock, 1);
        const uint32_t workArea[4] = {0, 200, 1440, 700};
        setCardinals(m_root, "_NET_WORKAREA", XCB_ATOM_CARDINAL, workArea, 4);

        QTRY_COMPARE_WITH_TIMEOUT(QtScreens::at(QPointF(100, 300))->available, QRect(0, 200, 720, 700), 5000);
        QCOMPARE(QtScreens::at(QPointF(1000, 300))->available, QRect(720, 0, 720, 900));
        QCOMPARE(QtDesktop().screenAt(QPointF(1000, 300))->visibleFrame, QRectF(720, 0, 720, 900));

        xcb_delete_property(m_x, m_root, atom("_NET_CLIENT_LIST"));
        xcb_delete_property(m_x, m_root, atom("_NET_WORKAREA"));
        xcb_destroy_window(m_x, dock);
        xcb_flush(m_x);
        xrandr({"--delmonitor", "KIVVO-RIGHT"});
        xrandr({"--delmonitor", "KIVVO-LEFT"});
        QTRY_COMPARE_WITH_TIMEOUT(QtScreens::all().size(), size_t(1), 5000);
    }

private:
    xcb_atom_t atom(const char *name)
    {
        Reply<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(m_x, xcb_intern_atom(m_x, 0, uint16_t(std::strlen(name)), name), nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    void setCardinals(xcb_window_t window, const char *name, xcb_atom_t type, const void *values, uint32_t count)
    {
        xcb_change_property(m_x, XCB_PROP_MODE_REPLACE, window, atom(name), type, 32, count, values);
        xcb_flush(m_x);
    }
    void xrandr(const QStringList &arguments)
    {
        QCOMPARE(QProcess::execute(QStringLiteral("xrandr"), arguments), 0);
    }
    /// Lets the rock send what it queued and waits until the server has done it (its pointer query is
    /// a round trip on its own connection, answered after everything it sent before).
    void settle()
    {
        QCoreApplication::processEvents();
        m_rock->position();
    }
    bool hasCompositor()
    {
        const char name[] = "_NET_WM_CM_S0";
        Reply<xcb_intern_atom_reply_t> atom(
            xcb_intern_atom_reply(m_x, xcb_intern_atom(m_x, 0, sizeof name - 1, name), nullptr));
        Reply<xcb_get_selection_owner_reply_t> owner(
            xcb_get_selection_owner_reply(m_x, xcb_get_selection_owner(m_x, atom->atom), nullptr));
        return owner && owner->owner != XCB_NONE;
    }
    /// The rock as painted at the roll's angle, and as the screen shows it at 500, 300.
    std::pair<QImage, QImage> paintedAndShown()
    {
        m_rock->setFrame(QRect(500, 300, 92, 92));
        m_rock->show();
        settle();
        IdleRockPicture painted(m_state.get(), &m_metrics, &m_roll, [] { return 1.0; });
        return {painted.image().convertToFormat(QImage::Format_ARGB32), grab(QRect(500, 300, 92, 92))};
    }
    int shapeRectangles(xcb_window_t window, xcb_shape_kind_t kind)
    {
        Reply<xcb_shape_get_rectangles_reply_t> reply(
            xcb_shape_get_rectangles_reply(m_x, xcb_shape_get_rectangles(m_x, window, kind), nullptr));
        return reply ? int(reply->rectangles_len) : -1;
    }
    QRect geometry(xcb_window_t window)
    {
        Reply<xcb_get_geometry_reply_t> reply(xcb_get_geometry_reply(m_x, xcb_get_geometry(m_x, window), nullptr));
        return reply ? QRect(reply->x, reply->y, reply->width, reply->height) : QRect();
    }
    /// What the screen shows in `area` (no compositor: the root's pixels are what is seen).
    QImage grab(const QRect &area)
    {
        Reply<xcb_get_image_reply_t> reply(xcb_get_image_reply(
            m_x, xcb_get_image(m_x, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, area.x(), area.y(), area.width(), area.height(), ~0u),
            nullptr));
        if (!reply)
            return {};
        const QImage image(xcb_get_image_data(reply.get()), area.width(), area.height(), QImage::Format_RGB32);
        return image.copy();
    }
    /// ConfigureNotify events on the rock's window since the last call.
    int configureNotifies()
    {
        settle();
        Reply<xcb_get_input_focus_reply_t> sync(xcb_get_input_focus_reply(m_x, xcb_get_input_focus(m_x), nullptr));
        int count = 0;
        while (Reply<xcb_generic_event_t> event{xcb_poll_for_event(m_x)})
            count += (event->response_type & 0x7f) == XCB_CONFIGURE_NOTIFY;
        return count;
    }
    void turnTo(double degrees)
    {
        // The roll's own rules move it; drive it there in one frame.
        m_roll.drive(degrees - m_roll.degrees(), 1.0);
        QVERIFY(qFuzzyCompare(m_roll.degrees(), degrees));
    }

    xcb_connection_t *m_x = nullptr;
    xcb_window_t m_root = 0;
    std::unique_ptr<AppState> m_state;
    std::shared_ptr<FakeDesktop> m_desktop;
    IdleRockMetrics m_metrics;
    IdleRockRoll m_roll;
    std::shared_ptr<XcbRock> m_rock;
};

int main(int argc, char **argv)
{
    // A display of the test's own: the first free number from 150.
    QProcess xvfb;
    const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    int display = 150;
    while (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(display)))
        ++display;
    if (!program.isEmpty()) {
        xvfb.start(program, {QStringLiteral(":%1").arg(display), QStringLiteral("-screen"), QStringLiteral("0"),
                             QStringLiteral("1440x900x24"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        for (int i = 0; i < 100 && !QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(display)); ++i)
            QThread::msleep(50);
        qputenv("DISPLAY", QByteArray(":") + QByteArray::number(display));
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    int result = 0;
    {
        // Qt closes its display while the server still runs: a server gone first leaves Xlib's memory behind.
        QApplication app(argc, argv);
        TestXcbRock test;
        result = QTest::qExec(&test, argc, argv);
    }
    xvfb.terminate();
    xvfb.waitForFinished(5000);
    return result;
}

#include "tst_xcbrock.moc"
