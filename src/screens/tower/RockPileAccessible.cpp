#include "RockPileAccessible.h"

#include "AccessibleRole.h"
#include "RockPileView.h"
#include "WishCard.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace {

/// One stone: it has no widget of its own, so it answers for itself from the pile.
class StoneAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    StoneAccessible(RockPileView *pile, const QUuid &id) : m_pile(pile), m_id(id) {}

    bool isValid() const override { return wish().has_value(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_pile ? m_pile->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_pile); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text kind) const override
    {
        const std::optional<Wish> shown = wish();
        return kind == QAccessible::Name && shown ? WishCard::spokenName(*shown) : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        const std::optional<QRectF> circle = m_pile ? m_pile->stoneCircle(m_id) : std::nullopt;
        if (!circle)
            return {};
        return QRect(m_pile->mapToGlobal(circle->topLeft().toPoint()), circle->size().toSize());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.selectable = state.focusable = true;
        state.selected = m_pile->selectedId() == m_id;
        state.focused = m_pile->hasFocus() && m_pile->cursorId() == m_id;
        return state;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        // Pressed, a stone shows its card, as a tap does.
        if (const std::optional<Wish> shown = wish(); shown && name == pressAction())
            emit m_pile->tapped(*shown);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

    const QUuid &id() const { return m_id; }

private:
    std::optional<Wish> wish() const { return m_pile ? m_pile->readingWish(m_id) : std::nullopt; }

    QPointer<RockPileView> m_pile;
    QUuid m_id;
};

/// The pile: a list of its stones in reading order. It keeps one element per stone for as long as
/// it lives, so a screen reader holding one finds it again (gone stones report themselves invalid).
class PileAccessible : public QAccessibleWidget {
public:
    explicit PileAccessible(RockPileView *pile) : QAccessibleWidget(pile, QAccessible::List) {}
    ~PileAccessible() override
    {
        for (QAccessible::Id id : std::as_const(m_stones))
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return int(pile()->readingOrder().size()); }
    QAccessibleInterface *child(int index) const override
    {
        const QList<QUuid> &order = pile()->readingOrder();
        if (index < 0 || index >= order.size())
            return nullptr;
        const QUuid &id = order[index];
        if (!m_stones.contains(id))
            m_stones.insert(id, QAccessible::registerAccessibleInterface(new StoneAccessible(pile(), id)));
        return QAccessible::accessibleInterface(m_stones.value(id));
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        const auto *stone = dynamic_cast<const StoneAccessible *>(child);
        return stone ? int(pile()->readingOrder().indexOf(stone->id())) : -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const std::optional<Wish> hit = pile()->stoneAt(pile()->mapFromGlobal(QPoint(x, y)));
        return hit ? child(int(pile()->readingOrder().indexOf(hit->id))) : nullptr;
    }

private:
    RockPileView *pile() const { return static_cast<RockPileView *>(widget()); }

    mutable QHash<QUuid, QAccessible::Id> m_stones;
};

} // namespace

void RockPileAccessible::install()
{
    AccessibleRole::readAs<RockPileView, PileAccessible>();
}
