#pragma once

#include "Motion.h"
#include "RockAppearance.h"
#include "StoneSprites.h"
#include "Wish.h"

#include <QHash>
#include <QSet>
#include <QUuid>
#include <QWidget>

#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

/// The tower of wish stones, painted by one widget over the whole scroll content so a dropping, grown
/// or shadowed stone is never cut off. The pile stands on the widget's bottom edge, less a margin,
/// centred across its width.
///
/// Without a mouse the pile takes the focus: the arrow keys move from stone to stone, newest first,
/// Return or Space taps the stone, Escape taps beside the stones. A screen reader reads every stone.
///
/// Each stone keeps its own animated state, found by its wish's id, so it glides to a new seat when the
/// list is reordered. The host states the motion of every change; all stones run from one animator on
/// the shared clock, which stops when nothing moves.
class RockPileView : public QWidget {
    Q_OBJECT

public:
    /// What the pile animates per stone. The centre is in points from the pile's bottom centre, y down.
    struct StoneState {
        QPointF centre;
        double angle = 0;   ///< degrees clockwise, from the stones below and the wish's jitter
        double scale = 1;   ///< 1.14 selected, 0.4 vanishing, almost 0 arriving or leaving
        double opacity = 1; ///< 0 vanishing or leaving

        StoneState operator+(const StoneState &o) const;
        StoneState operator-(const StoneState &o) const;
        StoneState operator*(double f) const;
        bool operator==(const StoneState &) const = default;
    };

    /// Free space kept above and below the pile.
    static constexpr double margin = 8;
    /// How far the dropping stone starts above its seat, and the selected stone rises.
    static constexpr double dropLift = -90;
    static constexpr double selectedLift = -6;
    /// Scale of a vanishing stone, and of a stone arriving or leaving the list.
    static constexpr double vanishingScale = 0.4;
    static constexpr double arrivingScale = 0.00001;
    /// The hit circle's diameter as a share of the stone's side.
    static constexpr double hitDiameter = 0.72;
    /// The landing: a pause after the pile shows, then a bouncy fall.
    static constexpr double landingDelay = 0.08;
    static constexpr Spring landingSpring{0.5, 0.55};

    explicit RockPileView(QWidget *parent = nullptr);
    ~RockPileView() override;

    /// The state a stone at `index` of a pile settles in.
    static StoneState restingState(int index, double seed, bool selected, bool vanishing, bool dropping);

    /// The stones, in stacking order. Kept stones move to their new seats as `motion` says; new ones
    /// grow in and removed ones shrink away with it (at once when it is instant).
    const QList<Wish> &wishes() const { return m_wishes; }
    void setWishes(const QList<Wish> &wishes, const Motion &motion = Motion::instant());
    /// The highlighted stone: grown, lifted, its face shown, on top of every other.
    std::optional<QUuid> selectedId() const { return m_selectedId; }
    void setSelectedId(std::optional<QUuid> id, const Motion &motion = Motion::instant());
    /// Stones being deleted: they shrink and fade and take no taps.
    const QSet<QUuid> &vanishingIds() const { return m_vanishing; }
    void setVanishingIds(const QSet<QUuid> &ids, const Motion &motion = Motion::instant());
    /// The look of stones whose wish keeps none of its own.
    const RockAppearance &appearance() const { return m_appearance; }
    void setAppearance(const RockAppearance &appearance);
    /// The stone that drops onto its seat: it waits 90 points up and lands shortly after the pile is on
    /// screen (at once if it already is).
    std::optional<QUuid> dropId() const { return m_dropId; }
    void setDropId(std::optional<QUuid> id);
    /// Whether the dropping stone has been let go.
    bool landed() const { return m_landed; }

