#include "AppState.h"
#include "ClockSteps.h"
#include "SettingsView.h"
#include "WrappedText.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

/// A store on a real file holding `scale` and `enabled`, and the settings screen opened on it afterwards.
struct Screen {
    QTemporaryDir dir;
    AppState state{dir.filePath(u"data.json"_s)};
    QSignalSpy saves{&state, &AppState::saved};
    std::unique_ptr<SettingsView> view;

    explicit Screen(double scale, bool enabled = true)
    {
        state.setIdleRockScale(scale);
        state.setIsIdleRockEnabled(enabled);
        saves.clear();
        view = std::make_unique<SettingsView>(&state);
        view->resize(320, SettingsView::screenHeight);
        view->show();
    }
};

/// The centre of `slider`'s handle standing at `index`.
QPoint handleAt(QSlider *slider, int index)
{
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = option.sliderValue = index;
    return slider->style()
        ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider)
        .center();
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { runClock(2); }

    void onlyUserMovesStore_data()
    {
        QTest::addColumn<double>("stored");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("key"); // 0: drags the handle to step `dragTo` instead
        QTest::addColumn<int>("dragTo");
        QTest::addColumn<double>("expected");
        QTest::newRow("between steps, right") << 0.9 << 2 << int(Qt::Key_Right) << 0 << 1.25;
        QTest::newRow("between steps, left") << 0.9 << 2 << int(Qt::Key_Left) << 0 << 0.75;
        QTest::newRow("nearer the lower step, dragged") << 0.85 << 1 << 0 << 4 << 1.5;
        QTest::newRow("above the range, home") << 2.0 << 4 << int(Qt::Key_Home) << 0 << 0.5;
        QTest::newRow("below the range, dragged") << 0.2 << 0 << 0 << 1 << 0.75;
    }

    void onlyUserMovesStore()
    {
        QFETCH(double, stored);
        QFETCH(int, shown);
        QFETCH(int, key);
        QFETCH(int, dragTo);
        QFETCH(double, expected);
        Screen screen(stored);
        QSlider *slider = screen.view->sizeSlider();
        QCOMPARE(slider->value(), shown);
        QCOMPARE(screen.state.idleRockScale(), stored);
        QCOMPARE(screen.saves.count(), 0);
        if (key) {
            QTest::keyClick(slider, Qt::Key(key));
        } else {
            const QPoint to = handleAt(slider, dragTo);
            QTest::mousePress(slider, Qt::LeftButton, {}, handleAt(slider, shown));
            QTest::mouseMove(slider, to);
            QTest::mouseRelease(slider, Qt::LeftButton, {}, to);
        }
        QCOMPARE(screen.state.idleRockScale(), expected);
        // A change from elsewhere is shown the same way, and not stored back rounded.
        const int saves = screen.saves.count();
        screen.state.setIdleRockScale(1.3);
        QCOMPARE(slider->value(), 3);
        QCOMPARE(screen.state.idleRockScale(), 1.3);
        QCOMPARE(screen.saves.count(), saves + 1);
    }

    void clickOnTrackGoesThere_data()
    {
        QTest::addColumn<double>("stored");
        QTest::addColumn<int>("clicked");
        QTest::addColumn<double>("expected");
        QTest::newRow("from normal to the largest") << 1.0 << 4 << 1.5;
        QTest::newRow("from normal to the smallest") << 1.0 << 0 << 0.5;
        QTest::newRow("from the smallest, three steps") << 0.5 << 3 << 1.25;
        QTest::newRow("from the largest, one step") << 1.5 << 3 << 1.25;
    }

    /// A click on the track puts the handle on the step under the pointer, in one move.
    void clickOnTrackGoesThere()
    {
        QFETCH(double, stored);
        QFETCH(int, clicked);
        QFETCH(double, expected);
        Screen screen(stored);
        QSlider *slider = screen.view->sizeSlider();
        QTest::mouseClick(slider, Qt::LeftButton, {}, handleAt(slider, clicked));
        QCOMPARE(slider->value(), clicked);
        QCOMPARE(screen.state.idleRockScale(), expected);
        QCOMPARE(screen.saves.count(), 1);
    }

    void switchFadesAndLocksSizeBlock_data()
    {
        QTest::addColumn<QString>("by");
        QTest::newRow("click") << u"click"_s;
        QTest::newRow("space") << u"space"_s;
        QTest::newRow("store") << u"store"_s;
    }

    void switchFadesAndLocksSizeBlock()
    {
        QFETCH(QString, by);
        Screen screen(1.0, false);
        SettingsView &view = *screen.view;
        SettingsView::Switch *toggle = view.idleRockSwitch();
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(toggle);
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Name), u"따라다니는 돌"_s);
        // Opened with the rock off: faded at once, and the slider ignores keys and screen readers.
        QCOMPARE(view.sizeBlockOpacity(), 0.4);
        QTest::keyClick(view.sizeSlider(), Qt::Key_Right);
        QAccessibleInterface *size = QAccessible::queryAccessibleInterface(view.sizeSlider());
        QCOMPARE(size->text(QAccessible::Value), u"보통"_s);
        size->actionInterface()->doAction(QAccessibleActionInterface::increaseAction());
        size->valueInterface()->setCurrentValue(4);
        QCOMPARE(screen.state.idleRockScale(), 1.0);

        const auto turn = [&](bool on) {
            if (by == u"click"_s)
                QTest::mouseClick(toggle, Qt::LeftButton);
            else if (by == u"space"_s)
                QTest::keyClick(toggle, Qt::Key_Space);
            else
                screen.state.setIsIdleRockEnabled(on);
            QCOMPARE(screen.state.isIdleRockEnabled(), on);
            QCOMPARE(bool(accessible->state().checked), on);
            QCOMPARE(view.sizeSlider()->isEnabled(), on);
        };
        turn(true);
        runClock(0.1); // half of the 0.2 s fade
        QVERIFY(view.sizeBlockOpacity() > 0.4 && view.sizeBlockOpacity() < 1);
        runClock(0.1); // half of the 0.2 s fade
        QCOMPARE(view.sizeBlockOpacity(), 1.0);
        QTest::keyClick(view.sizeSlider(), Qt::Key_Right);
        QCOMPARE(screen.state.idleRockScale(), 1.25);
        QCOMPARE(size->text(QAccessible::Value), u"조금 크게"_s);

        turn(false);
        runClock(0.2);
        QCOMPARE(view.sizeBlockOpacity(), 0.4);
        // Two turns and one step: the switch following the store must not write it back.
        QCOMPARE(screen.saves.count(), 3);
    }

    void noteSitsUnderTheSwitchOnlyWhenThereIsOne()
    {
        Screen screen(1.0);
        SettingsView &view = *screen.view;
        QVERIFY(!view.idleRockNote()->isVisible());
        const int sizeTop = view.sizeBlock()->y();
        const QString note = u"이 데스크톱은 돌이 커서를 따라가게 두지 않아요"_s;
        screen.state.setIdleRockNote(note);
        QCoreApplication::processEvents(); // the layout settles
        QVERIFY(view.idleRockNote()->isVisible());
        QCOMPARE(view.idleRockNote()->text(), note);
        QVERIFY(view.idleRockNote()->y() > view.idleRockSwitch()->parentWidget()->geometry().bottom());
        QVERIFY(view.sizeBlock()->y() > view.idleRockNote()->geometry().bottom());
        QCOMPARE(screen.saves.count(), 0); // a fact of the desktop, not a setting
        screen.state.setIdleRockNote({});
        QCoreApplication::processEvents();
        QVERIFY(!view.idleRockNote()->isVisible());
        QCOMPARE(view.sizeBlock()->y(), sizeTop);
    }

    void loginSwitchShowsWhatIsThereAndWritesOnlyWhenFlipped_data()
    {
        QTest::addColumn<bool>("entryThere");
        QTest::newRow("no entry: off") << false;
        QTest::newRow("an entry: on") << true;
    }
    void loginSwitchShowsWhatIsThereAndWritesOnlyWhenFlipped()
    {
        QFETCH(bool, entryThere);
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8()); // never the user's own autostart folder
        const QString entry = config.filePath(u"autostart/kivvo.desktop"_s);
        if (entryThere) {
            QVERIFY(QDir().mkpath(config.filePath(u"autostart"_s)));
            QFile file(entry);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        Screen screen(1.0);
        SettingsView::Switch *toggle = screen.view->loginSwitch();
        QCOMPARE(toggle->isChecked(), entryThere);
        QCOMPARE(QFileInfo::exists(entry), entryThere); // opening wrote or removed nothing
        QVERIFY(toggle->y() + toggle->parentWidget()->y() > screen.view->sizeBlock()->geometry().bottom());

        QTest::mouseClick(toggle, Qt::LeftButton);
        QCOMPARE(QFileInfo::exists(entry), !entryThere);
        if (!entryThere) {
            QFile file(entry);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray text = file.readAll();
            QVERIFY(text.startsWith("[Desktop Entry]\n"));
            QVERIFY(text.contains("\nX-GNOME-Autostart-enabled=true\n"));
            QVERIFY(text.contains("\nExec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\"\n"));
        }
        QCOMPARE(screen.saves.count(), 0); // not a setting of the save file
        qunsetenv("XDG_CONFIG_HOME");
    }

    void loginSwitchTurnsBackWhenTheEntryCannotBeWritten()
    {
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        QFile blocker(config.filePath(u"autostart"_s)); // a file where the folder should be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Screen screen(1.0);
        QTest::mouseClick(screen.view->loginSwitch(), Qt::LeftButton);
        QVERIFY(!screen.view->loginSwitch()->isChecked());
        QVERIFY(QFileInfo(config.filePath(u"autostart"_s)).isFile());
        qunsetenv("XDG_CONFIG_HOME");
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
