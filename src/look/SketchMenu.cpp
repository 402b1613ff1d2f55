#include "SketchMenu.h"

#include "AccessibleRole.h"
#include "Chevron.h"
#include "Sketch.h"
#include "Theme.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QProxyStyle>
#include <QSpacerItem>
#include <QStyleFactory>
#include <QStyleOption>

#include <algorithm>

namespace {

constexpr qreal corner = 14;
constexpr qreal line = 1.4;
constexpr int boxMinimumHeight = 34;
constexpr int sidePadding = 10;
constexpr int spacing = 4;
/// Below the box, to the menu's top edge.
constexpr int menuGap = 4;
constexpr qreal chevronWidth = 9;
constexpr qreal menuFontSize = 14;

/// Screen readers see the box as one combo box whose value is the current choice in words.
class SketchMenuAccessible : public QAccessibleWidget {
public:
    explicit SketchMenuAccessible(SketchMenu *menu) : QAccessibleWidget(menu, QAccessible::ComboBox) {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return static_cast<SketchMenu *>(widget())->spokenTitle();
        return QAccessibleWidget::text(kind);
    }
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        if (name == pressAction())
            static_cast<SketchMenu *>(widget())->click();
    }
};

/// Width of the column that a menu with icons keeps for the check mark in front of them.
constexpr int checkColumn = 16;
/// The tick's square, as big as the base style's check box.
constexpr int tickBox = 14;
/// From an item's edge to where the base style starts its check and icon column.
constexpr int itemLead = 4;
/// The menu's property that holds the size its icons are drawn at.
constexpr char iconSizeProperty[] = "sketchIconSize";

/// A bare tick in ink, or in the highlighted text colour on the hovered row.
void paintTick(QPainter *painter, const QRectF &box, const QStyleOption *option)
{
    QPainterPath tick;
    tick.moveTo(box.left() + box.width() * 0.22, box.top() + box.height() * 0.52);
    tick.lineTo(box.left() + box.width() * 0.42, box.top() + box.height() * 0.72);
    tick.lineTo(box.left() + box.width() * 0.78, box.top() + box.height() * 0.28);
    const bool hovered = option->state & QStyle::State_Selected;
    const QColor color = hovered ? option->palette.color(QPalette::HighlightedText) : Theme::ink;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->strokePath(tick, QPen(color, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter->restore();
}

/// Draws a checked menu item's indicator as a bare tick and an unchecked one as nothing: the usual
/// empty check boxes would read as a list of options to tick, not one choice. Base styles only frame
/// a checked item's icon instead of ticking it, which next to a colour swatch shows no choice at all,
/// so a menu with icons gets a column of its own for the tick, in front of the icons.
class TickMenuStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element != PE_IndicatorCheckBox || !qobject_cast<const QMenu *>(widget)) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        if (option->state & State_On)
            paintTick(painter, option->rect, option);
    }

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        const auto *item = withIcons(element == CE_MenuItem, option, widget);
        if (!item) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        // The base draws the row, its highlight and its text after a column widened by ours; the tick
        // and the icon are ours to place in it.
        QStyleOptionMenuItem rest = *item;
        rest.maxIconWidth += checkColumn;
        rest.icon = QIcon();
        rest.checkType = QStyleOptionMenuItem::NotCheckable;
        rest.checked = false;
        QProxyStyle::drawControl(element, &rest, painter, widget);

        const QRect &row = item->rect;
        const int left = row.left() + itemLead;
        if (item->checkType != QStyleOptionMenuItem::NotCheckable && item->checked) {
            QRect box(0, 0, tickBox, tickBox);
            box.moveCenter(
                visualRect(item->direction, row, QRect(left, row.top(), checkColumn, row.height())).center());
            paintTick(painter, box, item);
        }
        if (!item->icon.isNull()) {
            const int side = proxy()->pixelMetric(PM_SmallIconSize, option, widget);
            QSize size = widget->property(iconSizeProperty).toSize();
            size = size.isEmpty() ? QSize(side, side) : size.boundedTo(QSize(side, side));
            QRect icon(QPoint(), size);
            icon.moveCenter(visualRect(item->direction, row,
                                       QRect(left + checkColumn, row.top(), item->maxIconWidth, row.height()))
                                .center());
            const bool enabled = item->state & State_Enabled;
            const QIcon::Mode mode =
                !enabled ? QIcon::Disabled : (item->state & State_Selected ? QIcon::Active : QIcon::Normal);
            item->icon.paint(painter, icon, Qt::AlignCenter, mode, item->checked ? QIcon::On : QIcon::Off);
        }
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                           const QWidget *widget) const override
    {
        const auto *item = withIcons(type == CT_MenuItem, option, widget);
        if (!item)
            return QProxyStyle::sizeFromContents(type, option, size, widget);
        QStyleOptionMenuItem wider = *item;
        wider.maxIconWidth += checkColumn;
        return QProxyStyle::sizeFromContents(type, &wider, size, widget);
    }

private:
    /// The item when it is an ordinary row of a menu in which some item has an icon.
    static const QStyleOptionMenuItem *withIcons(bool menuItem, const QStyleOption *option,
                                                 const QWidget *widget)
    {
        const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
        if (!menuItem || !item || !qobject_cast<const QMenu *>(widget))
            return nullptr;
        return item->menuItemType == QStyleOptionMenuItem::Normal && item->maxIconWidth > 0 ? item : nullptr;
    }
};

