#include "AppState.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>
#include <limits>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {


const QByteArray goodWish =
    R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","text":"첫 소원","createdAt":100,"seed":0.5,)"
    R"("rock":{"character":"vidovu","color":"red","expression":"smile"}})";

QList<Wish> lettered(int count)
{
    QList<Wish> wishes;
    for (int i = 0; i < count; ++i)
        wishes.append(
            Wish{QUuid::createUuid(), QString(QChar(u'A' + i)), 0, std::nullopt, 0.5, std::nullopt});
    return wishes;
}

QString texts(const QList<Wish> &wishes)
{
    QString joined;
    for (const Wish &wish : wishes)
        joined += wish.text;
    return joined;
}

/// Stops writes beyond `bytes` for this process, as a full disk would, even for root.
struct FileSizeLimit {
    rlimit previous{};
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous);
        rlimit limit{bytes, previous.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &previous); }
};

constexpr QFileDevice::Permissions privateFile =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser;
constexpr QFileDevice::Permissions groupAndOthers(0x0077);

/// Defaults apart from `hasOnboarded`, as a document with only the required keys loads, then `edit`.
SaveData onboarded(const std::function<void(SaveData &)> &edit = [](SaveData &) {})
{
    SaveData data;
    data.hasOnboarded = true;
    edit(data);
    return data;
}

} // namespace

class TestAppState : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name = u"Kivvo/data.json"_s) const { return m_dir.filePath(name); }

