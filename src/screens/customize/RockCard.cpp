#include "RockCard.h"

#include "AccessibleRole.h"
#include "RockImage.h"
#include "Sketch.h"
#include "Theme.h"

#include <QAccessibleWidget>
#include <QPainter>

#include <algorithm>

namespace {

constexpr Spring selectSpring{0.3, 0.78};
constexpr double corner = 18;
constexpr double inset = 10;

/// Read as one of two radio buttons; its press and toggle actions are a tap, so the store decides
/// what is checked (Qt's own toggle would flip the card alone).
class RockCardAccessible : public QAccessibleWidget {
public:
    explicit RockCardAccessible(RockCard *card) : QAccessibleWidget(card, QAccessible::RadioButton) {}

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = static_cast<RockCard *>(widget())->isSelected();
        return state;
    }
    QStringList actionNames() const override
    {
        return QAccessibleWidget::actionNames() << pressAction() << toggleAction();
    }
    void doAction(const QString &name) override
    {
        if (name == pressAction() || name == toggleAction())
            static_cast<RockCard *>(widget())->click();
        else
            QAccessibleWidget::doAction(name);
    }
};

} // namespace

RockCard::RockCard(const QString &label, QWidget *parent) : QAbstractButton(parent), m_selectedness(0)
{
    AccessibleRole::readAs<RockCard, RockCardAccessible>();
    setCheckable(true);
    setAccessibleName(label);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setEnabled(false); // an empty slot until it has a rock
    // A card fills its slot in the row, whatever its (empty) size hint.
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    connect(&m_selectedness, &Animation::changed, this, qOverload<>(&QWidget::update));
}

void RockCard::setRock(std::optional<RockAppearance> rock)
{
    if (rock == m_rock)
        return;
    m_rock = std::move(rock);
    setEnabled(m_rock.has_value());
    update();
}

void RockCard::setSelected(bool selected)
{
    setChecked(selected);
    m_selectedness.animateTo(selected ? 1.0 : 0.0, selectSpring);
}

void RockCard::paintEvent(QPaintEvent *)
{
    if (!m_rock)
        return; // an empty slot
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const double s = std::clamp(m_selectedness.value(), 0.0, 1.0);
    // The frame switches with the state; only the rock springs.
    const double line = isChecked() ? 1.5 : 1.2;
    const QRectF card = Sketch::insideForLine(rect(), line);
    painter.setPen(QPen(isChecked() ? Theme::ink : Theme::inkSoft, line));
    painter.setBrush(Theme::paper);
    painter.drawPath(Sketch::boxPath(card, corner));
    if (hasFocus())
        Sketch::paintFocusRing(painter, rect(), corner, Theme::inkSoft);

    const QRectF room = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    const double side = std::min(room.width(), room.height());
    const QRectF square(room.center().x() - side / 2, room.center().y() - side / 2, side, side);
    const double scale = idleScale + (selectedScale - idleScale) * m_selectedness.value();
    painter.setOpacity(idleOpacity + (1 - idleOpacity) * s);
    painter.translate(square.center());
    painter.scale(scale, scale);
    painter.translate(-square.center());
    paintRock(painter, square, *m_rock, 0.5, false, true);
}
