#include "AppState.h"
#include "ClockSteps.h"
#include "CustomizeView.h"
#include "PreviewSwitches.h"
#include "RockCard.h"
#include "RockDrawingCanvas.h"
#include "SketchButton.h"
#include "SketchMenu.h"
#include "Theme.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

/// A customize screen on an in-memory store, with or without a drawn rock.
struct Screen {
    QTemporaryDir folder;
    AppState state{folder.filePath(u"data.json"_s)};
    std::unique_ptr<CustomizeView> view;

    explicit Screen(bool drawn, bool usesDrawn = false, bool redrawing = false)
    {
        state.setHasOnboarded(true);
        if (drawn)
            state.setCustomRockShape(RenderPreview::sampleShape());
        state.setUsesCustomRock(usesDrawn);
        view = std::make_unique<CustomizeView>(&state, redrawing);
        view->resize(320, redrawing ? 434 : 378);
        view->show();
        QCoreApplication::processEvents();
    }
};

/// The box around a row's coloured pixels (clearly away from grey).
QRect colouredBox(const QImage &image, const QRect &row)
{
    QRect box;
    for (int y = row.top(); y <= row.bottom(); ++y)
        for (int x = row.left(); x <= row.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.hsvSaturation() > 30 && c.value() > 60)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

/// Settles the store's queued notifications.
void settle()
{
    QCoreApplication::processEvents();
    runClock(2);
}

} // namespace

