#include "TowerView.h"

#include "AppState.h"
#include "Chip.h"
#include "Delay.h"
#include "FadeEffect.h"
#include "Labels.h"
#include "PanelMetrics.h"
#include "PendingDeletions.h"
#include "RockImage.h"
#include "RockPileView.h"
#include "Theme.h"
#include "WishCard.h"

#include <QFontMetricsF>
#include <QGraphicsOpacityEffect>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

/// Selecting and deselecting a stone.
constexpr Spring selectSpring{0.3, 0.7};
/// The stones above a deleted one dropping into its place.
constexpr Spring collapseSpring{0.45, 0.6};
/// Arming the delete chip.
constexpr double armSeconds = 0.15;
/// Space under the hint, and under the card's footer row.
constexpr int hintBottom = 12;
constexpr int cardBottom = 6;
/// The tall chip's corner offset.
constexpr QPoint tallChipAt(16, 2);

/// The empty tower: a box this tall holds the big rock and the invitation, this far apart.
constexpr double emptyBoxHeight = 300;
constexpr double emptySpacing = 16;
constexpr double emptyRockSize = 92;
constexpr double emptyRockOpacity = 0.95;

const QString &emptyText()
{
    static const QString text = u"돌탑을 쌓으면\n소원이 이루어질 거야."_s;
    return text;
}

QFont emptyFont()
{
    return Theme::handwriting(16, QFont::DemiBold);
}

} // namespace

TowerView::TowerView(AppState *state, std::optional<QUuid> highlightId, std::optional<QUuid> dropId,
                     QWidget *parent)
    : QWidget(parent), m_state(state), m_highlightId(highlightId), m_wishes(state->wishes()),
      m_lower(lowerHeight(std::nullopt)), m_cardShown(0), m_armed(0)
{
    makePile(dropId);
    makeCard();
    makeTallChip();
    connect(&m_lower, &Animation::changed, this, &TowerView::arrange);
    connect(&m_cardShown, &Animation::changed, this, [this] {
        arrange();
        update();
    });
    connect(&m_armed, &Animation::changed, this, [this] { m_card->setArmBlend(m_armed.value()); });
    // The store's signals come before it holds the new value: the delivered values decide, and the
    // look, which several fields make up, is read once the store has them all.
    connect(m_state, &AppState::wishesChanged, this, &TowerView::followWishes);
    connect(m_state, &AppState::isTowerTallChanged, this, &TowerView::followTall);
    connect(m_state, &AppState::willChange, this,
            [this] { QMetaObject::invokeMethod(this, &TowerView::followAppearance, Qt::QueuedConnection); });
    followTall(m_state->isTowerTall());
    arrange();
}

int TowerView::wishCardHeight(const Wish &wish)
{
    // The screen fills the panel's fixed width, so the card is always this wide.
    return WishCard::boxHeight(wish, int(PanelMetrics::width) - 2 * sideInset);
}

QString TowerView::dateString(double createdAt)
{
    return WishCard::dateString(createdAt);
}

int TowerView::rockAreaHeight(int height) const
{
    return std::max(0, height - topInset - lowerHeight(m_selected));
}

bool TowerView::isFocusingNewRock() const
{
    return m_highlightId && !m_wishes.isEmpty() && m_wishes.last().id == *m_highlightId;
}

void TowerView::select(const Wish &wish)
{
    if (m_selected && m_selected->id == wish.id)
        return;
    applySelection(wish, Motion::on(selectSpring));
}

void TowerView::clearSelection()
{
    if (m_selected)
        applySelection(std::nullopt, Motion::on(selectSpring));
}

void TowerView::pressDelete()
{
    if (!m_selected)
        return;
    if (!m_confirmingDelete)
        applyArmed(true, Ease::easeInOut(armSeconds));
    else
        deleteWish(*m_selected);
}

void TowerView::deleteWish(const Wish &wish)
{
    applyArmed(false, Ease::linear(0));
    const Motion vanish = Motion::along(Ease::easeIn(vanishSeconds));
    m_vanishing.insert(wish.id);
    applySelection(std::nullopt, vanish);
    m_pile->setVanishingIds(m_vanishing, vanish);
    // The store's queue, not this screen, finishes the job: the screen may be gone by then.
    PendingDeletions::of(m_state)->schedule(wish.id, deleteWait);
}

void TowerView::dropIn(const QUuid &id)
{
    m_highlightId = id;
    const auto found =
        std::find_if(m_wishes.cbegin(), m_wishes.cend(), [&id](const Wish &w) { return w.id == id; });
    if (found != m_wishes.cend())
        applySelection(*found, Motion::instant());
    // The newest stone sits at the top of a tall pile: open there, as a fresh tower would.
    m_anchoredAtBottom = !isFocusingNewRock();
    m_pileArea->verticalScrollBar()->setValue(m_anchoredAtBottom ? m_pileArea->verticalScrollBar()->maximum()
                                                                 : 0);
    m_pile->setDropId(id);
}

void TowerView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    if (m_wishes.isEmpty())
        paintEmpty(painter);
    else
        paintHint(painter);
}

