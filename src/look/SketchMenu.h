#pragma once

#include <QAbstractButton>
#include <QIcon>
#include <QList>
#include <QMenu>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <ranges>
#include <type_traits>

class Chevron;
class QHBoxLayout;

/// A pick-one control in the sketch style: a full-width outlined box showing the current choice and
/// a down chevron; a click anywhere on it (or Space with focus) pops up a menu of all choices, the
/// current one ticked, in the handwriting font. It works on item indices; `makeSketchMenu` puts
/// typed values on top.
class SketchMenu : public QAbstractButton {
    Q_OBJECT

public:
    /// Reads the index of the current choice; out of range means none is current.
    using Current = std::function<int()>;
    /// Writes the picked index to the owner's value.
    using Pick = std::function<void(int)>;
    /// Makes what the closed box shows for an index (-1 when none is current); the box owns it.
    using Field = std::function<QWidget *(int)>;

    /// An empty control; give it items, a getter and a setter before use.
    explicit SketchMenu(QWidget *parent = nullptr);
    ~SketchMenu() override;

    /// The menu texts in menu order, and the icon in front of each (missing or null: none). Closes an
    /// open menu, whose entries would no longer match.
    void setItems(const QStringList &titles, const QList<QIcon> &icons = {});
    /// Where the current index is read from.
    void setCurrent(Current current);
    /// Where a picked index is written to.
    void setPick(Pick pick);
    /// What the closed box shows; without one it shows the current title in handwriting.
    void setField(Field field);
    /// The size the menu draws its icons at, never larger than the style's small icons (the default).
    void setIconSize(QSize size);
    /// The size given by `setIconSize`; empty for the style's small icon size.
    QSize iconSize() const { return m_iconSize; }

    /// How many items are offered.
    int count() const { return m_titles.size(); }
    /// The menu text of an item.
    QString title(int index) const { return m_titles.value(index); }
    /// The index of the current choice, or -1 when the getter gives none in range.
    int currentIndex() const;
    /// The title of the current choice; empty when none.
    QString currentTitle() const;
    /// What a screen reader says for each item, in menu order, where a menu text is more than words
    /// (an emoji); an item without one is read by its menu text.
    void setSpokenTitles(const QStringList &spoken) { m_spoken = spoken; }
    /// What a screen reader says for the current choice.
    QString spokenTitle() const;

    /// A new menu of all items: checkable actions in order, the current one checked, with their
    /// icons and the handwriting font at 14 points if it is registered. Triggering an action writes
    /// its index through the setter, also when it is the current one. The caller owns the menu.
    QMenu *buildMenu(QWidget *parent = nullptr);
    /// Where the menu's top-left corner goes: 4 points below the box's bottom-left, in global
    /// coordinates.
    QPoint popupPosition() const;
    /// Pops the menu up below the box; does nothing while the box is not shown. Closing the menu
    /// without a pick writes nothing.
    void present();
    /// The open menu, if any.
    QMenu *openMenu() const { return m_open; }

    /// Re-reads the current choice and rebuilds the field; call when the owner's value changed.
    void refresh();

    /// Full width offered; at least 34 points high.
    QSize sizeHint() const override;
    /// The field, chevron and padding; at least 34 points high.
    QSize minimumSizeHint() const override;

signals:
    /// An item was picked, after its index was written through the setter.
    void picked(int index);

protected:
    /// The sketch box behind the field and the chevron.
    void paintEvent(QPaintEvent *event) override;

private:
    void pick(int index);

    QStringList m_titles;
    QStringList m_spoken;
    QList<QIcon> m_icons;
    QSize m_iconSize;
    Current m_current;
    Pick m_pick;
    Field m_field;
    QHBoxLayout *m_row;
    QWidget *m_fieldWidget = nullptr;
    Chevron *m_chevron;
    QPointer<QMenu> m_open;
};

/// A `SketchMenu` over typed values: `items` in menu order, `current` reads the owner's value and
/// `pick` writes a chosen one (also when it equals the current one). `title` gives each item's text,
/// `icon` its optional image, `field` what the closed box shows for the current value. Values are
/// compared with ==; a current value not among the items ticks nothing.
template <std::ranges::forward_range Items, typename T = std::ranges::range_value_t<Items>>
SketchMenu *makeSketchMenu(const Items &items, std::type_identity_t<std::function<T()>> current,
                           std::type_identity_t<std::function<void(const T &)>> pick,
                           std::type_identity_t<std::function<QString(const T &)>> title,
                           std::type_identity_t<std::function<QIcon(const T &)>> icon = {},
                           std::type_identity_t<std::function<QWidget *(const T &)>> field = {},
                           QWidget *parent = nullptr)
{
    const QList<T> values(std::ranges::begin(items), std::ranges::end(items));
    QStringList titles;
    QList<QIcon> icons;
    for (const T &value : values) {
        titles.append(title(value));
        icons.append(icon ? icon(value) : QIcon());
    }
    auto *menu = new SketchMenu(parent);
    menu->setItems(titles, icons);
    menu->setCurrent([values, current] { return int(values.indexOf(current())); });
    menu->setPick([values, pick](int index) {
        if (index >= 0 && index < values.size())
            pick(values[index]);
    });
    if (field)
        menu->setField([current, field](int) { return field(current()); });
    return menu;
}