    /// Height of the pile itself, without the margins.
    double pileHeight() const;
    /// The current state of the stone of `id`, if it is in the pile (leaving ones included).
    std::optional<StoneState> stoneState(const QUuid &id) const;
    /// Where the stone's centre is drawn in this widget.
    QPointF stoneCentre(const StoneState &state) const;
    /// The topmost stone whose hit circle holds `point`; vanishing and leaving stones take none.
    std::optional<Wish> stoneAt(const QPointF &point) const;
    /// Ids of the stones in painting order, bottom first.
    QList<QUuid> paintOrder() const;
    /// Whether any stone is moving.
    bool isAnimating() const;
    /// The shared pictures of the stones (for measuring).
    const StoneSprites &sprites() const { return m_sprites; }
    /// The ids of the stones a keyboard and a screen reader go through: those not leaving or vanishing,
    /// newest first. Kept until the stones change, as a screen reader asks for it once per stone.
    const QList<QUuid> &readingOrder() const;
    /// The wish of a stone in the reading order, if it is one.
    std::optional<Wish> readingWish(const QUuid &id) const;
    /// The stone the keyboard is on, if any.
    std::optional<QUuid> cursorId() const { return m_cursorId; }
    /// The hit circle of the stone of `id` in this widget, if it is in the pile.
    std::optional<QRectF> stoneCircle(const QUuid &id) const;

    /// The pile and its margins, over the width it is given.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    /// A stone was tapped.
    void tapped(const Wish &wish);
    /// A tap landed on no stone.
    void tappedEmpty();
    /// The keyboard moved onto a stone whose hit circle is `circle` in this widget.
    void cursorMoved(const QRectF &circle);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    /// Coming in by Tab, it starts on the selected stone, else the newest, and shows it.
    void focusInEvent(QFocusEvent *event) override;
    /// The first showing with a drop lets the stone fall.
    void showEvent(QShowEvent *event) override;

private:
    class Animator;
    struct Stone {
        Wish wish;
        int index = -1; ///< place in `m_wishes`; -1 once it is leaving
        MotionTrack<StoneState> track;
    };
    struct IdHash {
        size_t operator()(const QUuid &id) const { return qHash(id); }
    };

    /// The state `stone` heads for under the current inputs.
    StoneState targetOf(const Stone &stone) const;
    /// Sends every stone whose target changed on its way as `motion` says.
    void retargetAll(const Motion &motion);
    /// Sends one stone to `target`.
    void moveStone(Stone &stone, const StoneState &target, const Motion &motion);
    /// Starts the fall of the dropping stone, after the landing delay.
    void scheduleLanding();
    /// The dropping stone falls into place.
    void land();
    /// One frame for every moving stone; returns whether any still moves.
    bool advance(double dt);
    /// Drops stones that finished leaving; rebuilds the painting order.
    void rebuildOrder();
    /// Moves the keyboard `step` stones along the reading order (onto the newest from none), shows
    /// that stone and tells screen readers.
    void moveCursor(int step);
    /// After the stones changed: a new reading order, and the keyboard's stone dropped once it is gone.
    void followCursor();
    /// Points a stone may cover at `state`, shadow and turn included.
    QRectF bounds(const Stone &stone, const StoneState &state) const;
    /// Side of the stone's square.
    static double sizeOf(const Stone &stone);
    /// Paints one stone.
    void paintStone(QPainter &painter, const Stone &stone, qreal devicePixelRatio);

    QList<Wish> m_wishes;
    std::optional<QUuid> m_selectedId;
    QSet<QUuid> m_vanishing;
    RockAppearance m_appearance;
    std::optional<QUuid> m_dropId;
    bool m_landed = false;
    bool m_shownOnce = false;
    bool m_retargeting = false; ///< stones are being walked: none may be erased

    std::unordered_map<QUuid, Stone, IdHash> m_stones; ///< node-based: pointers stay valid until erased
    std::vector<Stone *> m_order;                      ///< painting order, bottom first
    std::vector<Stone *> m_moving;                     ///< stones whose track moves
    std::unique_ptr<Animator> m_animator;
    std::unique_ptr<class Delay> m_landingDelay;
    std::optional<QUuid> m_pressed; ///< the stone under the press, to be tapped on release
    bool m_pressedEmpty = false;
    mutable StoneSprites m_sprites;
    std::optional<QUuid> m_cursorId; ///< the keyboard's stone; always one of the reading order
    mutable std::optional<QList<QUuid>> m_readingOrder; ///< built on demand; dropped when stones change
};

/// A stone state's size for settling: points and degrees as they are, scale and opacity as the points
/// they move on a stone of a hundred.
double animationMagnitude(const RockPileView::StoneState &state);
