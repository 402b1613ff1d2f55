#include "RockPileView.h"

#include "RockPileAccessible.h"

#include "AnimationClock.h"
#include "Delay.h"
#include "RockPile.h"
#include "Sketch.h"
#include "Theme.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

/// Steps every moving stone from the shared clock; registered only while one moves.
class RockPileView::Animator : public Animation {
public:
    explicit Animator(RockPileView *view) : m_view(view) {}
    /// Keeps the clock stepping the stones.
    void wake() { run(); }

private:
    bool step(double dt) override { return m_view->advance(dt); }
    void land() override { m_view->advance(std::numeric_limits<double>::infinity()); }

    RockPileView *m_view;
};

RockPileView::StoneState RockPileView::StoneState::operator+(const StoneState &o) const
{
    return {centre + o.centre, angle + o.angle, scale + o.scale, opacity + o.opacity};
}

RockPileView::StoneState RockPileView::StoneState::operator-(const StoneState &o) const
{
    return {centre - o.centre, angle - o.angle, scale - o.scale, opacity - o.opacity};
}

RockPileView::StoneState RockPileView::StoneState::operator*(double f) const
{
    return {centre * f, angle * f, scale * f, opacity * f};
}

double animationMagnitude(const RockPileView::StoneState &state)
{
    constexpr double stoneSide = 100;
    return std::hypot(std::hypot(state.centre.x(), state.centre.y()), state.angle,
                      std::hypot(state.scale * stoneSide, state.opacity * stoneSide));
}

RockPileView::RockPileView(QWidget *parent)
    : QWidget(parent), m_animator(std::make_unique<Animator>(this)), m_landingDelay(std::make_unique<Delay>())
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setFocusPolicy(Qt::TabFocus);
    RockPileAccessible::install(); // before the name, whose change asks for the pile's reading
    setAccessibleName(u"돌탑"_s);
    connect(m_landingDelay.get(), &Animation::finished, this, &RockPileView::land);
}

RockPileView::~RockPileView() = default;

RockPileView::StoneState RockPileView::restingState(int index, double seed, bool selected, bool vanishing,
                                                    bool dropping)
{
    const RockPile::Place place = RockPile::place(index);
    const double size = RockPile::size(place.row);
    const double jitter = seed - 0.5;
    const double x = RockPile::seatOffset(place.row, place.seat) + 0.12 * size * jitter;
    const double lift = (selected ? selectedLift : 0) + (dropping ? dropLift : 0);
    StoneState state;
    state.centre = QPointF(x, -RockPile::rowCenter(place.row) + 0.08 * size * jitter + lift);
    state.angle = RockPile::contactTilt(place.row, x) + 4 * jitter;
    state.scale = vanishing ? vanishingScale : selected ? StoneSprites::selectedScale : 1.0;
    state.opacity = vanishing ? 0 : 1;
    return state;
}

void RockPileView::setWishes(const QList<Wish> &wishes, const Motion &motion)
{
    m_wishes = wishes;
    const bool animated = motion.kind != Motion::Kind::instant;
    QSet<QUuid> present;
    present.reserve(wishes.size());
    for (int i = 0; i < int(wishes.size()); ++i) {
        present.insert(wishes[i].id);
        auto [it, isNew] = m_stones.try_emplace(wishes[i].id);
        Stone &stone = it->second;
        stone.wish = wishes[i];
        stone.index = i;
        if (isNew) {
            // A stone that arrives while the pile is up grows in from almost nothing.
            StoneState start = targetOf(stone);
            if (animated) {
                start.scale = arrivingScale;
                start.opacity = 0;
            }
            stone.track.setValue(start);
        }
    }
    for (auto &[id, stone] : m_stones) {
        if (!present.contains(id))
            stone.index = -1;
    }
    if (m_selectedId && !present.contains(*m_selectedId))
        m_selectedId.reset();
    followCursor();
    retargetAll(motion);
    updateGeometry();
    update();
}