void TowerView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    arrange();
}

void TowerView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The tall chip explains itself even while the panel is not the active window.
    window()->setAttribute(Qt::WA_AlwaysShowToolTips);
    std::optional<Wish> wanted = m_selected;
    if (m_highlightId) {
        const auto found = std::find_if(m_wishes.cbegin(), m_wishes.cend(),
                                        [this](const Wish &w) { return w.id == *m_highlightId; });
        wanted = found == m_wishes.cend() ? std::nullopt : std::optional(*found);
    }
    if (!wanted && qEnvironmentVariable("KIVVO_SELECT") == u"1"_s && !m_wishes.isEmpty())
        wanted = m_wishes.first();
    applySelection(wanted, Motion::instant());
}

void TowerView::mouseReleaseEvent(QMouseEvent *event)
{
    // A tap on the screen's background, outside the pile and the card.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        clearSelection();
}

void TowerView::makePile(std::optional<QUuid> dropId)
{
    m_pileArea = new QScrollArea(this);
    m_pileArea->setFrameShape(QFrame::NoFrame);
    m_pileArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pileArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pileArea->setWidgetResizable(true);
    m_pileArea->setAutoFillBackground(false);
    m_pileArea->viewport()->setAutoFillBackground(false);
    m_pile = new RockPileView;
    m_pile->setAppearance(m_state->appearance());
    m_pile->setWishes(m_wishes);
    m_pile->setDropId(dropId);
    m_pileArea->setWidget(m_pile);
    // The scroll area paints its content's background; the screen's shows through instead.
    m_pile->setAutoFillBackground(false);
    connect(m_pile, &RockPileView::tapped, this, &TowerView::select);
    connect(m_pile, &RockPileView::tappedEmpty, this, &TowerView::clearSelection);
    // The pile, not its scroll area, takes the keyboard; the stone it moves onto comes into view.
    m_pileArea->setFocusPolicy(Qt::NoFocus);
    connect(m_pile, &RockPileView::cursorMoved, this, [this](const QRectF &circle) {
        m_pileArea->ensureVisible(int(circle.center().x()), int(circle.center().y()), int(circle.width() / 2) + 8,
                                  int(circle.height() / 2) + 8);
    });
    QScrollBar *bar = m_pileArea->verticalScrollBar();
    connect(bar, &QScrollBar::rangeChanged, this, [this](int, int maximum) { followScrollRange(maximum); });
    connect(bar, &QScrollBar::valueChanged, this,
            [this, bar](int value) { m_anchoredAtBottom = value >= bar->maximum(); });
    // The newest stone at the top of a tall pile is what a just-told wish wants to see.
    m_anchoredAtBottom = !isFocusingNewRock();
}

void TowerView::makeCard()
{
    m_card = new WishCard(this);
    m_card->setGraphicsEffect(new FadeEffect(m_card));
    m_card->graphicsEffect()->setEnabled(false);
    m_card->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_card->hide();
    connect(m_card, &WishCard::deletePressed, this, &TowerView::pressDelete);
}

void TowerView::makeTallChip()
{
    m_tallChip = new Chip(QString(), Theme::paper, this);
    m_tallChip->setObjectName(u"tallChip"_s);
    Labels::setTextColour(m_tallChip, Theme::inkSoft);
    connect(m_tallChip, &QAbstractButton::clicked, this,
            [this] { m_state->setIsTowerTall(!m_state->isTowerTall()); });
}

void TowerView::followWishes(const QList<Wish> &wishes)
{
    QSet<QUuid> kept;
    for (const Wish &wish : wishes)
        kept.insert(wish.id);
    QList<QUuid> deleted;
    bool onlyOurs = true;
    for (const Wish &wish : std::as_const(m_wishes)) {
        if (kept.contains(wish.id))
            continue;
        deleted.append(wish.id);
        onlyOurs = onlyOurs && m_vanishing.contains(wish.id);
    }
    m_wishes = wishes;
    const bool collapse = !deleted.isEmpty() && onlyOurs;
    m_pile->setWishes(wishes, collapse ? Motion::on(collapseSpring) : Motion::instant());
    for (const QUuid &id : std::as_const(deleted)) {
        if (!m_vanishing.contains(id))
            continue;
        // The stone stays marked a while after the store let go of it, then the mark goes.
        auto *hold = new Delay(this);
        connect(hold, &Animation::finished, this, [this, hold, id] {
            m_vanishing.remove(id);
            m_pile->setVanishingIds(m_vanishing);
            hold->deleteLater();
        });
        hold->start(vanishingHold);
    }
    if (m_selected) {
        const auto found = std::find_if(wishes.cbegin(), wishes.cend(),
                                        [this](const Wish &w) { return w.id == m_selected->id; });
        if (found == wishes.cend()) {
            // A selected wish that left the store takes the card and the armed chip with it.
            applySelection(std::nullopt, Motion::instant());
        } else if (!(*found == *m_selected)) {
            m_selected = *found;
            m_card->setWish(*found, wishCardHeight(*found));
            m_lower.animateTo(lowerHeight(m_selected), Motion::instant());
        }
    }
    arrange();
    update();
}