/// One tick style per application, built on the application's own style.
QStyle *tickMenuStyle()
{
    static QPointer<QStyle> style;
    if (!style) {
        style = new TickMenuStyle(QStyleFactory::create(QApplication::style()->name()));
        style->setParent(qApp);
    }
    return style;
}

QWidget *defaultField(const QString &text)
{
    auto *label = new QLabel(text);
    label->setFont(Theme::handwriting(13, QFont::Bold));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Theme::ink);
    label->setPalette(palette);
    return label;
}

} // namespace

SketchMenu::SketchMenu(QWidget *parent) : QAbstractButton(parent)
{
    AccessibleRole::readAs<SketchMenu, SketchMenuAccessible>();

    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    m_row = new QHBoxLayout(this);
    m_row->setContentsMargins(sidePadding, 0, sidePadding, 0);
    m_row->setSpacing(spacing);
    // Qt puts no spacing beside an empty item, so the 2-point flexible space also carries the
    // row's gap on its far side.
    m_row->addSpacerItem(new QSpacerItem(2 + spacing, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    m_chevron = new Chevron(Chevron::Direction::down, chevronWidth, this);
    m_row->addWidget(m_chevron);

    connect(this, &QAbstractButton::clicked, this, &SketchMenu::present);
    refresh();
}

SketchMenu::~SketchMenu()
{
    delete m_open;
}

void SketchMenu::setItems(const QStringList &titles, const QList<QIcon> &icons)
{
    if (m_open)
        m_open->close();
    m_titles = titles;
    m_icons = icons;
    refresh();
}

void SketchMenu::setCurrent(Current current)
{
    m_current = std::move(current);
    refresh();
}

void SketchMenu::setIconSize(QSize size)
{
    m_iconSize = size;
}

void SketchMenu::setPick(Pick pick)
{
    m_pick = std::move(pick);
}

void SketchMenu::setField(Field field)
{
    m_field = std::move(field);
    refresh();
}

int SketchMenu::currentIndex() const
{
    const int index = m_current ? m_current() : -1;
    return index >= 0 && index < count() ? index : -1;
}

QString SketchMenu::currentTitle() const
{
    return title(currentIndex());
}

QString SketchMenu::spokenTitle() const
{
    const int index = currentIndex();
    return index >= 0 && index < m_spoken.size() ? m_spoken[index] : currentTitle();
}

QMenu *SketchMenu::buildMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->setStyle(tickMenuStyle());
    if (!m_iconSize.isEmpty())
        menu->setProperty(iconSizeProperty, m_iconSize);
    const int current = currentIndex();
    for (int index = 0; index < count(); ++index) {
        QAction *action = menu->addAction(m_titles[index]);
        action->setCheckable(true);
        action->setChecked(index == current);
        action->setIcon(m_icons.value(index));
        if (Theme::handwritingAvailable())
            action->setFont(Theme::handwriting(menuFontSize));
        connect(action, &QAction::triggered, this, [this, index] { pick(index); });
    }
    return menu;
}

QPoint SketchMenu::popupPosition() const
{
    return mapToGlobal(QPoint(0, height() + menuGap));
}

void SketchMenu::present()
{
    // Before it is shown the box has no place on screen to put the menu under.
    if (!isVisible())
        return;
    if (m_open)
        m_open->close();
    m_open = buildMenu(this);
    m_open->setAttribute(Qt::WA_DeleteOnClose);
    m_open->popup(popupPosition());
}

void SketchMenu::refresh()
{
    const int index = currentIndex();
    QWidget *field = m_field ? m_field(index) : defaultField(currentTitle());
    if (!field)
        field = new QWidget;
    field->setAttribute(Qt::WA_TransparentForMouseEvents);
    if (m_fieldWidget)
        delete m_fieldWidget;
    m_fieldWidget = field;
    m_row->insertWidget(0, field, 0, Qt::AlignVCenter);

    QAccessibleValueChangeEvent event(this, spokenTitle());
    QAccessible::updateAccessibility(&event);
    update();
}

QSize SketchMenu::sizeHint() const
{
    QSize hint = QAbstractButton::sizeHint();
    hint.setHeight(std::max(hint.height(), boxMinimumHeight));
    return hint;
}

QSize SketchMenu::minimumSizeHint() const
{
    QSize hint = QAbstractButton::minimumSizeHint();
    hint.setHeight(std::max(hint.height(), boxMinimumHeight));
    return hint;
}

void SketchMenu::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    Sketch::paintBox(painter, Sketch::insideForLine(rect(), line), corner, Theme::paper, line);
    if (hasFocus()) {
        painter.setRenderHint(QPainter::Antialiasing);
        QColor ring = Theme::inkSoft;
        ring.setAlphaF(0.6f);
        painter.strokePath(Sketch::boxPath(QRectF(rect()).adjusted(3, 3, -3, -3), corner - 3), QPen(ring, 1));
    }
}

void SketchMenu::pick(int index)
{
    if (index < 0 || index >= count())
        return;
    // The owner may rebuild its screen, and this box with it, when its value changes.
    const QPointer<SketchMenu> self(this);
    if (m_pick)
        m_pick(index);
    if (!self)
        return;
    refresh();
    emit picked(index);
}
