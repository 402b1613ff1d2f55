#include "AppState.h"
#include "Chip.h"
#include "ClockSteps.h"
#include "PendingDeletions.h"
#include "RockPileView.h"
#include "TestFiles.h"
#include "Theme.h"
#include "TowerView.h"
#include "WishCard.h"
#include "WrappedText.h"

#include "DrawingWishRenderer.h"
#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

Wish textWish(const QString &text)
{
    return Wish{QUuid::createUuid(), text, 0, std::nullopt, 0.5, std::nullopt};
}

/// `count` Hangul syllables without spaces, of the wide kind: about 23 fill the card's line.
QString syllables(int count)
{
    const QString words = u"가나다라마바사아자차카타파하"_s;
    QString text;
    while (text.size() < count)
        text += words;
    return text.left(count);
}

/// A store on a file in a fresh folder, holding `count` wishes "A", "B", ...
struct Store {
    QTemporaryDir folder;
    std::unique_ptr<AppState> state;

    explicit Store(int count)
    {
        state = std::make_unique<AppState>(folder.filePath(u"data.json"_s));
        QList<Wish> wishes;
        for (int i = 0; i < count; ++i)
            wishes.append(textWish(QString(QChar(u'A' + i))));
        state->setWishes(wishes);
    }

    /// The wish texts, in order, as the file on disk holds them.
    QString onDisk() const
    {
        AppState reread(state->fileURL());
        QString texts;
        for (const Wish &wish : reread.wishes())
            texts += wish.text;
        return texts;
    }

    QString inMemory() const
    {
        QString texts;
        for (const Wish &wish : state->wishes())
            texts += wish.text;
        return texts;
    }
};

/// A tower screen on `store`, shown at 320 x `height`.
std::unique_ptr<TowerView> shownTower(AppState *state, int height = 470,
                                      std::optional<QUuid> highlight = std::nullopt)
{
    auto view = std::make_unique<TowerView>(state, highlight);
    view->resize(320, height);
    view->show();
    QCoreApplication::processEvents();
    return view;
}

/// A tower over the one wish `text` in `store`, that wish selected and its card settled.
std::unique_ptr<TowerView> towerShowingCard(Store &store, const QString &text)
{
    store.state->addWish(text);
    auto view = shownTower(store.state.get());
    view->select(store.state->wishes().first());
    runClock(1);
    return view;
}

/// The two presses on the delete chip of the selected wish.
void confirmDelete(TowerView &view)
{
    QTest::mouseClick(view.card()->deleteChip(), Qt::LeftButton);
    QTest::mouseClick(view.card()->deleteChip(), Qt::LeftButton);
}

} // namespace