void TowerView::followTall(bool tall)
{
    m_tallChip->setText(tall ? u"접기"_s : u"길게 보기"_s);
    m_tallChip->setChevron(tall ? Chevron::Direction::up : Chevron::Direction::down, 7);
    m_tallChip->setToolTip(tall ? u"늘인 창을 도로 접기"_s : u"창을 길게 늘여 돌탑을 한눈에 보기"_s);
    m_tallChip->adjustSize();
}

void TowerView::followAppearance()
{
    m_pile->setAppearance(m_state->appearance());
    update();
}

void TowerView::applySelection(std::optional<Wish> wish, const Motion &motion)
{
    const std::optional<QUuid> id = wish ? std::optional(wish->id) : std::nullopt;
    const std::optional<QUuid> before = m_selected ? std::optional(m_selected->id) : std::nullopt;
    m_selected = wish;
    if (id != before)
        applyArmed(false, Ease::linear(0));
    if (wish)
        m_card->setWish(*wish, wishCardHeight(*wish));
    // A card on its way out is only a picture of what was selected.
    m_card->setAttribute(Qt::WA_TransparentForMouseEvents, !wish);
    m_pile->setSelectedId(id, motion);
    m_lower.animateTo(lowerHeight(wish), motion);
    m_cardShown.animateTo(wish ? 1.0 : 0.0, motion);
    arrange();
    update();
}

void TowerView::applyArmed(bool armed, const Ease &ease)
{
    m_confirmingDelete = armed;
    m_card->setArmed(armed);
    m_armed.animateTo(armed ? 1.0 : 0.0, ease);
}

void TowerView::arrange()
{
    const bool hasWishes = !m_wishes.isEmpty();
    const int columnWidth = std::max(0, width() - 2 * sideInset);
    const int pileHeight = std::max(0, int(std::lround(height() - topInset - m_lower.value())));
    m_pileArea->setGeometry(sideInset, topInset, columnWidth, pileHeight);
    m_pileArea->setVisible(hasWishes);
    m_tallChip->move(tallChipAt);
    m_tallChip->setVisible(hasWishes);
    m_tallChip->raise();

    const double shown = m_cardShown.value();
    const int cardHeight = m_card->height();
    const double rest = height() - cardBottom - cardHeight;
    const double slide = (1 - shown) * (cardHeight + cardBottom);
    m_card->setGeometry(sideInset, int(std::lround(rest + slide)), columnWidth, cardHeight);
    m_card->setVisible(hasWishes && shown > 0);
    auto *fade = static_cast<QGraphicsOpacityEffect *>(m_card->graphicsEffect());
    fade->setOpacity(std::clamp(shown, 0.0, 1.0));
    fade->setEnabled(shown < 1);
}

void TowerView::followScrollRange(int maximum)
{
    if (m_anchoredAtBottom)
        m_pileArea->verticalScrollBar()->setValue(maximum);
}

void TowerView::paintEmpty(QPainter &painter)
{
    const double columnWidth = width() - 2 * sideInset;
    const QFontMetricsF metrics(emptyFont());
    const QRectF textBox = metrics.boundingRect(QRectF(0, 0, columnWidth, 1e6),
                                                Qt::AlignHCenter | Qt::TextWordWrap, emptyText());
    const double total = emptyRockSize + emptySpacing + textBox.height();
    const double boxTop = topInset + (height() - topInset - emptyBoxHeight) / 2;
    const double top = boxTop + (emptyBoxHeight - total) / 2;
    const QRectF rock(width() / 2.0 - emptyRockSize / 2, top, emptyRockSize, emptyRockSize);
    painter.save();
    painter.setOpacity(emptyRockOpacity);
    paintRock(painter, rock, m_state->appearance(), 0.5, false, true);
    painter.restore();
    painter.setFont(emptyFont());
    painter.setPen(Theme::ink);
    painter.drawText(QRectF(sideInset, rock.bottom() + emptySpacing, columnWidth, textBox.height()),
                     Qt::AlignHCenter | Qt::TextWordWrap, emptyText());
}

void TowerView::paintHint(QPainter &painter)
{
    const double opacity = std::clamp(1 - m_cardShown.value(), 0.0, 1.0);
    if (opacity <= 0)
        return;
    painter.setOpacity(opacity);
    painter.setFont(Theme::caption());
    painter.setPen(Theme::inkSoft);
    const double lineHeight = QFontMetricsF(Theme::caption()).height();
    painter.drawText(
        QRectF(sideInset, height() - hintBottom - lineHeight, width() - 2 * sideInset, lineHeight),
        Qt::AlignCenter, u"돌을 누르면 소원이 보여."_s);
}

int TowerView::lowerHeight(const std::optional<Wish> &selected)
{
    if (!selected)
        return idleSpacing + hintAreaHeight;
    return selectedSpacing + wishCardHeight(*selected) + WishCard::footerGap + WishCard::footerHeight +
           cardBottom;
}
