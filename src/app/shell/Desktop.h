#pragma once

#include <QPointF>
#include <QRectF>

#include <memory>
#include <optional>

/// One screen as the placement rules see it, in desktop coordinates (y growing upwards).
struct DesktopScreen {
    const void *id = nullptr; ///< identifies the screen; equal ids are the same screen
    QRectF frame;             ///< the whole screen
    QRectF visibleFrame;      ///< less panels, docks and trays
    double refreshRate = 0;   ///< as reported; 0 when unknown
    double pixelRatio = 1;    ///< the display's pixels a point

    /// Whether `point` is on this screen. A screen holds its left edge but not its right, and (y up)
    /// its top but not its bottom, so that the column and the row at a seam belong to one screen.
    bool holds(QPointF point) const
    {
        return point.x() >= frame.left() && point.x() < frame.left() + frame.width() &&
               point.y() > frame.top() && point.y() <= frame.top() + frame.height();
    }
    /// The same screen with the same frames and rate.
    bool operator==(const DesktopScreen &) const = default;
};

/// The pointer and the screens, in desktop coordinates with y growing upwards. The real one asks Qt;
/// tests give their own.
class Desktop {
public:
    virtual ~Desktop() = default;
    /// Where the pointer is now.
    virtual QPointF pointer() const = 0;
    /// Whether `pointer()` is where the pointer really is (a display server may only know it over its
    /// own windows).
    virtual bool knowsPointer() const { return true; }
    /// The first screen that holds the point (`DesktopScreen::holds`), else the primary screen; none
    /// without screens.
    virtual std::optional<DesktopScreen> screenAt(QPointF point) const = 0;
    /// The primary screen's height: the one constant that converts to and from Qt's coordinates.
    virtual double primaryHeight() const = 0;
};

class PointerFeed;

/// The desktop as Qt reports it, the pointer included unless a compositor's feed knows it better.
class QtDesktop : public Desktop {
public:
    /// Qt's screens; the pointer from Qt's display connection.
    QtDesktop() = default;
    /// Under XWayland the display knows the pointer only over its own windows: the compositor's feed
    /// tells it instead, and without one the pointer is not to be trusted.
    void usePointerFeed(std::shared_ptr<const PointerFeed> feed, bool displayKnowsPointer);

    QPointF pointer() const override;
    bool knowsPointer() const override { return m_feed || m_displayKnowsPointer; }
    std::optional<DesktopScreen> screenAt(QPointF point) const override;
    double primaryHeight() const override;

private:
    std::shared_ptr<const PointerFeed> m_feed; ///< null: ask the display
    bool m_displayKnowsPointer = true;
};
