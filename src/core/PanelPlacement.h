#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

/// Where the panel goes under the tray icon. Every rectangle here is in desktop coordinates with
/// the origin at the bottom left and y growing upwards; a rectangle's y is its bottom edge.
namespace PanelPlacement {

/// Between the icon's bottom edge and the panel's top edge.
inline constexpr double itemGap = 8;
/// The least distance kept from the visible frame's edges.
inline constexpr double edgeMargin = 8;
/// The content is never drawn smaller than this share of its size.
inline constexpr double minimumScale = 0.25;

/// What the placement knows about the icon's screen.
struct Anchor {
    QRectF item;         ///< the icon's rectangle
    QRectF visibleFrame; ///< its screen less panels and docks
};

/// The icon's rectangle when the tray host reports one; else the pointer where the click arrived, as
/// a 1 x 1 rectangle (StatusNotifier hosts report an empty one); nothing when neither is known.
std::optional<QRectF> anchorRect(const QRectF &iconRect, std::optional<QPointF> pointerAtClick);

/// How far the host's click position may lie from the pointer and still be taken as the click: a
/// tray icon is at most 48 points, and the pointer may have moved a little before the call arrived.
inline constexpr double clickTolerance = 64;

/// What is known of a click on the icon, in desktop coordinates.
struct Click {
    std::optional<QPointF> hostPoint; ///< where the tray host says the click was
    bool hostPointOnScreen = false;   ///< whether that point lies on any screen
    std::optional<QPointF> pointer;   ///< the pointer at the click; nothing when it cannot be trusted
};

/// The point the panel hangs from when the icon's rectangle is unknown: the host's point when it lies
/// on a screen and, with a known pointer, near it (some hosts send points local to their own bar);
/// else the pointer; nothing when neither is known, and the panel is centred.
std::optional<QPointF> clickPoint(const Click &click);

/// The content height: short, or tall for this visible frame.
double contentHeight(const QRectF &visibleFrame, bool tall);

/// How much the content is shrunk so that the whole frame fits between the margins: 1 when the screen
/// has room, else the room over the content height. The room reaches from 8 below the item (or 8
/// inside the top edge, if that is lower) down to 8 inside the bottom edge; an item in the lower half
/// of the frame (a tray at the bottom) has the panel rise from the bottom margin, with the whole
/// frame's height less both margins as its room.
double contentScale(const Anchor &anchor, double chrome, double contentHeight);

/// The panel's whole frame (window chrome of height `chrome` included): its content shrunk by
/// `contentScale` (width and height alike), centred under the item, kept 8 points inside the visible
/// frame's left, right and bottom edges (right wins over left), and then its top kept 8 points inside
/// the top edge (top wins over bottom, so a tray at the bottom never pushes the title off screen).
QRectF panelFrame(const Anchor &anchor, double chrome, bool tall);

/// The content size of a panel centred on a screen whose visible frame is `visibleHeight` tall: the
/// width and `contentHeight` as they are, shrunk alike only where the frame (chrome included) would
/// not fit between the top and bottom margins.
QSizeF centredContent(double visibleHeight, double chrome, double contentHeight);

/// The frame rounded to whole points (halves away from zero), as it is compared and set.
QRect integral(const QRectF &frame);

} // namespace PanelPlacement
