#include "AppState.h"
#include "RecordJson.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <limits>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QJsonObject document(const QString &path)
{
    return QJsonDocument::fromJson(readAll(path)).object();
}

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

    void firstStartUsesDefaultsAndWritesNothing()
    {
        AppState store(path());
        QCOMPARE(store.saveData(), SaveData{});
        QCOMPARE(store.isIdleRockEnabled(), true);
        QCOMPARE(store.idleRockScale(), 1.0);
        QCOMPARE(store.rockColor(), RockColor::original);
        QCOMPARE(store.rockExpression(), RockExpression::none);
        QVERIFY(QFileInfo(path(u"Kivvo"_s)).isDir());
        QVERIFY(!QFile::exists(path()));
    }

    void normalCreationUsesTheDataFolder()
    {
        qputenv("XDG_DATA_HOME", m_dir.filePath(u"share"_s).toUtf8());
        AppState store;
        QCOMPARE(store.fileURL(), m_dir.filePath(u"share/Kivvo/data.json"_s));
        QCOMPARE(QFileInfo(m_dir.filePath(u"share/Kivvo"_s)).permissions() & 0x0077,
                 QFileDevice::Permissions());
        QVERIFY(QFileInfo(m_dir.filePath(u"share/Kivvo"_s)).permissions().testFlag(QFileDevice::ExeOwner));
        store.setHasOnboarded(true);
        QVERIFY(QFile::exists(store.fileURL()));
        qunsetenv("XDG_DATA_HOME");
    }

    void filesArePrivate()
    {
        QDir().mkpath(path(u"Kivvo"_s));
        writeAll(path(), R"({"hasOnboarded":false,"wishes":[]})");
        QFile::setPermissions(path(), QFileDevice::Permissions(0x6644)); // rw-r--r--
        AppState store(path());
        store.setRockColor(RockColor::blue);
        QCOMPARE(QFileInfo(path()).permissions(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ReadUser | QFileDevice::WriteUser);
        AppState fresh(path(u"new/Kivvo/data.json"_s));
        fresh.setRockColor(RockColor::blue);
        const auto folder = QFileInfo(path(u"new/Kivvo"_s)).permissions();
        QVERIFY(folder.testFlag(QFileDevice::ExeOwner));
        QVERIFY(!(folder & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::ExeOther)));
        const auto file = QFileInfo(path(u"new/Kivvo/data.json"_s)).permissions();
        QVERIFY(!(file & (QFileDevice::ReadGroup | QFileDevice::ReadOther)));
    }

    void addWish_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored"); // empty: nothing is added
        QTest::newRow("empty") << u""_s << u""_s;
        QTest::newRow("spaces and breaks") << u"  \n\t \u3000"_s << u""_s;
        QTest::newRow("word with padding") << u"  소원 \n"_s << u"소원"_s;
        QTest::newRow("inner space kept") << u"\t큰  바위 "_s << u"큰  바위"_s;
    }
    void addWish()
    {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        AppState store(path());
        QSignalSpy saves(&store, &AppState::saved);
        const double before = Wish::now();
        const std::optional<Wish> wish = store.addWish(text);
        QCOMPARE(wish.has_value(), !stored.isEmpty());
        QCOMPARE(saves.size(), stored.isEmpty() ? 0 : 1);
        QCOMPARE(QFile::exists(path()), !stored.isEmpty());
        if (!wish)
            return;
        QCOMPARE(wish->text, stored);
        QVERIFY(!wish->drawingStrokes);
        QVERIFY(wish->seed >= 0 && wish->seed < 1);
        QVERIFY(wish->createdAt >= before - 0.001 && wish->createdAt <= Wish::now() + 0.001);
        QCOMPARE(store.wishes(), QList<Wish>{*wish});
        QCOMPARE(AppState(path()).wishes(), QList<Wish>{*wish});
    }

    void addDrawingWish_data()
    {
        QTest::addColumn<QList<DrawingStroke>>("strokes");
        QTest::addColumn<bool>("added");
        QTest::newRow("no strokes") << QList<DrawingStroke>{} << false;
        QTest::newRow("empty strokes") << QList<DrawingStroke>{{}, {}} << false;
        QTest::newRow("one empty, one drawn") << QList<DrawingStroke>{{}, {{{1, 2}, {3, 4}}}} << true;
    }
    void addDrawingWish()
    {
        QFETCH(QList<DrawingStroke>, strokes);
        QFETCH(bool, added);
        AppState store(path());
        QSignalSpy saves(&store, &AppState::saved);
        const std::optional<Wish> wish = store.addDrawingWish(strokes);
        QCOMPARE(wish.has_value(), added);
        QCOMPARE(saves.size(), added ? 1 : 0);
        if (!added)
            return;
        QCOMPARE(wish->text, u"그림 소원"_s);
        QCOMPARE(wish->drawingStrokes, strokes);
        QCOMPARE(AppState(path()).wishes().first().drawingStrokes, strokes);
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
        QCOMPARE(store.customRockShape(), shape);
    }

    void deleteFollowsTheCollapseRule_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("after");
        QTest::newRow("bottom centre") << 0 << u"FBCDEG"_s;
        QTest::newRow("bottom left") << 1 << u"AGCDEF"_s;
        QTest::newRow("top row, not last") << 5 << u"ABCDEG"_s;
        QTest::newRow("last") << 6 << u"ABCDEF"_s;
    }
    void deleteFollowsTheCollapseRule()
    {
        QFETCH(int, index);
        QFETCH(QString, after);
        const QList<Wish> wishes = lettered(7);
        AppState store(path(), SaveData{true, wishes, {}, {}});
        QSignalSpy saves(&store, &AppState::saved);
        Wish onlyId = wishes[index];
        onlyId.text = u"ignored"_s;
        onlyId.seed = 0.9;
        store.deleteWish(onlyId);
        QCOMPARE(texts(store.wishes()), after);
        QCOMPARE(saves.size(), 1);
        QCOMPARE(texts(AppState(path()).wishes()), after);
    }

    void deleteOfAnUnknownWishChangesNothing()
    {
        AppState store(path(), SaveData{true, lettered(3), {}, {}});
        QSignalSpy saves(&store, &AppState::saved);
        QSignalSpy changes(&store, &AppState::willChange);
        store.deleteWish(lettered(1).first());
        QCOMPARE(texts(store.wishes()), u"ABC"_s);
        QCOMPARE(saves.size(), 0);
        QCOMPARE(changes.size(), 0);
        QVERIFY(!QFile::exists(path()));
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
        QTest::addColumn<QByteArray>("tail"); // keys after hasOnboarded and wishes
        QTest::addColumn<double>("scale");
        QTest::addColumn<bool>("usesCustomRock");
        QTest::addColumn<RockColor>("color");
        QTest::addColumn<RockExpression>("expression");
        QTest::addColumn<bool>("idle");
        const QByteArray shape = R"("customRockShape":{"points":[{"x":0.1,"y":0.2}]})";
        QTest::newRow("nothing optional")
            << QByteArray() << 1.0 << false << RockColor::original << RockExpression::none << true;
        QTest::newRow("scale 3") << QByteArray(R"(,"idleRockScale":3)") << 1.5 << false << RockColor::original
                                 << RockExpression::none << true;
        QTest::newRow("scale 0.2") << QByteArray(R"(,"idleRockScale":0.2)") << 0.5 << false
                                   << RockColor::original << RockExpression::none << true;
        QTest::newRow("scale 0.5") << QByteArray(R"(,"idleRockScale":0.5)") << 0.5 << false
                                   << RockColor::original << RockExpression::none << true;
        QTest::newRow("scale 1.25") << QByteArray(R"(,"idleRockScale":1.25)") << 1.25 << false
                                    << RockColor::original << RockExpression::none << true;
        QTest::newRow("scale null") << QByteArray(R"(,"idleRockScale":null)") << 1.0 << false
                                    << RockColor::original << RockExpression::none << true;
        QTest::newRow("shape without flag")
            << "," + shape << 1.0 << true << RockColor::original << RockExpression::none << true;
        QTest::newRow("shape, flag false") << "," + shape + R"(,"usesCustomRock":false)" << 1.0 << false
                                           << RockColor::original << RockExpression::none << true;
        QTest::newRow("flag without shape") << QByteArray(R"(,"usesCustomRock":true)") << 1.0 << true
                                            << RockColor::original << RockExpression::none << true;
        QTest::newRow("known words") << QByteArray(R"(,"rockColor":"blue","rockExpression":"scary")") << 1.0
                                     << false << RockColor::blue << RockExpression::scary << true;
        QTest::newRow("unknown words")
            << QByteArray(R"(,"rockColor":"teal","rockExpression":"wink","selectedCharacter":"x")") << 1.0
            << false << RockColor::original << RockExpression::none << true;
        QTest::newRow("idle off") << QByteArray(R"(,"isIdleRockEnabled":false)") << 1.0 << false
                                  << RockColor::original << RockExpression::none << false;
    }
    void lenientTopLevel()
    {
        QFETCH(QByteArray, tail);
        QFETCH(double, scale);
        QFETCH(bool, usesCustomRock);
        QFETCH(RockColor, color);
        QFETCH(RockExpression, expression);
        QFETCH(bool, idle);
        QDir().mkpath(path(u"Kivvo"_s));
        const QByteArray bytes = R"({"hasOnboarded":true,"wishes":[)" + goodWish + "]" + tail + "}";
        writeAll(path(), bytes);
        const QDateTime written = QFileInfo(path()).lastModified();
        AppState store(path());
        QCOMPARE(store.hasOnboarded(), true);
        QCOMPARE(store.wishes().size(), 1);
        QCOMPARE(store.idleRockScale(), scale);
        QCOMPARE(store.usesCustomRock(), usesCustomRock);
        QCOMPARE(store.rockColor(), color);
        QCOMPARE(store.rockExpression(), expression);
        QCOMPARE(store.isIdleRockEnabled(), idle);
        QCOMPARE(store.selectedCharacter(), KivvoCharacter::vidovu);
        // Loading never writes, whatever was missing.
        QCOMPARE(readAll(path()), bytes);
        QCOMPARE(QFileInfo(path()).lastModified(), written);
    }

    void unreadableDocuments_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("not json") << QByteArray("{\"hasOnboarded\":tr");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("array") << QByteArray("[]");
        QTest::newRow("no hasOnboarded") << QByteArray(R"({"wishes":[]})");
        QTest::newRow("hasOnboarded mistyped") << QByteArray(R"({"hasOnboarded":1,"wishes":[]})");
        QTest::newRow("no wishes") << QByteArray(R"({"hasOnboarded":true})");
        QTest::newRow("unknown colour in a wish") << QByteArray(
            R"({"hasOnboarded":true,"wishes":[)" + QByteArray(goodWish).replace("red", "teal") + "]}");
        QTest::newRow("broken top-level shape")
            << QByteArray(R"({"hasOnboarded":true,"wishes":[],"customRockShape":{"points":3}})");
    }
    void unreadableDocuments()
    {
        QFETCH(QByteArray, bytes);
        QDir().mkpath(path(u"Kivvo"_s));
        writeAll(path(), bytes);
        AppState store(path());
        QCOMPARE(store.saveData(), SaveData{});
        QCOMPARE(readAll(path()), bytes);
    }

    void unreadableFileIsKeptBeforeTheFirstSave()
    {
        QDir().mkpath(path(u"Kivvo"_s));
        const QByteArray original =
            R"({"hasOnboarded":true,"wishes":[)" + QByteArray(goodWish).replace("red", "violet") + "]}";
        writeAll(path(), original);
        const QRegularExpression copyName(u"^data\\.unreadable-\\d{8}-\\d{6}(-\\d+)?\\.json$"_s);
        QDir folder(path(u"Kivvo"_s));
        const auto copies = [&] {
            QStringList names = folder.entryList({u"data.unreadable-*"_s}, QDir::Files, QDir::Name);
            for (const QString &name : names)
                if (!copyName.match(name).hasMatch())
                    return QStringList{u"bad name: "_s + name};
            return names;
        };

        AppState first(path());
        QVERIFY(copies().isEmpty());
        first.setHasOnboarded(true);
        QCOMPARE(copies().size(), 1);
        QCOMPARE(readAll(folder.filePath(copies().first())), original);
        QCOMPARE(document(path()).value("hasOnboarded"), true);
        first.setRockColor(RockColor::red); // later saves make no more copies
        QCOMPARE(copies().size(), 1);

        // A second unreadable file within the same second must not replace the first copy.
        writeAll(path(), "garbage");
        AppState second(path());
        second.setRockColor(RockColor::pink);
        const QStringList both = copies();
        QCOMPARE(both.size(), 2);
        QList<QByteArray> contents{readAll(folder.filePath(both[0])), readAll(folder.filePath(both[1]))};
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
        connect(&store, &AppState::rockColorChanged, this,
                [&](RockColor) { seenInStore = store.rockColor(); });
        QDir().remove(path());
        store.setRockColor(RockColor::red); // the same value again
        QCOMPARE(willChange.size(), 1);
        QCOMPARE(saves.size(), 1);
        QCOMPARE(seenInStore, RockColor::red);
        QVERIFY(QFile::exists(path()));
        store.setRockColor(RockColor::yellow);
        QCOMPARE(seenInStore, RockColor::red); // the signal came before the field changed
        QCOMPARE(store.rockColor(), RockColor::yellow);
        QCOMPARE(saves.size(), 2);
    }

    void layoutFlagsAreNotSaved()
    {
        AppState store(path());
        QSignalSpy saves(&store, &AppState::saved);
        QSignalSpy tall(&store, &AppState::isPanelTallChanged);
        store.setIsPanelTall(true);
        store.setIsTowerTall(true);
        QCOMPARE(saves.size(), 0);
        QCOMPARE(tall.size(), 1);
        QVERIFY(!QFile::exists(path()));
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
        SaveData values{true, lettered(2),       KivvoCharacter::vidovu, CustomRockShape{{{0.2, 0.3}}},
                        true, RockColor::orange, RockExpression::smile,  false,
                        0.75};
        AppState store(path(u"preview.json"_s), values);
        QCOMPARE(store.saveData(), values);
        QVERIFY(!QFile::exists(path(u"preview.json"_s)));
        store.setIsIdleRockEnabled(true);
        QVERIFY(QFile::exists(path(u"preview.json"_s)));
        QCOMPARE(AppState(path(u"preview.json"_s)).wishes(), values.wishes);
    }

    void nonFiniteValuesAreNotWritten()
    {
        AppState store(path());
        store.addWish(u"keep me"_s);
        const QByteArray before = readAll(path());
        QSignalSpy saves(&store, &AppState::saved);
        store.setIdleRockScale(std::numeric_limits<double>::quiet_NaN());
        QCOMPARE(saves.takeFirst().first().toBool(), false);
        QCOMPARE(readAll(path()), before);
        store.setIdleRockScale(1.0);
        QList<Wish> wishes = store.wishes();
        wishes.first().seed = std::numeric_limits<double>::infinity();
        store.setWishes(wishes);
        QCOMPARE(saves.takeLast().first().toBool(), false);
        QCOMPARE(AppState(path()).wishes().first().text, u"keep me"_s);
    }

    void failedWritesKeepThePreviousFile()
    {
        AppState store(path());
        store.addWish(u"first"_s);
        const QByteArray before = readAll(path());
        QSignalSpy saves(&store, &AppState::saved);
        {
            // A full disk: nothing beyond the current size can be written.
            FileSizeLimit limit(before.size());
            store.addWish(u"second, a much longer wish than the first"_s);
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

    void readOnlyFolder()
    {
        if (geteuid() == 0)
            QSKIP("root writes into read-only folders; the full-disk case covers failed writes");
        AppState store(path());
        store.addWish(u"first"_s);
        const QByteArray before = readAll(path());
        QFile::setPermissions(path(u"Kivvo"_s), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QSignalSpy saves(&store, &AppState::saved);
        store.addWish(u"second"_s);
        QFile::setPermissions(path(u"Kivvo"_s),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(saves.takeFirst().first().toBool(), false);
        QCOMPARE(readAll(path()), before);
        QCOMPARE(store.wishes().size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestAppState)
#include "tst_appstate.moc"