class TestCustomize : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Theme::registerFonts();
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(0);
    }

    void cleanup() { qunsetenv("KIVVO_DRAWN"); }

    void cardsShowTheChoice_data()
    {
        QTest::addColumn<bool>("drawn");
        QTest::addColumn<bool>("usesDrawn");
        QTest::addColumn<bool>("readyMadeSelected");
        QTest::addColumn<bool>("drawnSelected");
        QTest::addColumn<QString>("redrawLabel");
        QTest::newRow("ready-made, nothing drawn") << false << false << true << false << u"내 돌 그리기"_s;
        QTest::newRow("ready-made, drawn one kept") << true << false << true << false << u"다시 그리기"_s;
        QTest::newRow("drawn one in use") << true << true << false << true << u"다시 그리기"_s;
        // A stored choice of the drawn rock without a shape selects nothing.
        QTest::newRow("drawn chosen but missing") << false << true << false << false << u"내 돌 그리기"_s;
    }

    void cardsShowTheChoice()
    {
        QFETCH(bool, drawn);
        QFETCH(bool, usesDrawn);
        QFETCH(bool, readyMadeSelected);
        QFETCH(bool, drawnSelected);
        QFETCH(QString, redrawLabel);
        Screen screen(drawn, usesDrawn);
        settle();
        QCOMPARE(screen.view->readyMadeCard()->isSelected(), readyMadeSelected);
        QCOMPARE(screen.view->drawnCard()->isSelected(), drawnSelected);
        QCOMPARE(screen.view->drawnCard()->rock().has_value(), drawn);
        QCOMPARE(screen.view->drawnCard()->isEnabled(), drawn); // an empty slot takes no tap
        QCOMPARE(screen.view->redrawButton()->text(), redrawLabel);
        QCOMPARE(screen.view->readyMadeCard()->selectedness(), readyMadeSelected ? 1.0 : 0.0);
    }

    void tappingACardChoosesAndSaves()
    {
        Screen screen(true);
        QSignalSpy saved(&screen.state, &AppState::saved);
        QCOMPARE(screen.view->drawnCard()->height(), 128);
        QTest::mouseClick(screen.view->drawnCard(), Qt::LeftButton);
        QVERIFY(screen.state.usesCustomRock());
        settle();
        QVERIFY(screen.view->drawnCard()->isSelected());
        QTest::mouseClick(screen.view->readyMadeCard(), Qt::LeftButton);
        QVERIFY(!screen.state.usesCustomRock());
        // Tapping the chosen card again writes the same choice, and saves it once more.
        QTest::mouseClick(screen.view->readyMadeCard(), Qt::LeftButton);
        QCOMPARE(saved.count(), 3);
        QCOMPARE(screen.view->readyMadeCard()->accessibleName(), u"기본 돌"_s);
        QCOMPARE(screen.view->drawnCard()->accessibleName(), u"내가 그린 돌"_s);
        // A screen reader's press or toggle is a tap: one card checked, the one the store holds.
        const auto checked = [&](RockCard *card) { return QAccessible::queryAccessibleInterface(card)->state().checked; };
        for (const QString &action : {QAccessibleActionInterface::toggleAction(), QAccessibleActionInterface::pressAction()}) {
            for (RockCard *card : {screen.view->drawnCard(), screen.view->readyMadeCard(), screen.view->readyMadeCard()}) {
                QAccessible::queryAccessibleInterface(card)->actionInterface()->doAction(action);
                settle();
                const bool drawn = card == screen.view->drawnCard();
                QCOMPARE(screen.state.usesCustomRock(), drawn);
                QCOMPARE(checked(screen.view->drawnCard()), drawn);
                QCOMPARE(checked(screen.view->readyMadeCard()), !drawn);
            }
        }
    }

    void menusOfferColoursAndExpressions()
    {
        Screen screen(false);
        SketchMenu *colors = screen.view->colorMenu();
        QCOMPARE(colors->count(), 8);
        QCOMPARE(colors->title(0), u"안정 · 균형"_s);
        QCOMPARE(colors->title(7), u"인연 · 행복"_s);
        QCOMPARE(colors->width(), 124);
        QCOMPARE(colors->accessibleName(), u"색"_s);
        SketchMenu *expressions = screen.view->expressionMenu();
        QCOMPARE(expressions->count(), 3);
        QCOMPARE(expressions->title(2), u"\U0001F635\u200D\U0001F4AB  어지러움"_s);
        QCOMPARE(expressions->accessibleName(), u"표정"_s);
        // A screen reader hears the choices in words, the labels naming the boxes.
        QCOMPARE(QAccessible::queryAccessibleInterface(colors)->text(QAccessible::Value), u"안정 · 균형"_s);
        QCOMPARE(QAccessible::queryAccessibleInterface(expressions)->text(QAccessible::Value), u"무표정"_s);
        QVERIFY(colors->focusPolicy() & Qt::TabFocus);
        // Picking writes the store; the screen follows.
        std::unique_ptr<QMenu> menu(colors->buildMenu());
        menu->actions().at(1)->trigger();
        QCOMPARE(screen.state.rockColor(), RockColor::black);
        settle();
        QCOMPARE(colors->currentIndex(), 1);
        QCOMPARE(screen.view->readyMadeCard()->rock()->color, RockColor::black);
        screen.state.setRockExpression(RockExpression::smile);
        settle();
        QCOMPARE(expressions->currentIndex(), 1);
    }

    /// Each colour item shows its swatch 12 x 12 points, not enlarged to the menu's usual icon size.
    void colourSwatchesAreTwelvePoints()
    {
        Screen screen(false);
        std::unique_ptr<QMenu> menu(screen.view->colorMenu()->buildMenu());
        menu->resize(menu->sizeHint());
        const QImage drawn = menu->grab().toImage();
        QCOMPARE(drawn.devicePixelRatio(), 1.0);
        // Every colour but the grey and the black one; the first row's tick stays out of the way.
        for (int i = 2; i < 8; ++i) {
            const QRect box = colouredBox(drawn, menu->actionGeometry(menu->actions().at(i)));
            QVERIFY2(box.width() >= 11 && box.width() <= 12 && box.height() >= 11 && box.height() <= 12,
                     qPrintable(u"row %1: %2 x %3"_s.arg(i).arg(box.width()).arg(box.height())));
        }
    }

    void keepingADrawingSwitchesToIt()
    {
        Screen screen(false);
        QSignalSpy redrawing(screen.view.get(), &CustomizeView::redrawingChanged);
        screen.view->startRedraw();
        QCOMPARE(redrawing.count(), 1);
        QVERIFY(screen.view->isRedrawing());
        QCOMPARE(screen.view->heading(), u"돌 모양을 그려줘"_s);
        QCOMPARE(screen.view->hint(), u"표정 둘레를 한 바퀴 그려줘."_s);
        QVERIFY(!screen.view->canvas()->showsOutline());
        QVERIFY(!screen.view->draftButtons()->isVisible());
        // The canvas accepts an outline (as a stroke would).
        screen.view->canvas()->setDraft(RenderPreview::sampleShape());
        emit screen.view->canvas()->draftChanged(RenderPreview::sampleShape());
        QCOMPARE(screen.view->heading(), u"오. 너 닮은 돌."_s);
        runClock(1);
        QVERIFY(screen.view->draftButtons()->isVisible());
        screen.view->keepDraft();
        QCOMPARE(screen.state.customRockShape(), RenderPreview::sampleShape());
        QVERIFY(screen.state.usesCustomRock());
        QVERIFY(!screen.view->isRedrawing());
        QCOMPARE(redrawing.count(), 2);
        QVERIFY(!screen.view->draft());
    }

    void stoppingDiscardsTheDraft()
    {
        qputenv("KIVVO_DRAWN", "1");
        Screen screen(false, false, true);
        // A prepared drawing starts as the draft, its buttons already there.
        QVERIFY(screen.view->draft());
        QCOMPARE(screen.view->hint(), u"마음에 들어?"_s);
        QVERIFY(screen.view->draftButtons()->isVisible());
        screen.view->clearDraft();
        QVERIFY(!screen.view->draft());
        QVERIFY(!screen.view->canvas()->draft());
        QCOMPARE(screen.view->hint(), u"표정 둘레를 한 바퀴 그려줘."_s);
        screen.view->canvas()->setDraft(RenderPreview::sampleShape());
        emit screen.view->canvas()->draftChanged(RenderPreview::sampleShape());
        screen.view->cancelRedraw();
        QVERIFY(!screen.state.customRockShape());
        QVERIFY(!screen.state.usesCustomRock());
        // Back in: always an empty canvas.
        screen.view->startRedraw();
        QVERIFY(!screen.view->canvas()->draft());
    }
};

QTEST_MAIN(TestCustomize)
#include "tst_customize.moc"