class TestTower : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Line counts come from the laid-out text: measure in the shipped font, not the machine's.
        Theme::registerFonts();
        QVERIFY(Theme::handwritingAvailable());
    }

    void cleanup()
    {
        qunsetenv("KIVVO_SELECT");
        runClock(3); // nothing of one test moves on into the next
    }

    void cardHeights_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("height");
        QTest::newRow("empty") << QString() << 46;
        QTest::newRow("one syllable") << u"가"_s << 46;
        QTest::newRow("ten syllables") << syllables(10) << 46;
        // About 23 syllables fill the card's line: these wrap where no space is.
        QTest::newRow("27 syllables, two lines") << syllables(27) << 68;
        QTest::newRow("50 syllables, three lines") << syllables(50) << 90;
        QTest::newRow("two pieces of 27, capped") << syllables(27) + u"\n"_s + syllables(27) << 90;
        QTest::newRow("words over two lines")
            << u"오늘도 내일도 모레도 소원이 이루어지게 해주세요 정말로 부탁해"_s << 68;
        QTest::newRow("two lines") << u"가\n나"_s << 68;
        QTest::newRow("an empty line between") << u"가\n\n나"_s << 90;
        QTest::newRow("a trailing break") << u"가\n"_s << 68;
        QTest::newRow("only a break") << u"\n"_s << 68;
        QTest::newRow("100 syllables, capped") << syllables(100) << 90;
        // Only the first 50 characters are laid out: 50 narrow letters and "…" take two lines.
        QTest::newRow("100 letters, the first 50 shown") << QString(100, u'a') << 68;
    }

    void cardHeights()
    {
        QFETCH(QString, text);
        QFETCH(int, height);
        QCOMPARE(TowerView::wishCardHeight(textWish(text)), height);
    }

    void drawingCardIsTallest()
    {
        Wish wish = textWish(u"그림"_s);
        wish.drawingStrokes = QList<DrawingStroke>{};
        QCOMPARE(TowerView::wishCardHeight(wish), 90);
    }

    void dates_data()
    {
        QTest::addColumn<QDateTime>("date");
        QTest::addColumn<QString>("shown");
        QTest::newRow("evening") << QDateTime(QDate(2025, 3, 7), QTime(21, 5)) << u"2025.03.07 21:05"_s;
        QTest::newRow("morning") << QDateTime(QDate(2024, 12, 31), QTime(0, 0, 59)) << u"2024.12.31 00:00"_s;
    }

    void dates()
    {
        QFETCH(QDateTime, date);
        QFETCH(QString, shown);
        const double createdAt = (date.toMSecsSinceEpoch() -
                                  QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch()) /
                                 1000.0;
        QCOMPARE(TowerView::dateString(createdAt), shown);
    }

    void impossibleDateShowsNone() { QCOMPARE(TowerView::dateString(1e300), QString()); }

    void rockAreaShrinksByTheCard_data()
    {
        QTest::addColumn<bool>("drawing");
        QTest::addColumn<int>("shrink");
        QTest::newRow("one-line card") << false << 62;
        QTest::newRow("drawing") << true << 106;
    }

    void rockAreaShrinksByTheCard()
    {
        QFETCH(bool, drawing);
        QFETCH(int, shrink);
        Store store(3);
        if (drawing) {
            QList<Wish> wishes = store.state->wishes();
            wishes[1].drawingStrokes = QList<DrawingStroke>{DrawingStroke{{{0, 0}, {10, 10}}}};
            store.state->setWishes(wishes);
        }
        auto view = shownTower(store.state.get());
        QCOMPARE(view->rockAreaHeight(470), 470 - 4 - 4 - 28);
        QCOMPARE(view->pileArea()->height(), 434);
        view->select(store.state->wishes()[1]);
        QCOMPARE(view->rockAreaHeight(470), 434 - shrink);
        runClock(2);
        QCOMPARE(view->pileArea()->height(), 434 - shrink);
        // A short panel leaves no room, never less than none.
        QCOMPARE(view->rockAreaHeight(50), 0);
        view->resize(320, 50);
        QCOMPARE(view->pileArea()->height(), 0);
    }

    void deleteTakesTwoPressesAndSavesOnce()
    {
        Store store(7);
        auto view = shownTower(store.state.get());
        view->select(store.state->wishes()[0]);
        QTest::mouseClick(view->card()->deleteChip(), Qt::LeftButton);
        QVERIFY(view->isConfirmingDelete());
        QCOMPARE(view->card()->deleteChip()->text(), u"진짜 내려?"_s);
        QCOMPARE(store.inMemory(), u"ABCDEFG"_s);
        QSignalSpy saves(store.state.get(), &AppState::saved);
        QTest::mouseClick(view->card()->deleteChip(), Qt::LeftButton);
        QVERIFY(!view->selected());
        QVERIFY(!view->isConfirmingDelete());
        QVERIFY(view->vanishing().contains(store.state->wishes()[0].id));
        // The card on its way out takes no clicks.
        QVERIFY(view->card()->testAttribute(Qt::WA_TransparentForMouseEvents));
        runClock(0.2);
        QCOMPARE(store.inMemory(), u"ABCDEFG"_s);
        runClock(0.05);
        // The stone above drops into the hole, the last fills the top row.
        QCOMPARE(store.inMemory(), u"FBCDEG"_s);
        QCOMPARE(saves.count(), 1);
        QCOMPARE(store.onDisk(), u"FBCDEG"_s);
        QCOMPARE(view->vanishing().size(), 1);
        runClock(0.75);
        QVERIFY(view->vanishing().isEmpty());
        // The stone that dropped into the hole can be tapped where it now rests.
        RockPileView *pile = view->pile();
        const Wish dropped = store.state->wishes()[0];
        const QPointF centre = pile->stoneCentre(*pile->stoneState(dropped.id));
        QTest::mouseClick(pile, Qt::LeftButton, {}, centre.toPoint());
        QCOMPARE(view->selected()->id, dropped.id);
    }

    void deletionOutlivesTheScreen_data()
    {
        QTest::addColumn<bool>("quit");
        QTest::newRow("screen closed during the wait") << false;
        QTest::newRow("program quitting during the wait") << true;
    }

    void deletionOutlivesTheScreen()
    {
        QFETCH(bool, quit);
        Store store(3);
        auto view = shownTower(store.state.get());
        view->select(store.state->wishes()[1]);
        confirmDelete(*view);
        view.reset();
        QCOMPARE(store.inMemory(), u"ABC"_s);
        if (quit) // as the application says it is about to quit
            QVERIFY(
                QMetaObject::invokeMethod(QCoreApplication::instance(), "aboutToQuit", Qt::DirectConnection));
        else
            runClock(0.25);
        QCOMPARE(store.onDisk(), u"AC"_s);
        QCOMPARE(PendingDeletions::of(store.state.get())->count(), 0);
    }

    void overlappingDeletesKeepEachOther()
    {
        Store store(7);
        auto view = shownTower(store.state.get());
        const Wish first = store.state->wishes()[3];
        const Wish second = store.state->wishes()[4];
        view->select(first);
        confirmDelete(*view);
        runClock(0.5);
        view->select(second);
        confirmDelete(*view);
        QCOMPARE(view->vanishing(), (QSet<QUuid>{first.id, second.id}));
        runClock(0.5); // first's mark is gone after 0.22 + 0.7 s, second's is not
        QCOMPARE(view->vanishing(), (QSet<QUuid>{second.id}));
        // D's hole took G from the row above; E's then took F.
        QCOMPARE(store.onDisk(), u"ABCGF"_s);
        runClock(1);
        QVERIFY(view->vanishing().isEmpty());
        // Neither stone came back.
        QVERIFY(!view->pile()->stoneState(first.id));
        QVERIFY(!view->pile()->stoneState(second.id));
        QCOMPARE(view->pile()->paintOrder().size(), 5);
    }

    void selectionDisarmsDelete()
    {
        Store store(3);
        auto view = shownTower(store.state.get());
        view->select(store.state->wishes()[0]);
        QTest::mouseClick(view->card()->deleteChip(), Qt::LeftButton);
        QVERIFY(view->isConfirmingDelete());
        view->select(store.state->wishes()[1]);
        QVERIFY(!view->isConfirmingDelete());
        QCOMPARE(view->card()->deleteChip()->text(), u"돌 내리기"_s);
        // The next press on the new stone only arms.
        QTest::mouseClick(view->card()->deleteChip(), Qt::LeftButton);
        runClock(1);
        QCOMPARE(store.inMemory(), u"ABC"_s);
        // Re-selecting the selected stone keeps the chip armed.
        view->select(store.state->wishes()[1]);
        QVERIFY(view->isConfirmingDelete());
        view->clearSelection();
        QVERIFY(!view->isConfirmingDelete());
    }

    void selectedWishLeavingTheStoreClearsTheCard()
    {
        Store store(3);
        auto view = shownTower(store.state.get());
        view->select(store.state->wishes()[2]);
        QTest::mouseClick(view->card()->deleteChip(), Qt::LeftButton);
        store.state->deleteWish(store.state->wishes()[2]);
        QVERIFY(!view->selected());
        QVERIFY(!view->isConfirmingDelete());
        QVERIFY(view->card()->testAttribute(Qt::WA_TransparentForMouseEvents));
    }

    void tappingAStoneSelectsAndTheBackgroundClears()
    {
        Store store(3);
        auto view = shownTower(store.state.get());
        RockPileView *pile = view->pile();
        const Wish wish = store.state->wishes()[1];
        QTest::mouseClick(pile, Qt::LeftButton, {}, pile->stoneCentre(*pile->stoneState(wish.id)).toPoint());
        QCOMPARE(view->selected()->id, wish.id);
        QCOMPARE(pile->selectedId(), wish.id);
        // A tap on the card keeps the selection; one on the empty screen clears it.
        runClock(1);
        QTest::mouseClick(view->card(), Qt::LeftButton, {}, QPoint(100, 20));
        QVERIFY(view->selected());
        QTest::mouseClick(pile, Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(!view->selected());
    }

    void wishTextIsPlain()
    {
        Store store(0);
        const QString markup = u"<b>굵게</b> <img src=\"x\"> <a href=\"x\">링크</a>"_s;
        store.state->addWish(markup);
        auto view = shownTower(store.state.get());
        view->select(store.state->wishes().first());
        QCOMPARE(view->card()->text()->text(), markup);
        // Shown as typed: every character of the markup is on the card's lines.
        QString shown;
        for (const WrappedText::Line &line : view->card()->text()->lines())
            shown += line.text;
        QCOMPARE(shown, markup);
    }

    void drawnWishShowsItsDrawing()
    {
        Store store(0);
        store.state->addDrawingWish({DrawingStroke{{{0, 0}, {300, 20}}}});
        auto view = shownTower(store.state.get());
        view->select(store.state->wishes().first());
        runClock(1);
        QVERIFY(view->card()->drawing()->isVisible());
        QVERIFY(!view->card()->text()->isVisible());
        QVERIFY(view->card()->drawing()->fitted());
        QCOMPARE(view->card()->drawing()->strokes(), *store.state->wishes().first().drawingStrokes);
        // Inset 14 and 12 in a 90-point box.
        QCOMPARE(view->card()->drawing()->geometry(), QRect(14, 12, 320 - 48 - 28, 90 - 24));
    }

    void cardShowsEveryLineItCounts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("box");
        QTest::newRow("one line") << syllables(10) << 1 << 46;
        QTest::newRow("27 syllables") << syllables(27) << 2 << 68;
        QTest::newRow("words") << u"오늘도 내일도 모레도 소원이 이루어지게 해주세요 정말로 부탁해"_s << 2
                               << 68;
        QTest::newRow("an empty line between") << u"가\n\n나"_s << 3 << 90;
    }

    /// The card is as tall as the lines its text takes, so none hides below the box's edge.
    void cardShowsEveryLineItCounts()
    {
        QFETCH(QString, text);
        QFETCH(int, lines);
        QFETCH(int, box);
        Store store(0);
        const auto view = towerShowingCard(store, text);
        WishCard *card = view->card();
        QCOMPARE(card->height(), box + 6 + 26);
        QCOMPARE(card->text()->lines().size(), lines);
        QScrollArea *area = card->textArea();
        QCOMPARE(area->geometry(), QRect(14, 12, 320 - 48 - 28, box - 24));
        QCOMPARE(area->verticalScrollBar()->maximum(), 0);
        for (const WrappedText::Line &line : card->text()->lines())
            QVERIFY(line.rect.top() >= 0 && line.rect.bottom() <= area->viewport()->height());
    }

    void longWishScrollsWithinTheCard_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("shown");
        QTest::newRow("50 syllables without spaces") << syllables(50) << 3 << syllables(50);
        QTest::newRow("60 syllables: the first 50") << syllables(60) << 3 << syllables(50) + u"…"_s;
        QTest::newRow("five short lines") << u"가\n나\n다\n라\n마"_s << 5 << u"가나다라마"_s;
        const QString nine = syllables(9);
        QTest::newRow("five lines of nine") << QStringList(5, nine).join(u'\n') << 5 << nine.repeated(5);
    }

    /// A long wish wraps inside the card's width, and scrolling brings every character of it into view.
    void longWishScrollsWithinTheCard()
    {
        QFETCH(QString, text);
        QFETCH(int, lines);
        QFETCH(QString, shown);
        Store store(0);
        const auto view = towerShowingCard(store, text);
        WishCard *card = view->card();
        QCOMPARE(card->height(), 90 + 6 + 26);
        QScrollArea *area = card->textArea();
        const QList<WrappedText::Line> laid = card->text()->lines();
        QVERIFY(laid.size() >= lines);
        QString onLines;
        for (const WrappedText::Line &line : laid) {
            onLines += line.text;
            QVERIFY(line.rect.left() >= 0);
            QVERIFY(line.rect.right() <= area->viewport()->width() + 0.5);
        }
        QCOMPARE(onLines, shown);
        // More than three lines scroll; the first is in view at the start, the last at the end.
        QScrollBar *bar = area->verticalScrollBar();
        QCOMPARE(bar->maximum() > 0, laid.size() > 3);
        const QRectF view0 = area->viewport()->rect();
        const auto inView = [&](const QRectF &line) {
            const QRectF placed = line.translated(card->text()->mapTo(area->viewport(), QPoint()));
            return placed.top() >= view0.top() && placed.bottom() <= view0.bottom();
        };
        QVERIFY(inView(laid.first().rect));
        bar->setValue(bar->maximum());
        QVERIFY(inView(laid.last().rect));
    }

    /// A text of megabytes, as only a damaged or hand-edited file holds, is kept whole in the store,
    /// while its card lays out no more than the first 50 characters.
    void hugeWishShowsItsBeginning()
    {
        Store store(0);
        const QString huge = u"가나다라마바사아자차카타파하"_s.repeated(360'000); // 5,040,000 syllables
        store.state->setWishes({textWish(huge)});
        auto view = shownTower(store.state.get());
        QCOMPARE(TowerView::wishCardHeight(store.state->wishes().first()), 90);
        view->select(store.state->wishes().first());
        runClock(1);
        WishCard *card = view->card();
        const QString shown = syllables(50) + u"…"_s;
        QCOMPARE(card->text()->text(), shown);
        QCOMPARE(card->text()->accessibleName(), shown);
        QString onLines;
        for (const WrappedText::Line &line : card->text()->lines())
            onLines += line.text;
        QCOMPARE(onLines, shown);
        QCOMPARE(card->height(), 90 + 6 + 26);
        QVERIFY(store.state->wishes().first().text == huge);
        QVERIFY(view->selected()->text == huge);
    }

    void wheelScrollsThePile()
    {
        Store store(40);
        auto view = shownTower(store.state.get());
        QScrollBar *bar = view->pileArea()->verticalScrollBar();
        const int bottom = bar->value();
        QWheelEvent wheel(QPointF(100, 100), view->pileArea()->viewport()->mapToGlobal(QPointF(100, 100)),
                          QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view->pileArea()->viewport(), &wheel);
        QVERIFY(bar->value() < bottom);
    }

    void preselection_data()
    {
        QTest::addColumn<int>("wishes");
        QTest::addColumn<QByteArray>("select");
        QTest::addColumn<int>("selected"); // -1: none
        QTest::newRow("variable on") << 3 << "1"_ba << 0;
        QTest::newRow("variable on, empty tower") << 0 << "1"_ba << -1;
        QTest::newRow("anything else") << 3 << "yes"_ba << -1;
        QTest::newRow("absent") << 3 << QByteArray() << -1;
    }

    void preselection()
    {
        QFETCH(int, wishes);
        QFETCH(QByteArray, select);
        QFETCH(int, selected);
        if (!select.isNull())
            qputenv("KIVVO_SELECT", select);
        Store store(wishes);
        auto view = shownTower(store.state.get());
        QCOMPARE(view->selected().has_value(), selected >= 0);
        if (selected >= 0)
            QCOMPARE(view->selected()->id, store.state->wishes()[selected].id);
        QCOMPARE(view->tallChip()->isVisible(), wishes > 0);
        QCOMPARE(view->pileArea()->isVisible(), wishes > 0);
    }

    void highlightSelectsAndAnchors_data()
    {
        QTest::addColumn<int>("highlight"); // index, or -1 for none
        QTest::addColumn<bool>("atTop");
        QTest::newRow("no highlight: the base") << -1 << false;
        QTest::newRow("the newest: its top") << 39 << true;
        QTest::newRow("an older one: the base") << 3 << false;
    }

    void highlightSelectsAndAnchors()
    {
        QFETCH(int, highlight);
        QFETCH(bool, atTop);
        Store store(40);
        const std::optional<QUuid> id =
            highlight >= 0 ? std::optional(store.state->wishes()[highlight].id) : std::nullopt;
        auto view = shownTower(store.state.get(), 470, id);
        QCoreApplication::processEvents();
        QCOMPARE(view->isFocusingNewRock(), atTop);
        QCOMPARE(view->selected().has_value(), highlight >= 0);
        const QScrollBar *bar = view->pileArea()->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), atTop ? 0 : bar->maximum());
    }

    void tallChipTogglesTheStore()
    {
        Store store(2);
        auto view = shownTower(store.state.get());
        QCOMPARE(view->tallChip()->text(), u"길게 보기"_s);
        QCOMPARE(view->tallChip()->toolTip(), u"창을 길게 늘여 돌탑을 한눈에 보기"_s);
        QVERIFY(view->window()->testAttribute(Qt::WA_AlwaysShowToolTips));
        QTest::mouseClick(view->tallChip(), Qt::LeftButton);
        QVERIFY(store.state->isTowerTall());
        QCOMPARE(view->tallChip()->text(), u"접기"_s);
        QCOMPARE(view->tallChip()->chevron(), Chevron::Direction::up);
        QCOMPARE(view->tallChip()->toolTip(), u"늘인 창을 도로 접기"_s);
    }

    // Without a mouse: the arrows walk the stones newest first, Return shows one's card, and its
    // delete chip takes it down with two presses; a screen reader reads every stone by its wish.
    void keyboardAndScreenReader()
    {
        Store store(4); // A is the oldest, D the newest
        Wish drawn = textWish(QString());
        drawn.drawingStrokes = QList<DrawingStroke>{DrawingStroke{{{0.1, 0.1}, {0.5, 0.5}}}};
        drawn.createdAt = 0;
        QList<Wish> wishes = store.state->wishes();
        wishes.prepend(drawn);
        store.state->setWishes(wishes);
        auto view = shownTower(store.state.get());
        view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(view.get()));
        RockPileView *pile = view->pile();
        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(pile);
        QCOMPARE(list->role(), QAccessible::List);
        QStringList names;
        for (int i = 0; i < list->childCount(); ++i)
            names.append(list->child(i)->text(QAccessible::Name));
        QCOMPARE(names, (QStringList{u"D"_s, u"C"_s, u"B"_s, u"A"_s, WishCard::spokenName(drawn)}));
        QVERIFY(names.last().startsWith(u"그림 소원"_s));

        view->setFocus();
        pile->setFocus(Qt::TabFocusReason); // Tab comes onto the newest
        QCOMPARE(list->child(0)->state().focused, true);
        QTest::keyClick(pile, Qt::Key_Down);
        QCOMPARE(list->child(1)->state().focused, true);
        QTest::keyClick(pile, Qt::Key_Return);
        runClock(1);
        QCOMPARE(view->selected()->text, u"C"_s);
        QVERIFY(list->child(1)->state().selected);
        QCOMPARE(view->card()->accessibleName(), u"C"_s);
        QVERIFY(view->card()->deleteChip()->accessibleDescription().contains(u"'C'"_s));
        // Escape deselects; with nothing selected it is left to the panel.
        QTest::keyClick(pile, Qt::Key_Escape);
        runClock(1);
        QVERIFY(!view->selected());
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(pile, &escape);
        QVERIFY(!escape.isAccepted());
        // Up stops at the newest, Space shows it; the chip goes down with two Spaces.
        QTest::keyClick(pile, Qt::Key_Up);
        QTest::keyClick(pile, Qt::Key_Up);
        QTest::keyClick(pile, Qt::Key_Up);
        QTest::keyClick(pile, Qt::Key_Down);
        QTest::keyClick(pile, Qt::Key_Space);
        runClock(1);
        QCOMPARE(view->selected()->text, u"C"_s);
        view->card()->deleteChip()->setFocus(Qt::TabFocusReason);
        QTest::keyClick(view->card()->deleteChip(), Qt::Key_Space);
        QTest::keyClick(view->card()->deleteChip(), Qt::Key_Space);
        QVERIFY(view->vanishing().contains(wishes[3].id));
        QCOMPARE(wishes[3].text, u"C"_s);
    }

    // A tall tower scrolls to the stone the keyboard moves onto, at its top and at its foot.
    void keyboardScrollsToTheStone()
    {
        Store store(60);
        auto view = shownTower(store.state.get());
        RockPileView *pile = view->pile();
        QWidget *viewport = view->pileArea()->viewport();
        QVERIFY(pile->height() > viewport->height() * 2);
        const auto inView = [&] {
            const QRectF circle = *pile->stoneCircle(*pile->cursorId());
            return QRectF(viewport->rect()).contains(QRectF(pile->mapTo(viewport, circle.topLeft()), circle.size()));
        };
        for (int presses : {1, 59}) {
            for (int i = 0; i < presses; ++i)
                QTest::keyClick(pile, Qt::Key_Down);
            QVERIFY2(inView(), qPrintable(QString::number(presses)));
        }
        QCOMPARE(*pile->cursorId(), store.state->wishes().first().id);
    }
};

QTEST_MAIN(TestTower)
#include "tst_tower.moc"
