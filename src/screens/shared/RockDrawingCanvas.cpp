#include "RockDrawingCanvas.h"

#include "AccessibleRole.h"
#include "CustomRockFace.h"
#include "CustomRockView.h"
#include "RockOutlineHint.h"
#include "Sketch.h"
#include "Theme.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int preferredSide = 224;
constexpr qreal backgroundCorner = 28;
constexpr qreal backgroundFillOpacity = 0.45;
constexpr qreal backgroundLineOpacity = 0.35;
constexpr qreal backgroundLine = 1;
// The stroke is as thick as the drawn rock's ink edge, so the outline keeps its weight when accepted.
constexpr qreal strokeFraction = 0.01640625;
// Points are kept this far inside every edge, so a stroke that leaves the canvas runs along its rim.
constexpr qreal margin = 6;
// Closer points than this to the last recorded one add nothing but jitter.
constexpr qreal minimumStep = 2.5;
// The drawn rock grows from this scale as it fades in.
constexpr qreal enteringScale = 0.88;
const Spring draftSpring{0.42, 0.78};

const QString likeItHint = QStringLiteral("마음에 들어?");
const QString tooSmallHint = QStringLiteral("내 눈이 다 들어가게 크게 그려줘.");
const QString tooTightHint = QStringLiteral("내 눈이 들어가게 그려줘.");

/// A rounded outline around the face room, as one stroke on a canvas of `size`: a superellipse of
/// exponent 3, between a circle and a square, about the room's centre.
QList<QPointF> roundedStroke(QSizeF size)
{
    constexpr int points = 72;
    constexpr double grow = 1.3;
    const QRectF &room = CustomRockShape::faceRoom;
    const double rx = room.width() / 2 * grow, ry = room.height() / 2 * grow * 1.35;
    QList<QPointF> stroke;
    for (int i = 0; i < points; ++i) {
        const double t = 2 * std::numbers::pi * i / points;
        const double c = std::cos(t), s = std::sin(t);
        // |x|^3 + |y|^3 = 1: each coordinate is the circle's, pushed out towards the corners.
        const double x = std::copysign(std::cbrt(c * c), c), y = std::copysign(std::cbrt(s * s), s);
        stroke.append(QPointF((room.center().x() + rx * x) * size.width(), (room.center().y() + ry * y) * size.height()));
    }
    return stroke;
}

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(float(color.alphaF() * alpha));
    return color;
}

} // namespace

RockDrawingCanvas::RockDrawingCanvas(QWidget *parent) : QWidget(parent), m_presence(0.0)
{
    setFocusPolicy(Qt::StrongFocus);
    AccessibleRole::set(this, QAccessible::Canvas);
    setAccessibleName(QStringLiteral("돌 그리는 곳"));
    setAccessibleDescription(QStringLiteral("한 번에 돌 모양을 그려줘. 엔터 키를 누르면 둥근 돌 모양을 그려줄게."));
    connect(&m_presence, &Animation::changed, this, qOverload<>(&QWidget::update));
}

RockDrawingCanvas::~RockDrawingCanvas() = default;

const std::optional<CustomRockShape> &RockDrawingCanvas::draft() const
{
    return m_draft;
}

void RockDrawingCanvas::setDraft(std::optional<CustomRockShape> draft)
{
    if (draft == m_draft)
        return;
    m_draft = std::move(draft);
    followDraft();
}

const QString &RockDrawingCanvas::hint() const
{
    return m_hint;
}

void RockDrawingCanvas::setHint(QString hint)
{
    m_hint = std::move(hint);
}

bool RockDrawingCanvas::showsOutline() const
{
    return m_showsOutline;
}

void RockDrawingCanvas::setShowsOutline(bool shows)
{
    if (shows == m_showsOutline)
        return;
    m_showsOutline = shows;
    update();
}

const QList<QPointF> &RockDrawingCanvas::rawPoints() const
{
    return m_rawPoints;
}

QSize RockDrawingCanvas::sizeHint() const
{
    return {preferredSide, preferredSide};
}

void RockDrawingCanvas::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // Points left over from a stroke whose release never came must not join the new one.
    m_rawPoints.clear();
    m_stroking = true;
    record(event->position());
}

void RockDrawingCanvas::mouseMoveEvent(QMouseEvent *event)
{
    if (m_stroking)
        record(event->position());
}

void RockDrawingCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_stroking)
        return;
    m_stroking = false;
    if (m_draft) {
        // A draft handed in mid-stroke wins; the stroke under it is dropped, not judged.
        m_rawPoints.clear();
        update();
        return;
    }
    complete(size());
}

void RockDrawingCanvas::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) || m_draft || m_stroking) {
        QWidget::keyPressEvent(event);
        return;
    }
    m_rawPoints = roundedStroke(size());
    complete(size());
}

void RockDrawingCanvas::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_stroking = false;
    m_rawPoints.clear();
}

void RockDrawingCanvas::record(QPointF position)
{
    if (m_draft)
        return;
    const QSizeF canvas = size();
    const QPointF point(std::min(std::max(position.x(), margin), canvas.width() - margin),
                        std::min(std::max(position.y(), margin), canvas.height() - margin));
    if (!m_rawPoints.isEmpty()) {
        const QPointF step = point - m_rawPoints.last();
        if (std::hypot(step.x(), step.y()) < minimumStep)
            return;
    }
    m_rawPoints.append(point);
    update();
}

void RockDrawingCanvas::complete(QSizeF size)
{
    const RockDrawing drawing = CustomRockShape::read(m_rawPoints, size);
    m_rawPoints.clear();
    const bool accepted = drawing.kind == RockDrawing::Kind::rock;
    if (accepted) {
        m_draft = drawing.shape;
        followDraft();
    }
    const QString &hint = accepted                                      ? likeItHint
                          : drawing.kind == RockDrawing::Kind::tooTight ? tooTightHint
                                                                        : tooSmallHint;
    const bool hintChanges = hint != m_hint;
    m_hint = hint;
    update();
    // Signals go out only once the canvas is consistent, so a listener may read any of it.
    if (accepted)
        emit draftChanged(m_draft);
    if (hintChanges)
        emit hintChanged(m_hint);
}

void RockDrawingCanvas::followDraft()
{
    if (m_draft)
        m_shownRock = *m_draft;
    // A wiped draft goes at once: fading it out would leave a ghost under the next stroke. A canvas
    // nobody sees has no transition to show; it starts out settled when it appears.
    if (m_draft && isVisible())
        m_presence.animateTo(1.0, draftSpring);
    else
        m_presence.setValue(m_draft ? 1.0 : 0.0);
    update();
}

void RockDrawingCanvas::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    paintBackground(painter);
    // The drawing layer and the drawn rock cross-fade while the rock comes or goes.
    const qreal presence = std::clamp(m_presence.value(), 0.0, 1.0);
    if (presence < 1) {
        painter.save();
        painter.setOpacity(1 - presence);
        paintDrawing(painter);
        painter.restore();
    }
    if (presence > 0)
        paintDraft(painter, presence);
}

void RockDrawingCanvas::paintBackground(QPainter &painter) const
{
    // Inset by half the line so the whole line shows inside the widget's clip.
    const QPainterPath box = Sketch::boxPath(Sketch::insideForLine(rect(), backgroundLine), backgroundCorner);
    painter.fillPath(box, withAlpha(Theme::paper, backgroundFillOpacity));
    painter.strokePath(box, QPen(withAlpha(Theme::inkSoft, backgroundLineOpacity), backgroundLine));
    if (hasFocus())
        Sketch::paintFocusRing(painter, rect(), backgroundCorner, Theme::inkSoft);
}

void RockDrawingCanvas::paintDrawing(QPainter &painter) const
{
    const QRectF canvas = rect();
    if (!m_rawPoints.isEmpty()) {
        const qreal width = std::min(canvas.width(), canvas.height()) * strokeFraction;
        painter.setPen(QPen(Theme::ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(m_rawPoints.constData(), int(m_rawPoints.size()));
    } else if (m_showsOutline) {
        paintRockOutlineHint(painter, canvas);
    }
    paintCustomRockFace(painter, canvas);
}

void RockDrawingCanvas::paintDraft(QPainter &painter, qreal presence) const
{
    // The spring may overshoot: the scale follows it past 1, the opacity stops at 1.
    const qreal scale = enteringScale + (1 - enteringScale) * m_presence.value();
    const QPointF centre = QRectF(rect()).center();
    painter.save();
    painter.setOpacity(presence);
    painter.translate(centre);
    painter.scale(scale, scale);
    painter.translate(-centre);
    paintCustomRock(painter, rect(), m_shownRock, RockColor::original, true, true);
    painter.restore();
}
