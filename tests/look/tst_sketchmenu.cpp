#include "RockColor.h"
#include "SketchMenu.h"
#include "Theme.h"

#include <QAccessible>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {

const QStringList numbers{"하나", "둘", "셋", "넷"};

/// The owner of a value picked by index, and every write it received.
struct Owner {
    int value = 0;
    QList<int> writes;
};

/// A menu over `numbers` bound to `owner`.
SketchMenu *bound(Owner &owner, QWidget *parent = nullptr)
{
    auto *menu = new SketchMenu(parent);
    menu->setItems(numbers);
    menu->setCurrent([&owner] { return owner.value; });
    menu->setPick([&owner](int index) {
        owner.writes.append(index);
        owner.value = index;
    });
    return menu;
}

QList<bool> checks(const QMenu &menu)
{
    QList<bool> result;
    for (const QAction *action : menu.actions())
        result.append(action->isChecked());
    return result;
}

QIcon swatch()
{
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::red);
    return QIcon(pixmap);
}

/// A shown window at (100, 200) whose only child is `menu`, at (20, 30) and 200 x 34.
std::unique_ptr<QWidget> placed(SketchMenu *menu)
{
    auto window = std::make_unique<QWidget>();
    window->setWindowFlag(Qt::FramelessWindowHint);
    window->setGeometry(100, 200, 300, 100);
    menu->setParent(window.get());
    menu->setGeometry(20, 30, 200, 34);
    window->show();
    return window;
}

} // namespace

class TestSketchMenu : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Theme::registerFonts(); }
    void cleanup();
    void checkMarks_data();
    void checkMarks();
    void itemsInOrderWithIconsAndFont();
    void pickWrites_data();
    void pickWrites();
    void closingWithoutPickWritesNothing();
    void menuOpensBelowTheBox();
    void hiddenBoxDoesNothing();
    void emptyItemsGiveEmptyMenu();
    void wholeBoxTakesClicks_data();
    void wholeBoxTakesClicks();
    void boxSize();
    void typedValues();
    void accessibleAsOneButton();
};

void TestSketchMenu::cleanup()
{
    while (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
}

void TestSketchMenu::checkMarks_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<QList<bool>>("checked");
    QTest::newRow("first") << 0 << QList<bool>{true, false, false, false};
    QTest::newRow("third") << 2 << QList<bool>{false, false, true, false};
    QTest::newRow("last") << 3 << QList<bool>{false, false, false, true};
    QTest::newRow("none") << -1 << QList<bool>{false, false, false, false};
    QTest::newRow("out of range") << 4 << QList<bool>{false, false, false, false};
}

void TestSketchMenu::checkMarks()
{
    QFETCH(int, current);
    QFETCH(QList<bool>, checked);
    Owner owner{current, {}};
    std::unique_ptr<SketchMenu> menu(bound(owner));
    const std::unique_ptr<QMenu> built(menu->buildMenu());
    QCOMPARE(checks(*built), checked);
    for (const QAction *action : built->actions())
        QVERIFY(action->isCheckable());
}

void TestSketchMenu::itemsInOrderWithIconsAndFont()
{
    Owner owner;
    std::unique_ptr<SketchMenu> menu(bound(owner));
    menu->setItems(numbers, {swatch(), QIcon(), swatch()});
    const std::unique_ptr<QMenu> built(menu->buildMenu());
    const QList<QAction *> actions = built->actions();
    QCOMPARE(actions.size(), numbers.size());
    const QList<bool> hasIcon{true, false, true, false};
    for (int i = 0; i < actions.size(); ++i) {
        QCOMPARE(actions[i]->text(), numbers[i]);
        QCOMPARE(!actions[i]->icon().isNull(), hasIcon[i]);
        QCOMPARE(actions[i]->font().pixelSize(), 14);
        QCOMPARE(QFontInfo(actions[i]->font()).family(), QStringLiteral("Nanum Pen Script"));
    }
}

void TestSketchMenu::pickWrites_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("picked");
    QTest::newRow("another") << 2 << 0;
    QTest::newRow("the same again") << 2 << 2;
}

void TestSketchMenu::pickWrites()
{
    QFETCH(int, current);
    QFETCH(int, picked);
    Owner owner{current, {}};
    std::unique_ptr<SketchMenu> menu(bound(owner));
    QSignalSpy spy(menu.get(), &SketchMenu::picked);
    const std::unique_ptr<QMenu> built(menu->buildMenu());
    built->actions().at(picked)->trigger();
    QCOMPARE(owner.writes, QList<int>{picked});
    QCOMPARE(spy.count(), 1);
    // The closed box shows the new choice.
    QCOMPARE(menu->findChild<QLabel *>()->text(), numbers[picked]);
}

