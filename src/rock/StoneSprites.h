#pragma once

#include "RockAppearance.h"

#include <QImage>
#include <QPointF>

#include <list>

class QPainter;

/// The pictures of a pile's stones, rendered once and then only drawn: a pile of thousands of stones
/// has a dozen sizes and a handful of looks, so a few sprites serve every stone.
///
/// A sprite is drawn about the stone's centre. The shading lies on the rock and is clipped to its own
/// silhouette; the shadow is the silhouette blurred, in ink, ready to be drawn under the turned stone.
class StoneSprites {
public:
    /// One stone's pictures, upright and unmirrored, centred on the origin.
    struct Sprite {
        QImage rock;      ///< the rock with its shading
        QPointF rockAt;   ///< top-left corner of `rock`, in points from the stone's centre
        QImage shadow;    ///< the blurred silhouette in ink at the shadow's opacity
        QPointF shadowAt; ///< top-left corner of `shadow`, in points from the stone's centre
    };

    /// Least-recently used sprites beyond this many are dropped: more looks than a pile ever shows.
    static constexpr int capacity = 96;

    /// The sprite for a stone of side `size` with `appearance`, its face shown or not, for a device
    /// of `devicePixelRatio`; rendered on first use.
    const Sprite &sprite(const RockAppearance &appearance, double size, bool showsFace,
                         qreal devicePixelRatio);

    /// Draws a stone centred on the painter's origin: its shadow `shadowDrop` points straight down (the
    /// shadow does not turn with the stone), then the rock turned by `degrees` and mirrored when `mirrored`.
    static void paint(QPainter &painter, const Sprite &sprite, double degrees, bool mirrored,
                      double shadowDrop);

    /// Number of sprites held.
    int count() const { return int(m_entries.size()); }
    /// Bytes of pixel data held.
    qint64 bytes() const;
    /// Drops every sprite.
    void clear() { m_entries.clear(); }

    /// Shares of the shadow and shading, relative to the stone's side.
    static constexpr double shadowBlur = 0.035;   ///< blur radius
    static constexpr double shadowOffset = 0.055; ///< drop below the stone
    static constexpr double shadowOpacity = 0.15;
    /// How far a selected stone grows; its sprite is rendered that much finer so it stays sharp.
    static constexpr double selectedScale = 1.14;

private:
    struct Entry {
        RockAppearance appearance;
        double size;
        bool showsFace;
        qreal devicePixelRatio;
        Sprite sprite;
    };

    static Sprite render(const RockAppearance &appearance, double size, bool showsFace,
                         qreal devicePixelRatio);

    std::list<Entry> m_entries; ///< most recently used first
};
