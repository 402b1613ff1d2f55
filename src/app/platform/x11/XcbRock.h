#pragma once

#include "IdleRockPicture.h"
#include "PointerFeed.h"
#include "RockSurface.h"
#include "QtScreens.h"
#include "XcbRockPictures.h"

#include <QElapsedTimer>
#include <QRect>

#include <cstdint>
#include <memory>

class AppState;
class Desktop;
class IdleRockMetrics;
class IdleRockRoll;
class QSocketNotifier;
struct xcb_connection_t;

/// The floating rock on X11, on a connection of its own so that Qt's event machinery never sees it:
/// an override-redirect window that takes no input and asks for no events, whose picture is its
/// background pixmap (the server repaints it), one pixmap per step of roll kept on the server. A frame
/// costs one pointer query, a move when the whole-pixel position changed, a new background when the
/// roll reached another step, and one flush. At rest, raw motion on this connection wakes it.
/// It is the pointer feed too; `XcbRockSurface` shows it to the controller as a surface.
class XcbRock : public PointerFeed {
    Q_OBJECT

public:
    /// Server memory the pictures may hold.
    static constexpr qsizetype pictureBudget = 16 * 1024 * 1024;

    /// A rock on Qt's X display, or null where Qt is not on X11 or the display lacks the SHAPE
    /// extension (click-through needs it).
    static std::shared_ptr<XcbRock> open(AppState *state, const IdleRockMetrics *metrics, const IdleRockRoll *roll,
                                         std::shared_ptr<const Desktop> desktop);
    ~XcbRock() override;

    /// Where the pointer is, in desktop coordinates (y up): the answer to the query sent as the last
    /// frame ended, or a round trip when there was none lately.
    QPointF position() const override;
    /// The pointer as the server reports it, in Qt's coordinates.
    QPointF queryPointer();
    void setListening(bool listening) override;
    bool reportsMotion() const override { return m_inputOpcode != 0; }
    /// A warped pointer sends no raw motion.
    bool reportsWarps() const override { return false; }

    /// Puts the rock's square at `frame` (Qt's global coordinates, points).
    void setFrame(const QRect &frame);
    void show();
    void hide();
    void raise();
    bool isVisible() const { return m_shown; }
    /// Sends what the frame asked for, with the next frame's pointer query: one write a frame.
    void commit();

    /// The window, 0 before the first show.
    uint32_t window() const { return m_window; }
    /// Whether the window is translucent (a compositor blends it) rather than cut to the rock's shape.
    bool isTranslucent() const { return m_translucent; }
    /// The kept pictures.
    const XcbRockPictures::Cache &pictures() const { return m_cache; }
    /// How many pictures were drawn and sent to the server.
    int uploads() const { return m_uploads; }

private:
    XcbRock(xcb_connection_t *connection, AppState *state, const IdleRockMetrics *metrics, const IdleRockRoll *roll,
            std::shared_ptr<const Desktop> desktop);

    void makeWindow(bool translucent);
    void destroyWindow();
    /// Moves and sizes the window for the frame, in the server's pixels.
    void applyFrame();
    /// Shows the picture for the roll's angle, made and sent if not kept.
    void applyAngle(bool force = false);
    /// The look or the size changed: every kept picture is stale.
    void followPicture();
    XcbRockPictures::Cache::Entry upload(int angle);
    /// The picture turned by `angle`: the finer upright copy turned and scaled down, much cheaper than
    /// painting the rock again.
    QImage turned(int angle);
    void freeEntries(const std::vector<XcbRockPictures::Cache::Entry> &entries);
    /// Sends what was asked: at once outside frames, with the frame's commit within one.
    void flush();
    /// Reads what the server sent; raw motion wakes the rock.
    void readEvents();
    /// Takes the events read so far (only those already queued with a reply when `queuedOnly`);
    /// whether raw motion was among them.
    bool takeEvents(bool queuedOnly) const;

    xcb_connection_t *m_connection;
    std::shared_ptr<const Desktop> m_desktop;
    const IdleRockRoll *m_roll;
    qreal m_pixelRatio = 1; ///< of the screen the rock is on; before the picture, which asks for it
    IdleRockPicture m_picture;
    QSocketNotifier *m_notifier;
    uint32_t m_root = 0;
    int m_screenNumber = 0;   ///< the X screen Qt is on
    uint8_t m_inputOpcode = 0; ///< XInput's major opcode; 0 without XInput 2
    XcbRockPictures::Layout m_layout;
    XcbRockPictures::Cache m_cache{pictureBudget};
    uint32_t m_window = 0;
    uint32_t m_colormap = 0;
    uint32_t m_gc = 0;     ///< draws into pictures of the window's depth
    uint32_t m_maskGc = 0; ///< draws into shapes
    uint8_t m_depth = 0;
    bool m_translucent = false;
    bool m_shown = false;
    bool m_listening = false;
    bool m_inFrame = false;    ///< between a frame's pointer query and its commit
    QPointF m_lastPointer;     ///< in Qt's coordinates, for when the server does not answer
    /// The pointer query sent as the last frame ended, so that its answer is waiting when the next
    /// frame asks (sequence number; 0 when none), and when it was sent.
    unsigned int m_nextQuery = 0;
    QElapsedTimer m_nextQuerySent;
    QtScreens::Screen m_screen; ///< the screen the rock's centre is on, as last copied
    int m_screenGeneration = -1; ///< of the screens' copy `m_screen` came from
    QImage m_fine;       ///< the upright picture at twice the pixels, made with the first turn
    QRect m_frame;       ///< in Qt's coordinates
    QRect m_nativeFrame; ///< as the window has it, in the server's pixels
    int m_angle = -1;    ///< the step shown; -1 when none
    int m_step = 1;      ///< degrees between kept pictures, for the picture's size
    int m_uploads = 0;
};

/// The X11 rock as the controller's surface; the rock itself is shared with the pointer feed.
class XcbRockSurface : public RockSurface {
public:
    explicit XcbRockSurface(std::shared_ptr<XcbRock> rock) : m_rock(std::move(rock)) {}

    void setFrame(const QRect &frame) override { m_rock->setFrame(frame); }
    void show() override { m_rock->show(); }
    void hide() override { m_rock->hide(); }
    void raise() override { m_rock->raise(); }
    bool isVisible() const override { return m_rock->isVisible(); }
    void commit() override { m_rock->commit(); }

    XcbRock *rock() const { return m_rock.get(); }

private:
    std::shared_ptr<XcbRock> m_rock;
};
