#include "AppState.h"
#include "CustomizeView.h"
#include "HomeView.h"
#include "OnboardingView.h"
#include "PreviewStores.h"
#include "RenderPreview.h"
#include "RockPileView.h"
#include "RootView.h"
#include "SettingsView.h"
#include "TalkView.h"
#include "TowerView.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <QTest>

namespace {

/// What a settled root view shows, in a few words: the screen and what sets it apart.
QString describe(const RootView &root)
{
    const QWidget *screen = root.currentScreen();
    if (const auto *onboarding = qobject_cast<const OnboardingView *>(screen))
        return QStringLiteral("onboarding %1 draft %2 outline %3")
            .arg(onboarding->step() == OnboardingView::Step::drawing ? "drawing" : "choose")
            .arg(onboarding->draft().has_value())
            .arg(onboarding->showsOutline());
    const auto *home = qobject_cast<const HomeView *>(screen);
    if (!home)
        return QStringLiteral("nothing");
    const QString count = home->countLabel()->text();
    const QWidget *content = home->content();
    if (qobject_cast<const SettingsView *>(content))
        return QStringLiteral("settings");
    if (const auto *talk = qobject_cast<const TalkView *>(content))
        return QStringLiteral("talk %1, %2")
            .arg(talk->mode() == TalkView::InputMode::text ? "text" : "drawing", count);
    if (const auto *tower = qobject_cast<const TowerView *>(content))
        return QStringLiteral("tower of %1, selected %2, %3")
            .arg(tower->pile()->wishes().size())
            .arg(tower->selected().has_value())
            .arg(count);
    if (const auto *customize = qobject_cast<const CustomizeView *>(content))
        return QStringLiteral("customize redrawing %1 draft %2")
            .arg(customize->isRedrawing())
            .arg(customize->draft().has_value());
    return QStringLiteral("home without a screen");
}

} // namespace

