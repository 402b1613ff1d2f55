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

    /// A stone turned and mirrored as it rests, its shadow already beneath it: drawn with one
    /// unturned image, the cheapest thing a painter does.
    struct Pose {
        QImage image;
        QPointF at; ///< top-left corner of `image`, in points from the stone's centre
    };

    /// Least-recently used sprites beyond this many are dropped: more looks than a pile ever shows.
    static constexpr int capacity = 96;
    /// Poses are made for turns in steps this fine, in degrees: half a degree off is invisible.
    static constexpr double poseStep = 0.5;
    /// Least-recently used poses beyond this many bytes are dropped; a screenful of stones needs a
    /// fraction of it.
    static constexpr qint64 poseBudget = 16 * 1024 * 1024;

    /// The sprite for a stone of side `size` with `appearance`, its face shown or not, for a device
    /// of `devicePixelRatio`; rendered on first use.
    const Sprite &sprite(const RockAppearance &appearance, double size, bool showsFace,
                         qreal devicePixelRatio);

    /// The stone of `sprite`'s look turned by `degrees` (rounded to the pose step) and mirrored when
    /// `mirrored`, with its shadow `shadowDrop` points straight down; made on first use.
    const Pose &pose(const RockAppearance &appearance, double size, bool showsFace, qreal devicePixelRatio,
                     double degrees, bool mirrored);
    /// Whether `degrees` is a turn a pose is made for, so a stone at rest can use one.
    static bool isPoseAngle(double degrees);

    /// Draws a stone centred on the painter's origin: its shadow `shadowDrop` points straight down (the
    /// shadow does not turn with the stone), then the rock turned by `degrees` and mirrored when `mirrored`.
    static void paint(QPainter &painter, const Sprite &sprite, double degrees, bool mirrored,
                      double shadowDrop);

    /// Number of sprites and of poses held.
    int count() const { return int(m_entries.size()); }
    int poseCount() const { return int(m_poses.size()); }
    /// Bytes of pixel data held, sprites and poses.
    qint64 bytes() const;
    /// Drops every sprite and pose.
    void clear();

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

    struct PoseEntry {
        const Entry *sprite; ///< the sprite it was made from; a pose goes when its sprite goes
        int step;            ///< the turn in pose steps
        bool mirrored;
        double shadowDrop;
        Pose pose;
    };

    static Sprite render(const RockAppearance &appearance, double size, bool showsFace,
                         qreal devicePixelRatio);
    static Pose renderPose(const Sprite &sprite, double degrees, bool mirrored, double shadowDrop,
                           qreal scale);
    /// The entry of a sprite, made on first use.
    const Entry &entry(const RockAppearance &appearance, double size, bool showsFace, qreal devicePixelRatio);

    std::list<Entry> m_entries;   ///< most recently used first
    std::list<PoseEntry> m_poses; ///< most recently used first
    qint64 m_poseBytes = 0;
};