void TestSketchMenu::closingWithoutPickWritesNothing()
{
    Owner owner{1, {}};
    SketchMenu *menu = bound(owner);
    const auto window = placed(menu);
    menu->present();
    QPointer<QMenu> open = menu->openMenu();
    QVERIFY(open);
    QVERIFY(open->isVisible());
    QTest::keyClick(open, Qt::Key_Escape);
    QVERIFY(!open || !open->isVisible());
    QVERIFY(owner.writes.isEmpty());
    QCOMPARE(owner.value, 1);
}

void TestSketchMenu::menuOpensBelowTheBox()
{
    Owner owner;
    SketchMenu *menu = bound(owner);
    const auto window = placed(menu);
    // Box at (120, 230) on screen and 34 high: the menu's corner is 4 below its bottom-left.
    QCOMPARE(menu->popupPosition(), QPoint(120, 268));
    menu->present();
    QVERIFY(menu->openMenu());
    QCOMPARE(menu->openMenu()->pos(), QPoint(120, 268));
}

void TestSketchMenu::hiddenBoxDoesNothing()
{
    Owner owner;
    std::unique_ptr<SketchMenu> menu(bound(owner));
    menu->present();
    QVERIFY(!menu->openMenu());
}

void TestSketchMenu::emptyItemsGiveEmptyMenu()
{
    Owner owner;
    SketchMenu *menu = bound(owner);
    menu->setItems({});
    const std::unique_ptr<QMenu> built(menu->buildMenu());
    QVERIFY(built->actions().isEmpty());
    const auto window = placed(menu);
    menu->present();
    QVERIFY(menu->openMenu());
    QVERIFY(menu->openMenu()->actions().isEmpty());
    QVERIFY(owner.writes.isEmpty());
}

void TestSketchMenu::wholeBoxTakesClicks_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::newRow("on the field") << QPoint(20, 17);
    QTest::newRow("empty middle") << QPoint(100, 17);
    QTest::newRow("on the chevron") << QPoint(185, 17);
    QTest::newRow("near a corner") << QPoint(3, 31);
}

void TestSketchMenu::wholeBoxTakesClicks()
{
    QFETCH(QPoint, at);
    Owner owner;
    SketchMenu *menu = bound(owner);
    const auto window = placed(menu);
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    // Through the window, so whatever child lies under the point is hit first.
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, menu->mapTo(window.get(), at));
    QVERIFY(menu->openMenu());
}

void TestSketchMenu::boxSize()
{
    Owner owner;
    SketchMenu *menu = bound(owner);
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(menu);
    layout->addStretch();
    window.resize(300, 200);
    window.show();
    layout->activate();
    QCOMPARE(menu->width(), 300);
    QCOMPARE(menu->height(), 34);
}

void TestSketchMenu::typedValues()
{
    RockColor color = RockColor::red;
    QList<RockColor> writes;
    QList<RockColor> fieldShown;
    std::unique_ptr<SketchMenu> menu(makeSketchMenu(
        allCases<RockColor>(), [&] { return color; },
        [&](const RockColor &picked) {
            writes.append(picked);
            color = picked;
        },
        [](const RockColor &value) { return rawValue(value); },
        [](const RockColor &value) { return value == RockColor::original ? QIcon() : swatch(); },
        [&](const RockColor &value) {
            fieldShown.append(value);
            return new QLabel(rawValue(value));
        }));

    const std::unique_ptr<QMenu> built(menu->buildMenu());
    const QList<QAction *> actions = built->actions();
    QCOMPARE(actions.size(), 8);
    QCOMPARE(actions[2]->text(), QStringLiteral("red"));
    QCOMPARE(checks(*built), (QList<bool>{false, false, true, false, false, false, false, false}));
    QVERIFY(actions[0]->icon().isNull());
    QVERIFY(!actions[1]->icon().isNull());

    actions[5]->trigger();
    actions[2]->trigger();
    QCOMPARE(writes, (QList<RockColor>{RockColor::green, RockColor::red}));
    QCOMPARE(fieldShown.last(), RockColor::red);
    QCOMPARE(fieldShown.at(fieldShown.size() - 2), RockColor::green);
}

void TestSketchMenu::accessibleAsOneButton()
{
    Owner owner{2, {}};
    std::unique_ptr<SketchMenu> menu(bound(owner));
    menu->setAccessibleName(QStringLiteral("색"));
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(menu.get());
    QVERIFY(face);
    QCOMPARE(face->role(), QAccessible::Button);
    QCOMPARE(face->text(QAccessible::Name), QStringLiteral("색"));
    QCOMPARE(face->text(QAccessible::Value), QStringLiteral("셋"));
    QCOMPARE(face->childCount(), 0);
}

QTEST_MAIN(TestSketchMenu)
#include "tst_sketchmenu.moc"