class TestRenderPreview : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { qunsetenv("KIVVO_WISHES"); }

    void sampleWishes_data()
    {
        QTest::addColumn<QByteArray>("value"); // null: unset
        QTest::addColumn<int>("count");
        QTest::newRow("unset") << QByteArray() << 5;
        QTest::newRow("22") << QByteArray("22") << 22;
        QTest::newRow("1") << QByteArray("1") << 1;
        QTest::newRow("0") << QByteArray("0") << 5;
        QTest::newRow("negative") << QByteArray("-3") << 5;
        QTest::newRow("words") << QByteArray("many") << 5;
        QTest::newRow("trailing text") << QByteArray("7x") << 5;
        QTest::newRow("too large for a number") << QByteArray("99999999999999999999") << 5;
        QTest::newRow("capped") << QByteArray("2000000000") << 1000;
        QTest::newRow("at the cap") << QByteArray("1000") << 1000;
    }
    void sampleWishes()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, count);
        if (!value.isNull())
            qputenv("KIVVO_WISHES", value);
        const QList<Wish> wishes = RenderPreview::sampleWishes();
        QCOMPARE(wishes.size(), count);
        for (const Wish &wish : wishes) {
            QVERIFY(!wish.rock && !wish.drawingStrokes);
            QVERIFY(!wish.id.isNull());
        }
        if (count == 5 && value != "5") {
            QCOMPARE(wishes[0].text, QStringLiteral("올해는 마음이 단단해지기"));
            QCOMPARE(wishes[1].seed, 0.72);
            QCOMPARE(wishes[4].text, QStringLiteral("더 자주 웃기"));
            QCOMPARE(wishes[4].seed, 0.3);
        }
    }

    void numberedWishesRepeatTextsAndSpreadSeeds()
    {
        qputenv("KIVVO_WISHES", "22");
        const QList<Wish> wishes = RenderPreview::sampleWishes();
        const QList<double> seeds{0, 0.37, 0.74, 0.11, 0.48, 0.85};
        for (int i = 0; i < seeds.size(); ++i)
            QCOMPARE(wishes[i].seed, seeds[i]);
        QCOMPARE(wishes[21].seed, 0.77);
        QCOMPARE(wishes[5].text, wishes[0].text);
        QCOMPARE(wishes[21].text, wishes[1].text);
        QVERIFY(wishes[0].id != wishes[5].id);
    }

    void sampleDrawingsAreJudged()
    {
        const QList<RenderPreview::SampleDrawing> drawings = RenderPreview::sampleDrawings();
        QCOMPARE(drawings.size(), 5);
        QList<RockDrawing::Kind> kinds;
        for (const RenderPreview::SampleDrawing &drawing : drawings) {
            QCOMPARE(drawing.stroke.size(), 64);
            kinds.append(drawing.result.kind);
        }
        // The big ones become rocks; the thin tall and the flat wide ones cannot hold the eyes.
        using Kind = RockDrawing::Kind;
        QCOMPARE(kinds, (QList<Kind>{Kind::rock, Kind::rock, Kind::rock, Kind::tooTight, Kind::tooTight}));
    }

    void sheetsHaveTheirSizes()
    {
        const QList<RenderPreview::Sheet> sheets = RenderPreview::renderSheets();
        QStringList names;
        for (const RenderPreview::Sheet &sheet : sheets) {
            names.append(sheet.name);
            const QImage image = RenderPreview::renderSheet(sheet.name, 2);
            QCOMPARE(image.size(), (sheet.size * 2).toSize());
        }
        QCOMPARE(names, QStringList({"01-onboarding-draw", "02-talk", "03-tower", "04-menubar-icon",
                                     "05-colors", "06-expressions", "07-drawn-shapes"}));
        QCOMPARE(sheets.last().size, QSizeF(224 * 5, 224));
        QVERIFY(RenderPreview::renderSheet("nope").isNull());
    }

    void previewStores_data()
    {
        using Kind = PreviewStores::Kind;
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("onboarded");
        QTest::addColumn<int>("wishes");
        QTest::addColumn<bool>("shape");
        QTest::addColumn<bool>("usesShape");
        QTest::newRow("fresh") << int(Kind::fresh) << false << 0 << false << false;
        QTest::newRow("sample") << int(Kind::sample) << true << 5 << true << true;
        QTest::newRow("choose") << int(Kind::choose) << false << 0 << true << true;
        QTest::newRow("empty tower") << int(Kind::emptyTower) << true << 0 << true << true;
        QTest::newRow("tall tower") << int(Kind::tallTower) << true << 5 << true << true;
        QTest::newRow("default rock") << int(Kind::defaultRock) << true << 5 << true << false;
        QTest::newRow("character rock") << int(Kind::characterRock) << true << 5 << false << false;
    }
    void previewStores()
    {
        QFETCH(int, kind);
        QFETCH(bool, onboarded);
        QFETCH(int, wishes);
        QFETCH(bool, shape);
        QFETCH(bool, usesShape);
        const auto store = PreviewStores::make(PreviewStores::Kind(kind), RenderPreview::sampleWishes(),
                                               RenderPreview::sampleShape());
        QCOMPARE(store->hasOnboarded(), onboarded);
        QCOMPARE(store->wishes().size(), wishes);
        QCOMPARE(store->customRockShape().has_value(), shape);
        QCOMPARE(store->usesCustomRock(), usesShape);
        QCOMPARE(store->isTowerTall(), kind == int(PreviewStores::Kind::tallTower));
        QCOMPARE(store->fileURL(), QDir(QDir::tempPath()).filePath("kivvo-preview.json"));
        QCOMPARE(store->idleRockScale(), 1.0);
    }

    // A shot that shows the wrong screen or the wrong pile still has the right size: look inside.
    void shotsShowWhatTheyAreNamedFor()
    {
        const QMap<QString, QString> expected{
            {"01-onboarding-draw", "onboarding drawing draft 0 outline 1"},
            {"02-onboarding-drawn", "onboarding drawing draft 1 outline 1"},
            {"03-onboarding-blank", "onboarding drawing draft 0 outline 0"},
            {"04-onboarding-choose", "onboarding choose draft 0 outline 1"},
            {"05-talk", "talk text, 돌 5"},
            {"06-talk-drawing", "talk drawing, 돌 5"},
            {"07-tower-empty", "tower of 0, selected 0, 돌 0"},
            {"08-tower", "tower of 5, selected 0, 돌 5"},
            {"09-tower-selected", "tower of 5, selected 1, 돌 5"},
            {"10-tower-tall", "tower of 22, selected 0, 돌 22"},
            {"11-customize", "customize redrawing 0 draft 0"},
            {"12-customize-redraw", "customize redrawing 1 draft 0"},
            {"13-customize-redrawn", "customize redrawing 1 draft 1"},
            {"14-settings", "settings"},
        };
        for (const RenderPreview::Shot &shot : RenderPreview::shots()) {
            const RenderPreview::OpenShot open = RenderPreview::openShot(
                shot, [&](RootView &root) { RenderPreview::captureView(root, QSizeF(320, shot.height()), 1); });
            QCOMPARE(shot.name + ": " + describe(*open.root), shot.name + ": " + expected.value(shot.name));
        }
    }

    void shootingLeavesTheEnvironmentAsItWas()
    {
        // A variable set before shooting stays as it was; none a shot set stays behind.
        qputenv("KIVVO_SELECT", "kept");
        const QProcessEnvironment before = QProcessEnvironment::systemEnvironment();
        QTemporaryDir folder;
        const RenderPreview::Written written = RenderPreview::shootAll(folder.path());
        const QProcessEnvironment after = QProcessEnvironment::systemEnvironment();
        qunsetenv("KIVVO_SELECT");
        QCOMPARE(after.toStringList(), before.toStringList());
        QCOMPARE(written.files.size(), 14);
        QVERIFY(written.failed.isEmpty());
        const QList<RenderPreview::Shot> shots = RenderPreview::shots();
        for (const RenderPreview::Shot &entry : shots) {
            const QSize size = QImageReader(folder.filePath(entry.name + QStringLiteral(".png"))).size();
            QCOMPARE(size.width(), 640);
            QCOMPARE(size.height(), int(std::lround(entry.height() * 2)));
        }
    }

    void aFolderThatCannotBeMadeFailsEveryPicture()
    {
        // Beneath a plain file no folder can be made, not even by root.
        QTemporaryDir scratch;
        QFile blocker(scratch.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString folder = scratch.filePath(QStringLiteral("file/sheets"));
        const RenderPreview::Written written = RenderPreview::renderAll(folder);
        QVERIFY(written.files.isEmpty());
        QCOMPARE(written.failed.size(), 7);
        QCOMPARE(written.failed.first(), folder + QStringLiteral("/01-onboarding-draw.png"));
    }
};

QTEST_MAIN(TestRenderPreview)
#include "tst_renderpreview.moc"
