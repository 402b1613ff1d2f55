#include "XcbRock.h"

#include "Desktop.h"
#include "IdleRockRoll.h"
#include "QtScreens.h"
#include "ScreenCoordinates.h"
#include "X11Support.h"

#include <QGuiApplication>
#include <QPainter>
#include <QSocketNotifier>

#include <xcb/shape.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>
#include <xcb/xinput.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {
using Entry = XcbRockPictures::Cache::Entry;
// A pointer query sent longer ago than this (the rock rested since) is too old to follow.
constexpr int freshQueryMs = 40;

/// A point of Qt's coordinates in the server's pixels on `screen`.
QPoint toNative(QPointF point, const QtScreens::Screen &screen)
{
    const QPointF origin = screen.geometry.topLeft();
    return (origin + (point - origin) * screen.pixelRatio).toPoint();
}

xcb_screen_t *screenOf(xcb_connection_t *connection, int number)
{
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (; screens.rem && number > 0; --number)
        xcb_screen_next(&screens);
    return screens.rem ? screens.data : nullptr;
}

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

/// Whether a compositing manager owns the selection _NET_WM_CM_S<screen>.
bool hasCompositor(xcb_connection_t *connection, int screenNumber)
{
    const xcb_atom_t selection = atom(connection, QByteArray("_NET_WM_CM_S" + QByteArray::number(screenNumber)));
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t *owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    const bool owned = owner && owner->owner != XCB_NONE;
    std::free(owner);
    return owned;
}

/// A 32-bit true-colour visual, for a window a compositor blends; 0 where the screen has none.
xcb_visualid_t argbVisual(const xcb_screen_t *screen)
{
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem; xcb_depth_next(&depths)) {
        if (depths.data->depth != 32)
            continue;
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem; xcb_visualtype_next(&visuals)) {
            if (visuals.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR)
                return visuals.data->visual_id;
        }
    }
    return 0;
}

/// Whether the display has input shapes (SHAPE 1.1): without them the rock would catch clicks.
bool hasInputShapes(xcb_connection_t *connection)
{
    const xcb_query_extension_reply_t *shape = xcb_get_extension_data(connection, &xcb_shape_id);
    if (!shape || !shape->present)
        return false;
    xcb_shape_query_version_reply_t *version =
        xcb_shape_query_version_reply(connection, xcb_shape_query_version(connection), nullptr);
    const bool has = version && (version->major_version > 1 || version->minor_version >= 1);
    std::free(version);
    return has;
}

/// XInput's opcode where the display has XInput 2 (raw motion), else 0.
uint8_t inputOpcode(xcb_connection_t *connection)
{
    const xcb_query_extension_reply_t *input = xcb_get_extension_data(connection, &xcb_input_id);
    if (!input || !input->present)
        return 0;
    xcb_input_xi_query_version_reply_t *version =
        xcb_input_xi_query_version_reply(connection, xcb_input_xi_query_version(connection, 2, 0), nullptr);
    const bool two = version && version->major_version >= 2;
    std::free(version);
    return two ? input->major_opcode : 0;
}

void setText(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property, const QByteArray &text)
{
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_STRING, 8,
                        uint32_t(text.size()), text.constData());
}

/// Sends an image in pieces the server accepts (a request has a size limit).
void putImage(xcb_connection_t *connection, uint8_t format, xcb_drawable_t drawable, xcb_gcontext_t gc,
              QSize size, uint8_t depth, const QByteArray &bytes)
{
    const int rowBytes = int(bytes.size() / std::max(1, size.height()));
    const qsizetype limit = qsizetype(xcb_get_maximum_request_length(connection)) * 4 - 64;
    const int rowsPerRequest = std::max(1, int(limit / std::max(1, rowBytes)));
    for (int y = 0; y < size.height(); y += rowsPerRequest) {
        const int rows = std::min(rowsPerRequest, size.height() - y);
        xcb_put_image(connection, format, drawable, gc, uint16_t(size.width()), uint16_t(rows), 0, int16_t(y), 0,
                      depth, uint32_t(rows * rowBytes),
                      reinterpret_cast<const uint8_t *>(bytes.constData()) + qsizetype(y) * rowBytes);
    }
}
} // namespace

