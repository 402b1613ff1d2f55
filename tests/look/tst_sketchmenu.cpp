#include "RockColor.h"
#include "SketchMenu.h"
#include "Theme.h"

#include <QAccessible>
#include <QFontInfo>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QVBoxLayout>
#include <QtTest>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {
const QStringList numbers{"하나", "둘", "셋", "넷"};

/// The owner of a value picked by index, and every write it received.
struct Owner {
    int value = 0;
    QList<int> writes;
};

QIcon swatch()
{
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::red);
    return QIcon(pixmap);
}

/// A menu over `numbers`, every other one with an icon, bound to `owner`.
SketchMenu *bound(Owner &owner)
{
    auto *menu = new SketchMenu;
    menu->setItems(numbers, {swatch(), QIcon(), swatch()});
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

/// The menu as drawn, unhovered, at its natural size.
QImage painted(QMenu &menu)
{
    menu.resize(menu.sizeHint());
    return menu.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

/// Close to the ink colour: the solid part of a stroke, not a grey frame or a red swatch.
bool inky(QRgb pixel)
{
    return std::abs(qRed(pixel) - Theme::ink.red()) <= 40 &&
           std::abs(qGreen(pixel) - Theme::ink.green()) <= 40 &&
           std::abs(qBlue(pixel) - Theme::ink.blue()) <= 40;
}

/// The first column of a row's icon or text: the first that is not all background (the row's most
/// common colour), leaving out frame lines that run through the whole row either way.
int leftOfContent(const QImage &image, const QRect &row)
{
    QHash<QRgb, int> counts;
    for (int y = row.top(); y <= row.bottom(); ++y)
        for (int x = row.left(); x <= row.right(); ++x)
            ++counts[image.pixel(x, y)];
    const QList<QRgb> colors = counts.keys();
    const QRgb background = *std::ranges::max_element(colors, {}, [&](QRgb c) { return counts[c]; });
    QList<int> lines;
    for (int y = row.top(); y <= row.bottom(); ++y) {
        int x = row.left();
        while (x <= row.right() && image.pixel(x, y) != background)
            ++x;
        if (x <= row.right())
            lines.append(y);
    }
    bool frame = true;
    for (int x = row.left(); x <= row.right(); ++x) {
        const auto marked =
            std::ranges::count_if(lines, [&](int y) { return image.pixel(x, y) != background; });
        if (frame && marked == lines.size())
            continue;
        frame = false;
        if (marked > 0)
            return x;
    }
    return image.width();
}

/// A shown frameless window at (100, 200) whose layout offers `menu` a 200 point row at (20, 30).
std::unique_ptr<QWidget> placed(SketchMenu *menu)
{
    auto window = std::make_unique<QWidget>();
    window->setWindowFlag(Qt::FramelessWindowHint);
    window->setGeometry(100, 200, 300, 100);
    auto *layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(20, 30, 80, 0);
    layout->addWidget(menu);
    layout->addStretch();
    window->show();
    layout->activate();
    return window;
}
} // namespace

class TestSketchMenu : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { Theme::registerFonts(); }

    void cleanup()
    {
        while (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
    }

    void menuItems_data()
    {
        QTest::addColumn<int>("current");
        QTest::addColumn<QList<bool>>("checked");
        QTest::newRow("first") << 0 << QList<bool>{true, false, false, false};
        QTest::newRow("last") << 3 << QList<bool>{false, false, false, true};
        QTest::newRow("none") << -1 << QList<bool>{false, false, false, false};
        QTest::newRow("out of range") << 4 << QList<bool>{false, false, false, false};
    }

    void menuItems()
    {
        QFETCH(int, current);
        QFETCH(QList<bool>, checked);
        Owner owner{current, {}};
        std::unique_ptr<SketchMenu> menu(bound(owner));
        const std::unique_ptr<QMenu> built(menu->buildMenu());
        QCOMPARE(checks(*built), checked);
        const QList<QAction *> actions = built->actions();
        QCOMPARE(actions.size(), numbers.size());
        for (int i = 0; i < actions.size(); ++i) {
            QVERIFY(actions[i]->isCheckable());
            QCOMPARE(actions[i]->text(), numbers[i]);
            QCOMPARE(actions[i]->icon().isNull(), i % 2 == 1);
            QCOMPARE(actions[i]->font().pixelSize(), Theme::handwriting(14).pixelSize()); // the theme sizes it
            QCOMPARE(QFontInfo(actions[i]->font()).family(), QStringLiteral("Nanum Pen Script"));
        }
    }

    void paintedCheck_data()
    {
        QTest::addColumn<QList<bool>>("icons");
        QTest::addColumn<int>("current");
        QTest::newRow("icons") << QList<bool>{true, true, true} << 1;
        QTest::newRow("no icons") << QList<bool>{false, false, false} << 2;
        QTest::newRow("mixed, current with an icon") << QList<bool>{false, true, true} << 2;
        QTest::newRow("mixed, current without one") << QList<bool>{false, true, true} << 0;
        QTest::newRow("none current") << QList<bool>{true, true, true} << -1;
    }

    /// Rows of the same text differ from the same menu with nothing current only by the check mark:
    /// ink, left of every icon and text, so it neither hides a swatch nor gives way to one.
    void paintedCheck()
    {
        QFETCH(QList<bool>, icons);
        QFETCH(int, current);
        QList<QIcon> itemIcons;
        for (bool icon : icons)
            itemIcons.append(icon ? swatch() : QIcon());
        int shown = current;
        SketchMenu menu;
        menu.setItems(QStringList(icons.size(), QStringLiteral("가")), itemIcons);
        menu.setCurrent([&shown] { return shown; });
        const std::unique_ptr<QMenu> checked(menu.buildMenu());
        shown = -1;
        const std::unique_ptr<QMenu> blank(menu.buildMenu());
        const QImage drawn = painted(*checked);
        const QImage plain = painted(*blank);
        QCOMPARE(drawn.size(), plain.size());
        const QList<QAction *> actions = checked->actions();
        int contentLeft = plain.width();
        for (QAction *action : actions)
            contentLeft = std::min(contentLeft, leftOfContent(plain, checked->actionGeometry(action)));
        QVERIFY(contentLeft < plain.width());

        for (int i = 0; i < actions.size(); ++i) {
            const QRect row = checked->actionGeometry(actions[i]);
            int ink = 0, changed = 0, overContent = 0;
            for (int y = row.top(); y <= row.bottom(); ++y)
                for (int x = row.left(); x <= row.right(); ++x) {
                    if (drawn.pixel(x, y) == plain.pixel(x, y))
                        continue;
                    ++changed;
                    ink += inky(drawn.pixel(x, y));
                    overContent += x >= contentLeft;
                }
            if (i == current) {
                QVERIFY2(ink >= 4, qPrintable(QStringLiteral("row %1: %2 ink pixels").arg(i).arg(ink)));
                QCOMPARE(overContent, 0);
            } else {
                QCOMPARE(changed, 0);
            }
        }
    }

    void iconSize_data()
    {
        QTest::addColumn<qreal>("scale");
        QTest::newRow("12 x 12 at scale 1") << 1.0;
        QTest::newRow("12 x 12 at scale 2") << 2.0;
    }

    /// Icons show at the size given, not at the menu's usual icon size, whatever their pixel density.
    void iconSize()
    {
        QFETCH(qreal, scale);
        QPixmap pixmap(QSize(12, 12) * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::red);
        SketchMenu menu;
        menu.setItems({QStringLiteral("가"), QStringLiteral("나")}, {QIcon(pixmap), QIcon(pixmap)});
        menu.setIconSize(QSize(12, 12));
        const std::unique_ptr<QMenu> built(menu.buildMenu());
        const QImage drawn = painted(*built);
        for (QAction *action : built->actions()) {
            const QRect row = built->actionGeometry(action);
            QRect red;
            for (int y = row.top(); y <= row.bottom(); ++y)
                for (int x = row.left(); x <= row.right(); ++x)
                    if (drawn.pixel(x, y) == qRgb(255, 0, 0))
                        red |= QRect(x, y, 1, 1);
            QCOMPARE(red.size(), QSize(12, 12));
        }
    }

    void pickWrites_data()
    {
        QTest::addColumn<int>("picked");
        QTest::newRow("another") << 0;
        QTest::newRow("the same again") << 2;
    }

    void pickWrites()
    {
        QFETCH(int, picked);
        Owner owner{2, {}};
        std::unique_ptr<SketchMenu> menu(bound(owner));
        QSignalSpy spy(menu.get(), &SketchMenu::picked);
        const std::unique_ptr<QMenu> built(menu->buildMenu());
        built->actions().at(picked)->trigger();
        QCOMPARE(owner.writes, QList<int>{picked});
        QCOMPARE(spy.count(), 1);
        QCOMPARE(menu->findChild<QLabel *>()->text(), numbers[picked]); // the closed box shows it
        // Screen readers see one combo box whose value is the choice, in its spoken words where given.
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(menu.get());
        QCOMPARE(face->role(), QAccessible::ComboBox);
        QCOMPARE(face->childCount(), 0);
        QCOMPARE(face->text(QAccessible::Value), numbers[picked]);
        menu->setSpokenTitles({QStringLiteral("first")});
        QCOMPARE(face->text(QAccessible::Value), picked == 0 ? QStringLiteral("first") : numbers[picked]);
    }

    void popup_data()
    {
        QTest::addColumn<bool>("empty");
        QTest::addColumn<QPoint>("click"); // anywhere on the box opens it
        QTest::newRow("on the field") << false << QPoint(20, 17);
        QTest::newRow("on the chevron") << false << QPoint(185, 17);
        QTest::newRow("no items, near a corner") << true << QPoint(3, 31);
    }

    void popup()
    {
        QFETCH(bool, empty);
        QFETCH(QPoint, click);
        Owner owner{1, {}};
        SketchMenu *menu = bound(owner);
        if (empty)
            menu->setItems({});
        menu->present(); // not shown yet: nothing happens
        QVERIFY(!menu->openMenu());
        const auto window = placed(menu);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(menu->geometry(), QRect(20, 30, 200, 34)); // the whole row, 34 high
        // Through the window, so whatever child lies under the point is hit first.
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, menu->mapTo(window.get(), click));
        QPointer<QMenu> open = menu->openMenu();
        QVERIFY(open && open->isVisible());
        // The box is at (120, 230) on screen: the menu's corner goes 4 below its bottom-left.
        QCOMPARE(open->pos(), QPoint(120, 268));
        QCOMPARE(open->actions().size(), empty ? 0 : numbers.size());
        QTest::keyClick(open, Qt::Key_Escape); // closing without a pick writes nothing
        QVERIFY(!open || !open->isVisible());
        QVERIFY(owner.writes.isEmpty());
    }

    void typedValues()
    {
        RockColor color = RockColor::red;
        QList<RockColor> writes, fieldShown;
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
        QCOMPARE(writes, QList<RockColor>{RockColor::green});
        QCOMPARE(fieldShown.last(), RockColor::green);
    }
};

QTEST_MAIN(TestSketchMenu)
#include "tst_sketchmenu.moc"
