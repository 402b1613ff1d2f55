#include "ModeSwitch.h"

#include "AccessibleRole.h"
#include "Sketch.h"
#include "SteppedAccessible.h"
#include "Theme.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr Spring knobSpring{0.24, 0.8};
/// The track: 26 tall, 7 above and below; the knob 42 by 22, 2 inside it.
constexpr QRectF track(0.6, 7.6, 86.8, 24.8); // its 1.2 outline inside 88 x 26
constexpr double trackCorner = 13;
constexpr double knobInset = 2;
constexpr QSizeF knobSize(42, 22);
constexpr double knobCorner = 11;

/// Read as one element, a two-step slider: its name, the chosen word as its value (0 글, 1 그림), and
/// set through its value or its actions as a tap would.
class ModeSwitchAccessible : public SteppedAccessible {
public:
    explicit ModeSwitchAccessible(QWidget *widget) : SteppedAccessible(widget) {}

    QStringList actionNames() const override { return SteppedAccessible::actionNames() << toggleAction(); }
    void doAction(const QString &name) override
    {
        if (name == toggleAction())
            requestStep(1 - step());
        else
            SteppedAccessible::doAction(name);
    }

protected:
    int step() const override { return modeSwitch()->mode() == Mode::drawing ? 1 : 0; }
    int lastStep() const override { return 1; }
    QString word(int step) const override { return ModeSwitch::label(step == 1 ? Mode::drawing : Mode::text); }
    void requestStep(int step) override { emit modeSwitch()->modeRequested(step == 1 ? Mode::drawing : Mode::text); }

private:
    using Mode = ModeSwitch::Mode;
    ModeSwitch *modeSwitch() const { return static_cast<ModeSwitch *>(widget()); }
};

} // namespace

ModeSwitch::ModeSwitch(Mode mode, QWidget *parent)
    : QWidget(parent), m_mode(mode), m_knob(mode == Mode::drawing ? 1.0 : 0.0)
{
    AccessibleRole::readAs<ModeSwitch, ModeSwitchAccessible>();
    setFixedSize(width, height);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(u"입력 방식"_s);
    setAccessibleDescription(label(mode));
    connect(&m_knob, &Animation::changed, this, [this] { update(); });
}

void ModeSwitch::setMode(Mode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    m_knob.animateTo(mode == Mode::drawing ? 1.0 : 0.0, knobSpring);
    // Desktop bridges carry a slider's value as a number only: the word goes in the description too.
    setAccessibleDescription(label(mode));
    QAccessibleValueChangeEvent event(this, label(mode));
    QAccessible::updateAccessibility(&event);
    update();
}

QString ModeSwitch::label(Mode mode)
{
    return mode == Mode::drawing ? u"그림"_s : u"글"_s;
}

void ModeSwitch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.setPen(QPen(Theme::inkSoft, 1.2));
    painter.setBrush(Theme::paper);
    painter.drawRoundedRect(track, trackCorner - 0.6, trackCorner - 0.6);
    if (hasFocus())
        Sketch::paintFocusRing(painter, track.adjusted(-3, -3, 3, 3), trackCorner + 3, Theme::inkSoft, 0);
    const double travel = width - 2 * knobInset - knobSize.width();
    const QRectF knob(QPointF(knobInset + travel * m_knob.value(), (height - knobSize.height()) / 2),
                      knobSize);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Theme::ink);
    painter.drawRoundedRect(knob, knobCorner, knobCorner);
    // The words are ink on the track and paper on the knob, split where the knob's edge is while it
    // slides, so neither word vanishes into the colour behind it.
    paintLabels(painter, Theme::ink);
    QPainterPath knobShape;
    knobShape.addRoundedRect(knob, knobCorner, knobCorner);
    painter.setClipPath(knobShape);
    paintLabels(painter, Theme::paper);
}

void ModeSwitch::paintLabels(QPainter &painter, const QColor &colour) const
{
    painter.setFont(Theme::handwriting(11, QFont::Medium));
    painter.setPen(colour);
    for (Mode mode : {Mode::text, Mode::drawing}) {
        const QRectF segment(knobInset + (mode == Mode::drawing ? segmentWidth : 0), 0, segmentWidth, height);
        painter.drawText(segment, Qt::AlignCenter, label(mode));
    }
}

void ModeSwitch::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    // Each segment takes taps over its whole 42 x 40 box; the inset strips count for the nearer one.
    emit modeRequested(event->position().x() < width / 2.0 ? Mode::text : Mode::drawing);
}

void ModeSwitch::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit modeRequested(m_mode == Mode::text ? Mode::drawing : Mode::text);
        return;
    case Qt::Key_Left:
        emit modeRequested(Mode::text);
        return;
    case Qt::Key_Right:
        emit modeRequested(Mode::drawing);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}