void RockPileView::setSelectedId(std::optional<QUuid> id, const Motion &motion)
{
    if (id == m_selectedId)
        return;
    m_selectedId = id;
    retargetAll(motion);
    update();
}

void RockPileView::setVanishingIds(const QSet<QUuid> &ids, const Motion &motion)
{
    if (ids == m_vanishing)
        return;
    m_vanishing = ids;
    followCursor();
    retargetAll(motion);
    update();
}

void RockPileView::setAppearance(const RockAppearance &appearance)
{
    if (appearance == m_appearance)
        return;
    m_appearance = appearance;
    update();
}

void RockPileView::setDropId(std::optional<QUuid> id)
{
    m_dropId = id;
    m_landed = false;
    m_landingDelay->cancel();
    retargetAll(Motion::instant());
    if (m_dropId && isVisible())
        scheduleLanding();
    update();
}

double RockPileView::pileHeight() const
{
    return RockPile::pileHeight(int(m_wishes.size()));
}

std::optional<RockPileView::StoneState> RockPileView::stoneState(const QUuid &id) const
{
    const auto it = m_stones.find(id);
    if (it == m_stones.end())
        return std::nullopt;
    return it->second.track.value();
}

QPointF RockPileView::stoneCentre(const StoneState &state) const
{
    return QPointF(width() / 2.0, height() - margin) + state.centre;
}

std::optional<Wish> RockPileView::stoneAt(const QPointF &point) const
{
    // Topmost first, the reverse of painting.
    for (auto it = m_order.rbegin(); it != m_order.rend(); ++it) {
        const Stone &stone = **it;
        if (stone.index < 0 || m_vanishing.contains(stone.wish.id))
            continue;
        const StoneState &state = stone.track.value();
        const double radius = hitDiameter * sizeOf(stone) * state.scale / 2;
        const QPointF d = point - stoneCentre(state);
        if (QPointF::dotProduct(d, d) <= radius * radius)
            return stone.wish;
    }
    return std::nullopt;
}

QList<QUuid> RockPileView::paintOrder() const
{
    QList<QUuid> ids;
    ids.reserve(qsizetype(m_order.size()));
    for (const Stone *stone : m_order)
        ids.append(stone->wish.id);
    return ids;
}

bool RockPileView::isAnimating() const
{
    return !m_moving.empty();
}

QSize RockPileView::sizeHint() const
{
    return QSize(320, int(std::ceil(pileHeight() + 2 * margin)));
}

QSize RockPileView::minimumSizeHint() const
{
    return QSize(0, sizeHint().height());
}

RockPileView::StoneState RockPileView::targetOf(const Stone &stone) const
{
    if (stone.index < 0) {
        // Leaving: shrinks away where it is.
        StoneState gone = stone.track.target();
        gone.scale = arrivingScale;
        gone.opacity = 0;
        return gone;
    }
    const QUuid &id = stone.wish.id;
    const bool dropping = m_dropId == id && !m_landed;
    return restingState(stone.index, stone.wish.drawingSeed(), m_selectedId == id, m_vanishing.contains(id),
                        dropping);
}

void RockPileView::retargetAll(const Motion &motion)
{
    m_retargeting = true;
    for (auto &[id, stone] : m_stones) {
        const StoneState target = targetOf(stone);
        if (!(target == stone.track.target()) || (stone.index < 0 && !stone.track.isMoving()))
            moveStone(stone, target, motion);
    }
    m_retargeting = false;
    rebuildOrder();
}

void RockPileView::moveStone(Stone &stone, const StoneState &target, const Motion &motion)
{
    const bool wasMoving = stone.track.isMoving();
    if (stone.track.moveTo(target, motion)) {
        if (!wasMoving)
            m_moving.push_back(&stone);
        m_animator->wake();
        return;
    }
    if (wasMoving)
        std::erase(m_moving, &stone);
}

void RockPileView::scheduleLanding()
{
    m_landingDelay->start(landingDelay);
}