std::shared_ptr<XcbRock> XcbRock::open(AppState *state, const IdleRockMetrics *metrics, const IdleRockRoll *roll,
                                       std::shared_ptr<const Desktop> desktop)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection) || !screenOf(connection, screenNumber) || !hasInputShapes(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    std::shared_ptr<XcbRock> rock(new XcbRock(connection, state, metrics, roll, std::move(desktop)));
    rock->m_screenNumber = screenNumber;
    rock->m_root = screenOf(connection, screenNumber)->root;
    return rock;
}

XcbRock::XcbRock(xcb_connection_t *connection, AppState *state, const IdleRockMetrics *metrics,
                 const IdleRockRoll *roll, std::shared_ptr<const Desktop> desktop)
    : m_connection(connection), m_desktop(std::move(desktop)), m_roll(roll),
      m_picture(state, metrics, roll, [this] { return m_pixelRatio; }, this, IdleRockPicture::Angle::leftToSurface),
      m_notifier(new QSocketNotifier(xcb_get_file_descriptor(connection), QSocketNotifier::Read, this))
{
    const xcb_setup_t *setup = xcb_get_setup(connection);
    m_layout = {setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST,
                setup->bitmap_format_bit_order == XCB_IMAGE_ORDER_LSB_FIRST, setup->bitmap_format_scanline_pad};
    m_inputOpcode = inputOpcode(connection);
    m_notifier->setEnabled(false); // until the rock rests and listens for motion
    connect(m_notifier, &QSocketNotifier::activated, this, &XcbRock::readEvents);
    connect(&m_picture, &IdleRockPicture::changed, this, &XcbRock::followPicture);
    connect(m_roll, &IdleRockRoll::degreesChanged, this, [this] { applyAngle(); });
}

XcbRock::~XcbRock()
{
    delete m_notifier;
    destroyWindow();
    xcb_disconnect(m_connection);
}

QPointF XcbRock::position() const
{
    // The feed's interface is const; asking the server is what a position costs here.
    return ScreenCoordinates::flipped(const_cast<XcbRock *>(this)->queryPointer(), m_desktop->primaryHeight());
}

QPointF XcbRock::queryPointer()
{
    xcb_query_pointer_cookie_t cookie{m_nextQuery};
    if (!m_nextQuery || m_nextQuerySent.hasExpired(freshQueryMs)) {
        if (m_nextQuery)
            xcb_discard_reply(m_connection, m_nextQuery);
        cookie = xcb_query_pointer(m_connection, m_root);
    }
    m_nextQuery = 0;
    // The answer to a query sent with the last frame is read without first waiting on the socket.
    void *answer = nullptr;
    if (!xcb_poll_for_reply(m_connection, cookie.sequence, &answer, nullptr) || !answer)
        answer = xcb_query_pointer_reply(m_connection, cookie, nullptr);
    if (auto *reply = static_cast<xcb_query_pointer_reply_t *>(answer)) {
        m_lastPointer = QtScreens::fromNative(QRect(reply->root_x, reply->root_y, 1, 1)).topLeft();
        std::free(reply);
    }
    // Raw motion read along with the reply would otherwise wait for the next event to be noticed.
    if (takeEvents(true) && m_listening)
        QMetaObject::invokeMethod(this, &XcbRock::moved, Qt::QueuedConnection);
    // While frames run, the next frame's pointer is asked now and sent with this frame's commit, so
    // that its answer is waiting when that frame starts.
    m_inFrame = !m_listening;
    if (m_inFrame) {
        m_nextQuery = xcb_query_pointer(m_connection, m_root).sequence;
        m_nextQuerySent.start();
    }
    return m_lastPointer;
}

void XcbRock::setListening(bool listening)
{
    if (listening == m_listening)
        return;
    m_listening = listening; // also without XInput 2: it tells frames from rest
    if (!m_inputOpcode)
        return;
    // Nothing but raw motion is ever asked for: while frames run, the socket need not wake anyone.
    m_notifier->setEnabled(listening);
    selectRawMotion(m_connection, m_root, listening);
}

void XcbRock::readEvents()
{
    if (takeEvents(false) && m_listening)
        emit moved();
    if (xcb_connection_has_error(m_connection))
        m_notifier->setEnabled(false); // the display is gone; Qt's own connection ends the program
}