private slots:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    void filesArePrivate()
    {
        qputenv("XDG_DATA_HOME", path(u"share"_s).toUtf8());
        AppState fresh;
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(fresh.fileURL(), path(u"share/Kivvo/data.json"_s));
        fresh.setHasOnboarded(true);
        const QFileDevice::Permissions folder = QFileInfo(path(u"share/Kivvo"_s)).permissions();
        QVERIFY(folder.testFlag(QFileDevice::ExeOwner));
        QCOMPARE(folder & groupAndOthers, QFileDevice::Permissions());
        QCOMPARE(QFileInfo(fresh.fileURL()).permissions(), privateFile);

        // A file left readable by others is replaced by a private one.
        writeAll(path(), R"({"hasOnboarded":false,"wishes":[]})");
        QFile::setPermissions(path(), privateFile | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        AppState(path()).setRockColor(RockColor::blue);
        QCOMPARE(QFileInfo(path()).permissions(), privateFile);
    }

    void addWish_data()
    {
        QTest::addColumn<bool>("drawn");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<DrawingStroke>>("strokes");
        QTest::addColumn<QString>("stored"); // empty: nothing is added
        const QList<DrawingStroke> none;
        QTest::newRow("empty") << false << u""_s << none << u""_s;
        QTest::newRow("spaces and breaks") << false << u"  \n\t \u3000"_s << none << u""_s;
        QTest::newRow("padded, inner space kept") << false << u"\t큰  바위 \n"_s << none << u"큰  바위"_s;
        QTest::newRow("no strokes") << true << QString() << none << u""_s;
        QTest::newRow("empty strokes") << true << QString() << QList<DrawingStroke>{{}, {}} << u""_s;
        QTest::newRow("one empty, one drawn")
            << true << QString() << QList<DrawingStroke>{{}, {{{1, 2}, {3, 4}}}} << u"그림 소원"_s;
    }
    void addWish()
    {
        QFETCH(bool, drawn);
        QFETCH(QString, text);
        QFETCH(QList<DrawingStroke>, strokes);
        QFETCH(QString, stored);
        AppState store(path());
        QSignalSpy saves(&store, &AppState::saved);
        const std::optional<Wish> wish = drawn ? store.addDrawingWish(strokes) : store.addWish(text);
        QCOMPARE(wish.has_value(), !stored.isEmpty());
        QCOMPARE(saves.size(), wish ? 1 : 0);
        if (!wish)
            return;
        QCOMPARE(wish->text, stored);
        QCOMPARE(wish->drawingStrokes, drawn ? std::optional(strokes) : std::nullopt);
        QVERIFY(wish->seed >= 0 && wish->seed < 1);
        QVERIFY(std::abs(Wish::dateOf(wish->createdAt)->secsTo(QDateTime::currentDateTimeUtc())) < 60);
        QCOMPARE(AppState(path()).wishes(), QList<Wish>{*wish});
    }

    void newWishCarriesTheCurrentAppearance()
    {
        AppState store(path());
        const CustomRockShape shape{{{0.1, 0.1}, {0.9, 0.1}, {0.5, 0.9}}};
        store.setCustomRockShape(shape);
        store.setRockColor(RockColor::green);
        store.setRockExpression(RockExpression::smile);
        store.setUsesCustomRock(false);
        QCOMPARE(store.addWish(u"a"_s)->rock, (RockAppearance{KivvoCharacter::vidovu, RockColor::green,
                                                              RockExpression::smile, std::nullopt}));
        store.setUsesCustomRock(true);
        QCOMPARE(store.addWish(u"b"_s)->rock->customShape, shape);
    }

    void deleteFindsTheWishById_data()
    {
        QTest::addColumn<int>("index"); // -1: a wish not in the list
        QTest::addColumn<QString>("after");
        QTest::newRow("bottom centre") << 0 << u"FBCDEG"_s;
        QTest::newRow("last") << 6 << u"ABCDEF"_s;
        QTest::newRow("unknown") << -1 << u"ABCDEFG"_s;
    }
    void deleteFindsTheWishById()
    {
        QFETCH(int, index);
        QFETCH(QString, after);
        const QList<Wish> wishes = lettered(7);
        AppState store(path(), SaveData{true, wishes, {}, {}});
        QSignalSpy saves(&store, &AppState::saved);
        Wish onlyId = index < 0 ? lettered(1).first() : wishes[index];
        onlyId.text = u"ignored"_s;
        onlyId.seed = 0.9;
        store.deleteWish(onlyId);
        QCOMPARE(texts(store.wishes()), after);
        QCOMPARE(saves.size(), index < 0 ? 0 : 1);
        QCOMPARE(texts(AppState(path()).wishes()), index < 0 ? QString() : after);
    }

    void deletingTheLastWishShortensTheTower()
    {
        AppState store(path(), SaveData{true, lettered(1), {}, {}});
        store.setIsTowerTall(true);
        store.deleteWish(store.wishes().first());
        QVERIFY(store.wishes().isEmpty());
        QCOMPARE(store.isTowerTall(), false);
    }

    void lenientTopLevel_data()
    {
        QTest::addColumn<QByteArray>("tail");   // keys after hasOnboarded and wishes
        QTest::addColumn<SaveData>("expected"); // wishes left out
        const QByteArray shapeKey = R"(,"customRockShape":{"points":[{"x":0.1,"y":0.2}]})";
        const CustomRockShape shape{{{0.1, 0.2}}};
        QTest::newRow("nothing optional") << QByteArray() << onboarded();
        QTest::newRow("scale 3") << QByteArray(R"(,"idleRockScale":3)")
                                 << onboarded([](SaveData &d) { d.idleRockScale = 1.5; });
        QTest::newRow("scale 0.2") << QByteArray(R"(,"idleRockScale":0.2)")
                                   << onboarded([](SaveData &d) { d.idleRockScale = 0.5; });
        QTest::newRow("scale null") << QByteArray(R"(,"idleRockScale":null)") << onboarded();
        QTest::newRow("shape without flag") << shapeKey << onboarded([&](SaveData &d) {
            d.customRockShape = shape;
            d.usesCustomRock = true;
        });
        QTest::newRow("shape, flag false") << shapeKey + R"(,"usesCustomRock":false)"
                                           << onboarded([&](SaveData &d) { d.customRockShape = shape; });
        QTest::newRow("flag without shape") << QByteArray(R"(,"usesCustomRock":true)")
                                            << onboarded([](SaveData &d) { d.usesCustomRock = true; });
        QTest::newRow("known words, idle off")
            << QByteArray(R"(,"rockColor":"blue","rockExpression":"scary","isIdleRockEnabled":false)")
            << onboarded([](SaveData &d) {
                   d.rockColor = RockColor::blue;
                   d.rockExpression = RockExpression::scary;
                   d.isIdleRockEnabled = false;
               });
        QTest::newRow("unknown words")
            << QByteArray(R"(,"rockColor":"teal","rockExpression":"wink","selectedCharacter":"x")")
            << onboarded();
    }
    void lenientTopLevel()
    {
        QFETCH(QByteArray, tail);
        QFETCH(SaveData, expected);
        const QByteArray bytes = R"({"hasOnboarded":true,"wishes":[)" + goodWish + "]" + tail + "}";
        writeAll(path(), bytes);
        SaveData loaded = AppState(path()).saveData();
        QCOMPARE(loaded.wishes.size(), 1);
        loaded.wishes.clear();
        QCOMPARE(loaded, expected);
        QCOMPARE(readAll(path()), bytes); // loading never writes, whatever was missing
    }

    void missingOrUnreadableFileGivesTheDefaults_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // null: no file
        QTest::newRow("no file") << QByteArray();
        QTest::newRow("not json") << QByteArray("{\"hasOnboarded\":tr");
        QTest::newRow("array") << QByteArray("[]");
        QTest::newRow("no hasOnboarded") << R"({"wishes":[)" + goodWish + "]}";
        QTest::newRow("hasOnboarded mistyped") << R"({"hasOnboarded":1,"wishes":[)" + goodWish + "]}";
        QTest::newRow("no wishes") << QByteArray(R"({"hasOnboarded":true})");
        QTest::newRow("unknown colour in a wish") << QByteArray(
            R"({"hasOnboarded":true,"wishes":[)" + QByteArray(goodWish).replace("red", "teal") + "]}");
        QTest::newRow("broken top-level shape")
            << QByteArray(R"({"hasOnboarded":true,"wishes":[],"customRockShape":{"points":3}})");
    }
    void missingOrUnreadableFileGivesTheDefaults()
    {
        QFETCH(QByteArray, bytes);
        if (!bytes.isNull())
            writeAll(path(), bytes);
        // Spelled out, so a wrong default in SaveData shows too.
        const SaveData defaults{
            false, {}, KivvoCharacter::vidovu, {}, false, RockColor::original, RockExpression::none,
            true,  1.0};
        QCOMPARE(AppState(path()).saveData(), defaults);
        QCOMPARE(readAll(path()), bytes); // nothing is written, nothing is replaced
    }

    void unreadableFileIsKeptBeforeTheFirstSave()
    {
        const QByteArray original =
            R"({"hasOnboarded":true,"wishes":[)" + QByteArray(goodWish).replace("red", "violet") + "]}";
        writeAll(path(), original);
        QDir folder(path(u"Kivvo"_s));
        const auto copies = [&] {
            return folder.entryList(QDir::Files, QDir::Name)
                .filter(QRegularExpression(u"^data\\.unreadable-\\d{8}-\\d{6}(-\\d+)?\\.json$"_s));
        };

        AppState first(path());
        QVERIFY(copies().isEmpty());
        first.setHasOnboarded(true);
        QCOMPARE(copies().size(), 1);
        QCOMPARE(readAll(folder.filePath(copies().first())), original);
        QVERIFY(readAll(path()).startsWith(R"({"hasOnboarded":true,"wishes":[])"));
        first.setRockColor(RockColor::red); // later saves make no more copies
        QCOMPARE(copies().size(), 1);

        // A second unreadable file within the same second must not replace the first copy.
        writeAll(path(), "garbage");
        AppState(path()).setRockColor(RockColor::pink);
        const QStringList both = copies();
        QCOMPARE(both.size(), 2);
        const QList<QByteArray> contents{readAll(folder.filePath(both[0])),
                                         readAll(folder.filePath(both[1]))};
        QVERIFY(contents.contains(original));
        QVERIFY(contents.contains("garbage"));
    }

    void everyAssignmentNotifiesBeforeStoringAndSaves()
    {
        AppState store(path());
        store.setRockColor(RockColor::red);
        QSignalSpy willChange(&store, &AppState::willChange);
        QSignalSpy saves(&store, &AppState::saved);
        std::optional<RockColor> seenInStore;
        std::optional<RockColor> seenAtWillChange;
        QStringList order;
        connect(&store, &AppState::rockColorChanged, this, [&](RockColor) {
            seenInStore = store.rockColor();
            order.append(u"field"_s);
        });
        connect(&store, &AppState::willChange, this, [&] {
            seenAtWillChange = store.rockColor();
            order.append(u"will"_s);
        });
        QDir().remove(path());
        store.setRockColor(RockColor::red); // the same value again
        QCOMPARE(willChange.size(), 1);
        QCOMPARE(saves.size(), 1);
        QVERIFY(QFile::exists(path()));
        order.clear();
        store.setRockColor(RockColor::yellow);
        QCOMPARE(seenAtWillChange, RockColor::red); // willChange came before the field changed...
        QCOMPARE(seenInStore, RockColor::red);      // ...and so did the field's own signal
        QCOMPARE(order, (QStringList{u"will"_s, u"field"_s}));
        QCOMPARE(store.rockColor(), RockColor::yellow);
        QCOMPARE(saves.size(), 2);

        // Layout flags notify but are not saved.
        QSignalSpy tall(&store, &AppState::isPanelTallChanged);
        store.setIsPanelTall(true);
        store.setIsTowerTall(true);
        QCOMPARE(tall.size(), 1);
        QCOMPARE(willChange.size(), 4);
        QCOMPARE(saves.size(), 2);
    }

    void writtenDocumentForm()
    {
        AppState store(path());
        store.setIdleRockScale(1.25);
        QCOMPARE(
            readAll(path()),
            R"({"hasOnboarded":false,"wishes":[],"selectedCharacter":"vidovu","usesCustomRock":false,)"
            R"("rockColor":"original","rockExpression":"none","isIdleRockEnabled":true,"idleRockScale":1.25})");
        store.setCustomRockShape(CustomRockShape{{{0.5, 0.25}}});
        QVERIFY(readAll(path()).contains(
            R"("selectedCharacter":"vidovu","customRockShape":{"points":[{"x":0.5,"y":0.25}]},"usesCustomRock")"));
    }

    void previewStoreTakesValuesWithoutSaving()
    {
        const SaveData values{true, lettered(2),       KivvoCharacter::vidovu, CustomRockShape{{{0.2, 0.3}}},
                              true, RockColor::orange, RockExpression::smile,  false,
                              0.75};
        AppState store(path(), values);
        QCOMPARE(store.saveData(), values);
        QVERIFY(!QFile::exists(path()));
        store.setIsIdleRockEnabled(true);
        QCOMPARE(AppState(path()).wishes(), values.wishes);
    }

    // Preview stores save into the shared temporary folder, where anyone can plant a name first.
    void previewStoreWritesOnlyItsOwnPlainFile_data()
    {
        QTest::addColumn<QString>("planted");
        QTest::addColumn<bool>("written");
        QTest::newRow("nothing there") << "none" << true;
        QTest::newRow("its own earlier file") << "own" << true;
        QTest::newRow("a symlink to a victim's file") << "link" << false;
        QTest::newRow("a dangling symlink") << "dangling" << false;
        QTest::newRow("another user's file") << "foreign" << false;
    }
    void previewStoreWritesOnlyItsOwnPlainFile()
    {
        QFETCH(QString, planted);
        QFETCH(bool, written);
        const QString victim = m_dir.filePath("victim.txt");
        const QString preview = m_dir.filePath("kivvo-preview.json");
        QFile victimFile(victim);
        QVERIFY(victimFile.open(QIODevice::WriteOnly));
        victimFile.write("precious");
        victimFile.close();
        if (planted == "own" || planted == "foreign") {
            QFile own(preview);
            QVERIFY(own.open(QIODevice::WriteOnly));
            own.close();
        }
        if (planted == "foreign") {
            if (geteuid() != 0)
                QSKIP("only root can hand a file to another user");
            QCOMPARE(::chown(QFile::encodeName(preview).constData(), 65534, 65534), 0);
        }
        if (planted == "link")
            QVERIFY(QFile::link(victim, preview));
        if (planted == "dangling")
            QVERIFY(QFile::link(m_dir.filePath("made-by-us.json"), preview));

        AppState store(preview, SaveData{});
        QSignalSpy saved(&store, &AppState::saved);
        store.setRockColor(RockColor::pink);
        QCOMPARE(saved.count(), 1);
        QCOMPARE(saved.first().first().toBool(), written);
        QCOMPARE(store.rockColor(), RockColor::pink); // the change lives on in memory either way
        QVERIFY(victimFile.open(QIODevice::ReadOnly));
        QCOMPARE(victimFile.readAll(), QByteArray("precious"));
        QVERIFY(!QFile::exists(m_dir.filePath("made-by-us.json")));
        if (written)
            QCOMPARE(AppState(preview).rockColor(), RockColor::pink);
    }

    void nonFiniteNumbersAreRefused_data()
    {
        QTest::addColumn<double>("number");
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
        QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity();
    }
    void nonFiniteNumbersAreRefused()
    {
        QFETCH(double, number);
        AppState store(path());
        store.addWish(u"keep me"_s);
        store.setIdleRockScale(1.25);
        const QByteArray before = readAll(path());
        QSignalSpy changes(&store, &AppState::willChange);
        QSignalSpy saves(&store, &AppState::saved);
        // The setter refuses it: had it been taken, no later save could ever succeed.
        store.setIdleRockScale(number);
        QCOMPARE(store.idleRockScale(), 1.25);
        QCOMPARE(changes.count(), 0);
        QCOMPARE(saves.count(), 0);
        store.addWish(u"still saved"_s);
        QCOMPARE(saves.count(), 1);
        QVERIFY(saves.first().first().toBool());
        // A wish carrying such a number (from code, not the user) is refused by the writer instead.
        QList<Wish> wishes = store.wishes();
        wishes.first().seed = number;
        const QByteArray good = readAll(path());
        store.setWishes(wishes);
        QVERIFY(!saves.last().first().toBool());
        QVERIFY(store.isSaveFailing());
        QCOMPARE(readAll(path()), good);
        QVERIFY(before != good);
    }

    void failedWritesKeepThePreviousFile_data()
    {
        QTest::addColumn<bool>("fullDisk"); // else a read-only folder
        QTest::newRow("full disk") << true;
        QTest::newRow("read-only folder") << false;
    }
    void failedWritesKeepThePreviousFile()
    {
        QFETCH(bool, fullDisk);
        if (!fullDisk && geteuid() == 0)
            QSKIP("root writes into read-only folders");
        AppState store(path());
        store.addWish(u"first"_s);
        const QByteArray before = readAll(path());
        QSignalSpy saves(&store, &AppState::saved);
        {
            std::optional<FileSizeLimit> limit;
            if (fullDisk) // nothing beyond the current size can be written
                limit.emplace(before.size());
            else
                QFile::setPermissions(path(u"Kivvo"_s), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            store.addWish(u"second, a much longer wish than the first"_s);
            QFile::setPermissions(path(u"Kivvo"_s),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        }
        QCOMPARE(saves.takeFirst().first().toBool(), false);
        QCOMPARE(readAll(path()), before);
        QCOMPARE(store.wishes().size(), 2);
        QCOMPARE(QDir(path(u"Kivvo"_s)).entryList(QDir::Files), QStringList{u"data.json"_s});
        store.setHasOnboarded(true); // the next change tries again
        QCOMPARE(saves.takeFirst().first().toBool(), true);
        QCOMPARE(AppState(path()).wishes().size(), 2);
    }

    void unwritableFolder()
    {
        // A path below a plain file cannot be written even by root.
        writeAll(path(u"plain"_s), "x");
        AppState store(path(u"plain/Kivvo/data.json"_s));
        QSignalSpy saves(&store, &AppState::saved);
        QCOMPARE(store.addWish(u"still here"_s)->text, u"still here"_s);
        QCOMPARE(saves.takeFirst().first().toBool(), false);
        QCOMPARE(store.wishes().size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestAppState)
#include "tst_appstate.moc"