void RockPileView::land()
{
    if (!m_dropId || m_landed)
        return;
    m_landed = true;
    const auto it = m_stones.find(*m_dropId);
    if (it != m_stones.end())
        moveStone(it->second, targetOf(it->second), Motion::on(landingSpring));
    rebuildOrder();
    update();
}

bool RockPileView::advance(double dt)
{
    QRegion dirty;
    bool doneLeaving = false;
    std::vector<Stone *> still;
    for (Stone *stone : m_moving) {
        dirty += bounds(*stone, stone->track.value()).toAlignedRect();
        if (std::isinf(dt))
            stone->track.land();
        else if (stone->track.step(dt))
            still.push_back(stone);
        dirty += bounds(*stone, stone->track.value()).toAlignedRect();
        doneLeaving = doneLeaving || (stone->index < 0 && !stone->track.isMoving());
    }
    m_moving.swap(still);
    // While stones are being retargeted the map is being walked; the retarget tidies up afterwards.
    if (doneLeaving && !m_retargeting)
        rebuildOrder();
    update(dirty);
    return !m_moving.empty();
}

void RockPileView::rebuildOrder()
{
    // Stones that have shrunk away are gone for good.
    std::erase_if(m_stones, [this](const auto &entry) {
        const Stone &stone = entry.second;
        return stone.index < 0 && !stone.track.isMoving();
    });
    m_order.clear();
    m_order.reserve(m_stones.size());
    Stone *selected = nullptr;
    std::vector<Stone *> placed(m_wishes.size(), nullptr);
    for (auto &[id, stone] : m_stones) {
        if (stone.index < 0)
            m_order.push_back(&stone); // leaving ones underneath, they are fading anyway
        else if (m_selectedId == id)
            selected = &stone;
        else
            placed[stone.index] = &stone;
    }
    for (Stone *stone : placed) {
        if (stone)
            m_order.push_back(stone);
    }
    if (selected)
        m_order.push_back(selected);
}

double RockPileView::sizeOf(const Stone &stone)
{
    return RockPile::size(RockPile::place(std::max(stone.index, 0)).row);
}

QRectF RockPileView::bounds(const Stone &stone, const StoneState &state) const
{
    // A turned square reaches half its diagonal from the centre; the shadow adds its drop and blur.
    const double size = sizeOf(stone);
    const double reach =
        (size * (M_SQRT1_2 + StoneSprites::shadowOffset + 3 * StoneSprites::shadowBlur) + 2) *
        std::max(state.scale, 1.0);
    const QPointF centre = stoneCentre(state);
    return QRectF(centre.x() - reach, centre.y() - reach, 2 * reach, 2 * reach);
}

void RockPileView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    // Sprites carry a transparent border, so their edges need no antialiasing; without it turned
    // images take the raster engine's fast path.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF exposed = event->rect();
    // The device painted on, not the widget: the preview renders it into images of their own density.
    const qreal ratio = painter.paintEngine()->paintDevice()->devicePixelRatioF();
    for (const Stone *stone : m_order) {
        if (stone->track.value().opacity <= 0 || !bounds(*stone, stone->track.value()).intersects(exposed))
            continue;
        paintStone(painter, *stone, ratio);
    }
    if (hasFocus() && m_cursorId) {
        const QRectF circle = stoneCircle(*m_cursorId)->adjusted(-3, -3, 3, 3);
        Sketch::paintFocusRing(painter, circle, circle.width() / 2, Theme::inkSoft, 0);
    }
}