bool XcbRock::takeEvents(bool queuedOnly) const
{
    bool motion = false;
    while (xcb_generic_event_t *event =
               queuedOnly ? xcb_poll_for_queued_event(m_connection) : xcb_poll_for_event(m_connection)) {
        const auto *generic = reinterpret_cast<const xcb_ge_generic_event_t *>(event);
        motion |= (event->response_type & 0x7f) == XCB_GE_GENERIC && generic->extension == m_inputOpcode &&
                  generic->event_type == XCB_INPUT_RAW_MOTION;
        std::free(event);
    }
    return motion;
}

void XcbRock::setFrame(const QRect &frame)
{
    m_frame = frame;
    applyFrame();
}

void XcbRock::show()
{
    const bool composited = hasCompositor(m_connection, m_screenNumber);
    if (m_window && composited != m_translucent)
        destroyWindow(); // a compositor came or went since: the window needs the other kind of visual
    if (!m_window)
        makeWindow(composited);
    m_shown = true;
    applyFrame();
    applyAngle(true);
    xcb_map_window(m_connection, m_window);
    raise();
    xcb_flush(m_connection);
}

void XcbRock::hide()
{
    if (!m_shown)
        return;
    m_shown = false;
    xcb_unmap_window(m_connection, m_window);
    // A rock turned off gives the server its memory back; the pictures are made again when shown.
    freeEntries(m_cache.clear());
    m_angle = -1;
    xcb_flush(m_connection);
}

