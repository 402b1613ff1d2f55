#pragma once

#include "EaseAnimation.h"
#include "Motion.h"
#include "Wish.h"

#include <QSet>
#include <QUuid>
#include <QWidget>

#include <optional>

class AppState;
class Chip;
class QScrollArea;
class RockPileView;
class WishCard;

/// The tower screen: every wish as a stone of the pile, the selected one's card below it with the
/// two-press delete, and the chip that stretches the panel to see the whole tower.
///
/// Screen state (the selection, the armed delete, the vanishing stones) lives as long as the screen;
/// a confirmed deletion is handed to the store's `PendingDeletions` and completes without it.
class TowerView : public QWidget {
    Q_OBJECT

public:
    /// The column's top inset, and the spacing below the pile with and without a selection.
    static constexpr int topInset = 4;
    static constexpr int selectedSpacing = 10;
    static constexpr int idleSpacing = 4;
    /// The card area's height when nothing is selected: the hint.
    static constexpr int hintAreaHeight = 28;
    /// The column's inset on either side.
    static constexpr int sideInset = 24;
    /// The timing of a deletion: the stone shrinks, the store deletes after a pause, the stones above
    /// drop on a spring, and the stone stays marked as vanishing a while longer.
    static constexpr double vanishSeconds = 0.18;
    static constexpr double deleteWait = 0.22;
    static constexpr double vanishingHold = 0.7;

    /// A tower on `state`'s wishes. `highlightId` is selected on showing (and, when it is the newest
    /// wish, the pile opens at its top); `dropId` drops onto the pile.
    explicit TowerView(AppState *state, std::optional<QUuid> highlightId = std::nullopt,
                       std::optional<QUuid> dropId = std::nullopt, QWidget *parent = nullptr);

    /// Height of the card for `wish`: 46, 68 or 90 by the lines its text takes on the card, 90 for a
    /// drawing.
    static int wishCardHeight(const Wish &wish);
    /// A wish's date as the card shows it: "yyyy.MM.dd HH:mm" in the system's time zone.
    static QString dateString(double createdAt);

    /// Height of the pile's scroll area on a screen `height` tall, for the current selection; never
    /// negative.
    int rockAreaHeight(int height) const;
    /// Whether the just-told wish is the newest stone, so the pile opens at its top.
    bool isFocusingNewRock() const;

    /// The selected wish.
    const std::optional<Wish> &selected() const { return m_selected; }
    /// Whether the delete chip waits for its second press.
    bool isConfirmingDelete() const { return m_confirmingDelete; }
    /// Stones being deleted.
    const QSet<QUuid> &vanishing() const { return m_vanishing; }

    /// Selects `wish` on a spring; selecting the selected one keeps it.
    void select(const Wish &wish);
    /// Deselects on a spring; nothing when nothing is selected.
    void clearSelection();
    /// The delete chip's press: arms it, or on the second press deletes the selected wish.
    void pressDelete();
    /// Takes `wish` off the tower: its stone shrinks away, the store deletes it a moment later.
    void deleteWish(const Wish &wish);
    /// A wish told while this tower is on screen: it is selected and its stone drops in.
    void dropIn(const QUuid &id);

    /// The parts, for tests and the preview.
    RockPileView *pile() const { return m_pile; }
    QScrollArea *pileArea() const { return m_pileArea; }
    WishCard *card() const { return m_card; }
    Chip *tallChip() const { return m_tallChip; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    /// Each showing applies the highlight and the preview's preselection.
    void showEvent(QShowEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    /// The pile's scroll area and the pile in it.
    void makePile(std::optional<QUuid> dropId);
    /// The card of the selected wish.
    void makeCard();
    /// The chip that stretches the panel.
    void makeTallChip();
    /// Takes the store's new wish list; stones of this screen's deletions drop on the deletion spring.
    void followWishes(const QList<Wish> &wishes);
    /// Relabels the tall chip for `tall`.
    void followTall(bool tall);
    /// Takes the store's current look for the stones (after the store holds it).
    void followAppearance();
    /// Sets the selection as `motion` says, disarming the delete when it changes.
    void applySelection(std::optional<Wish> wish, const Motion &motion);
    /// Arms or disarms the delete chip.
    void applyArmed(bool armed, const Ease &ease);
    /// Puts the parts in place for the current animated values.
    void arrange();
    /// Keeps the pile at its bottom while it is anchored there.
    void followScrollRange(int maximum);
    /// The empty tower: a big rock and the invitation.
    void paintEmpty(QPainter &painter);
    /// The hint under the pile, fading out as the card comes in.
    void paintHint(QPainter &painter);
    /// Height of the area below the pile (spacing and card area) for a selection.
    static int lowerHeight(const std::optional<Wish> &selected);

    AppState *m_state;
    std::optional<QUuid> m_highlightId;
    std::optional<Wish> m_selected;
    bool m_confirmingDelete = false;
    QSet<QUuid> m_vanishing;
    QList<Wish> m_wishes; ///< the store's list as last delivered
    bool m_anchoredAtBottom = true;

    QScrollArea *m_pileArea = nullptr;
    RockPileView *m_pile = nullptr;
    WishCard *m_card = nullptr;
    Chip *m_tallChip = nullptr;
    MotionAnimation<double> m_lower;     ///< spacing plus card area, animated
    MotionAnimation<double> m_cardShown; ///< 0 gone to 1 in place
    EaseAnimation<double> m_armed;       ///< 0 idle to 1 armed, the chip's colour
};