void RockPileView::paintStone(QPainter &painter, const Stone &stone, qreal devicePixelRatio)
{
    const StoneState &state = stone.track.value();
    const double size = sizeOf(stone);
    const double seed = stone.wish.drawingSeed();
    const bool showsFace = stone.index >= 0 && m_selectedId == stone.wish.id;
    const RockAppearance &appearance = stone.wish.rock ? *stone.wish.rock : m_appearance;
    painter.save();
    painter.translate(stoneCentre(state));
    painter.scale(state.scale, state.scale);
    painter.setOpacity(std::clamp(state.opacity, 0.0, 1.0));
    // The wish's own mirror and tilt ride on the pile's turn.
    const double degrees = state.angle + (seed - 0.5) * 14;
    const bool mirrored = seed < 0.5;
    if (stone.track.isMoving() && stone.track.target().angle != state.angle) {
        // Turning: drawn turned from the upright sprite, since no pose would be used twice.
        const StoneSprites::Sprite &sprite = m_sprites.sprite(appearance, size, showsFace, devicePixelRatio);
        StoneSprites::paint(painter, sprite, degrees, mirrored, StoneSprites::shadowOffset * size);
    } else {
        const StoneSprites::Pose &pose =
            m_sprites.pose(appearance, size, showsFace, devicePixelRatio, degrees, mirrored);
        painter.drawImage(pose.at, pose.image);
    }
    painter.restore();
}

void RockPileView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    const std::optional<Wish> hit = stoneAt(event->position());
    m_pressed = hit ? std::optional(hit->id) : std::nullopt;
    m_pressedEmpty = !hit;
}

void RockPileView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    const std::optional<Wish> hit = stoneAt(event->position());
    const bool sameStone = hit && m_pressed == hit->id;
    const bool bothEmpty = !hit && m_pressedEmpty;
    m_pressed.reset();
    m_pressedEmpty = false;
    if (sameStone)
        emit tapped(*hit);
    else if (bothEmpty)
        emit tappedEmpty();
}

const QList<QUuid> &RockPileView::readingOrder() const
{
    if (!m_readingOrder) {
        m_readingOrder.emplace();
        for (auto it = m_wishes.rbegin(); it != m_wishes.rend(); ++it)
            if (!m_vanishing.contains(it->id))
                m_readingOrder->append(it->id);
    }
    return *m_readingOrder;
}

std::optional<Wish> RockPileView::readingWish(const QUuid &id) const
{
    const auto it = m_stones.find(id);
    if (it == m_stones.end() || it->second.index < 0 || m_vanishing.contains(id))
        return std::nullopt;
    return it->second.wish;
}

std::optional<QRectF> RockPileView::stoneCircle(const QUuid &id) const
{
    const auto it = m_stones.find(id);
    if (it == m_stones.end())
        return std::nullopt;
    const StoneState &state = it->second.track.value();
    const double radius = hitDiameter * sizeOf(it->second) * state.scale / 2;
    const QPointF centre = stoneCentre(state);
    return QRectF(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));
}

void RockPileView::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        return moveCursor(-1);
    case Qt::Key_Down:
    case Qt::Key_Right:
        return moveCursor(+1);
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (const std::optional<Wish> wish = m_cursorId ? readingWish(*m_cursorId) : std::nullopt)
            return emit tapped(*wish);
        break;
    case Qt::Key_Escape:
        // With nothing selected, Escape is the panel's.
        if (m_selectedId)
            return emit tappedEmpty();
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

void RockPileView::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    if (!m_cursorId && m_selectedId)
        m_cursorId = m_selectedId;
    // Only the keyboard brings the stone into view; a screen settling its focus leaves the pile be.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        moveCursor(0);
    else
        update();
}

void RockPileView::moveCursor(int step)
{
    const QList<QUuid> &order = readingOrder();
    if (order.isEmpty())
        return;
    qsizetype at = m_cursorId ? order.indexOf(*m_cursorId) : -1;
    at = at < 0 ? 0 : std::clamp<qsizetype>(at + step, 0, order.size() - 1);
    m_cursorId = order[at];
    update();
    emit cursorMoved(*stoneCircle(*m_cursorId));
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(int(at));
    QAccessible::updateAccessibility(&focus);
}

void RockPileView::followCursor()
{
    m_readingOrder.reset();
    if (m_cursorId && !readingWish(*m_cursorId))
        m_cursorId.reset();
}

void RockPileView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    if (m_dropId && !m_landed)
        scheduleLanding();
}