void XcbRock::raise()
{
    if (!m_window)
        return;
    // Qt's windows are shown and raised on Qt's connection: those requests must reach the server first.
    if (auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        xcb_flush(x11->connection());
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(m_connection, m_window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_flush(m_connection);
}

void XcbRock::makeWindow(bool translucent)
{
    const xcb_screen_t *screen = screenOf(m_connection, m_screenNumber);
    const xcb_visualid_t argb = translucent ? argbVisual(screen) : 0;
    m_translucent = argb != 0;
    m_depth = m_translucent ? 32 : screen->root_depth;
    m_window = xcb_generate_id(m_connection);
    if (m_translucent) {
        m_colormap = xcb_generate_id(m_connection);
        xcb_create_colormap(m_connection, XCB_COLORMAP_ALLOC_NONE, m_colormap, m_root, argb);
    }
    // No events at all: the server repaints the background itself and nothing comes back.
    const uint32_t values[] = {XCB_BACK_PIXMAP_NONE, 0, 1, 0, m_colormap};
    xcb_create_window(m_connection, m_depth, m_window, m_root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      m_translucent ? argb : screen->root_visual,
                      XCB_CW_BACK_PIXMAP | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK |
                          (m_translucent ? uint32_t(XCB_CW_COLORMAP) : 0u),
                      values);
    // An empty input shape: every click goes to what lies beneath.
    xcb_shape_rectangles(m_connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, m_window, 0, 0,
                         0, nullptr);
    setText(m_connection, m_window, XCB_ATOM_WM_NAME, "Kivvo rock");
    setText(m_connection, m_window, XCB_ATOM_WM_CLASS, QByteArray("kivvo\0Kivvo\0", 12));
    const xcb_atom_t utility = atom(m_connection, "_NET_WM_WINDOW_TYPE_UTILITY");
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, atom(m_connection, "_NET_WM_WINDOW_TYPE"),
                        XCB_ATOM_ATOM, 32, 1, &utility);
    m_gc = xcb_generate_id(m_connection);
    xcb_create_gc(m_connection, m_gc, m_window, 0, nullptr);
    const xcb_pixmap_t bit = xcb_generate_id(m_connection);
    xcb_create_pixmap(m_connection, 1, bit, m_window, 1, 1);
    m_maskGc = xcb_generate_id(m_connection);
    xcb_create_gc(m_connection, m_maskGc, bit, 0, nullptr);
    xcb_free_pixmap(m_connection, bit);
    m_nativeFrame = {};
    m_angle = -1;
}

void XcbRock::destroyWindow()
{
    if (!m_window)
        return;
    freeEntries(m_cache.clear());
    xcb_free_gc(m_connection, m_gc);
    xcb_free_gc(m_connection, m_maskGc);
    xcb_destroy_window(m_connection, m_window);
    if (m_colormap)
        xcb_free_colormap(m_connection, m_colormap);
    xcb_flush(m_connection);
    m_window = m_colormap = m_gc = m_maskGc = 0;
    m_shown = false;
}

void XcbRock::applyFrame()
{
    // The screen is asked for only when the rock leaves the one it was on: Qt's search costs.
    const QPointF centre = QRectF(m_frame).center();
    if (m_screenGeneration != QtScreens::generation() || !m_screen.geometry.contains(centre.toPoint())) {
        const QtScreens::Screen *screen = QtScreens::at(centre);
        m_screen = screen ? *screen : QtScreens::Screen{};
        m_screenGeneration = QtScreens::generation();
    }
    const qreal ratio = m_screen.pixelRatio;
    if (ratio != m_pixelRatio) {
        m_pixelRatio = ratio;
        m_picture.refresh(); // redrawn for this screen's pixels
    }
    const QRect native(toNative(m_frame.topLeft(), m_screen), m_picture.image().size());
    if (!m_window || native == m_nativeFrame)
        return;
    const uint32_t values[] = {uint32_t(native.x()), uint32_t(native.y()), uint32_t(native.width()),
                               uint32_t(native.height())};
    const bool resized = native.size() != m_nativeFrame.size();
    xcb_configure_window(m_connection, m_window,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y |
                             (resized ? XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT : 0),
                         values);
    m_nativeFrame = native;
    flush();
}

void XcbRock::applyAngle(bool force)
{
    if (!m_window || !m_shown)
        return; // a hidden rock keeps no pictures
    const QSize size = m_picture.image().size();
    m_step = XcbRockPictures::degreeStep(qsizetype(size.width()) * size.height() * 4, m_cache.budget());
    int angle = int(std::lround(m_roll->degrees() / m_step)) * m_step % 360;
    angle += angle < 0 ? 360 : 0;
    if (angle == m_angle && !force)
        return;
    const Entry *kept = m_cache.find(angle);
    const Entry entry = kept ? *kept : upload(angle);
    if (!kept)
        freeEntries(m_cache.insert(entry));
    xcb_change_window_attributes(m_connection, m_window, XCB_CW_BACK_PIXMAP, &entry.pixmap);
    if (!m_translucent)
        xcb_shape_mask(m_connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, m_window, 0, 0, entry.mask);
    xcb_clear_area(m_connection, 0, m_window, 0, 0, 0, 0);
    m_angle = angle;
    flush();
}

Entry XcbRock::upload(int angle)
{
    const QImage image = angle == 0 ? m_picture.image() : turned(angle);
    const QSize size = image.size();
    Entry entry{angle, xcb_generate_id(m_connection), 0, qsizetype(size.width()) * size.height() * 4};
    xcb_create_pixmap(m_connection, m_depth, entry.pixmap, m_window, uint16_t(size.width()), uint16_t(size.height()));
    putImage(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, entry.pixmap, m_gc, size, m_depth,
             XcbRockPictures::pixels(image, m_translucent, m_layout));
    if (!m_translucent) {
        const QByteArray bits = XcbRockPictures::mask(image, m_layout);
        entry.mask = xcb_generate_id(m_connection);
        xcb_create_pixmap(m_connection, 1, entry.mask, m_window, uint16_t(size.width()), uint16_t(size.height()));
        putImage(m_connection, XCB_IMAGE_FORMAT_XY_PIXMAP, entry.mask, m_maskGc, size, 1, bits);
        entry.bytes += bits.size();
    }
    ++m_uploads;
    return entry;
}

QImage XcbRock::turned(int angle)
{
    const QImage &upright = m_picture.image();
    if (m_fine.isNull())
        m_fine = m_picture.uprightAt(2 * m_pixelRatio);
    QImage image(upright.size(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(m_pixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSizeF points = upright.deviceIndependentSize();
    painter.translate(points.width() / 2, points.height() / 2);
    painter.rotate(angle); // positive turns clockwise on screen
    painter.drawImage(QRectF(QPointF(-points.width() / 2, -points.height() / 2), points), m_fine);
    return image;
}

void XcbRock::freeEntries(const std::vector<Entry> &entries)
{
    for (const Entry &entry : entries) {
        xcb_free_pixmap(m_connection, entry.pixmap);
        if (entry.mask)
            xcb_free_pixmap(m_connection, entry.mask);
    }
}

void XcbRock::followPicture()
{
    freeEntries(m_cache.clear());
    m_fine = {};
    applyFrame();
    applyAngle(true);
}

void XcbRock::commit()
{
    m_inFrame = false;
    xcb_flush(m_connection);
}

void XcbRock::flush()
{
    if (!m_inFrame)
        xcb_flush(m_connection);
}
