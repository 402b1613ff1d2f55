#include "JsonWriter.h"
#include "RecordJson.h"
#include "SaveData.h"
#include "WishJsonCache.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray encoded(const Wish &wish)
{
    JsonWriter out;
    RecordJson::write(out, wish);
    return out.ok() ? out.take() : QByteArray();
}

std::optional<Wish> decoded(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return std::nullopt;
    return RecordJson::readWish(document.object());
}

Wish drawnWish()
{
    CustomRockShape shape{{{0.1, 0.2}, {0.9, 0.25}, {0.5, 0.95}}};
    RockAppearance rock{KivvoCharacter::vidovu, RockColor::pink, RockExpression::scary, shape};
    QList<DrawingStroke> strokes{DrawingStroke{}, DrawingStroke{{{1.5, 2.25}, {3, -4}}}};
    return Wish{QUuid::createUuid(), u"그림 소원"_s, 786543210.987654, strokes, 0.1 + 0.2, rock};
}

template <typename E> QStringList names()
{
    QStringList names;
    for (E value : allCases<E>())
        names << rawValue(value);
    return names;
}

const char *validWish =
    R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","text":"t","createdAt":1,"seed":0.5})";

} // namespace

class TestRecords : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<Wish>("wish");
        QTest::newRow("drawn, custom shape, empty stroke") << drawnWish();
        QTest::newRow("written, no rock")
            << Wish{QUuid::createUuid(), u"따옴표 \" \\ /\n\t\x01 끝"_s, -12.5, std::nullopt, 0.999999999999,
                    std::nullopt};
        QTest::newRow("extreme numbers")
            << Wish{QUuid::createUuid(), u""_s, 1e300, std::nullopt, 5e-324, RockAppearance{}};
    }
    void roundTrip()
    {
        QFETCH(Wish, wish);
        const std::optional<Wish> back = decoded(encoded(wish));
        QVERIFY(back);
        QCOMPARE(*back, wish);
    }

    void writtenKeysInOrder()
    {
        Wish written{
            QUuid("{e621e1f8-c36c-495a-93fc-0c247a3e6e5f}"), u"a"_s, 2, std::nullopt, 0.25, RockAppearance{}};
        QCOMPARE(encoded(written),
                 R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","text":"a","createdAt":2,"seed":0.25,)"
                 R"("rock":{"character":"vidovu","color":"original","expression":"none"}})");
        written.rock.reset();
        written.drawingStrokes = QList<DrawingStroke>{};
        QCOMPARE(
            encoded(written),
            R"({"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","text":"a","createdAt":2,"drawingStrokes":[],)"
            R"("seed":0.25})");
    }

    void nonFiniteNumbersAreRefused_data()
    {
        QTest::addColumn<double>("number");
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("+inf") << std::numeric_limits<double>::infinity();
        QTest::newRow("-inf") << -std::numeric_limits<double>::infinity();
    }
    void nonFiniteNumbersAreRefused()
    {
        QFETCH(double, number);
        Wish seedWish = drawnWish();
        seedWish.seed = number;
        QVERIFY(encoded(seedWish).isEmpty());
        Wish pointWish = drawnWish();
        (*pointWish.drawingStrokes)[1].points[0].y = number;
        QVERIFY(encoded(pointWish).isEmpty());
    }

    void strictReading_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("readable");
        const QByteArray valid(validWish);
        const auto with = [](const QByteArray &keys) {
            return QByteArray(validWish).replace("}", "," + keys + "}");
        };
        const QByteArray rock = R"("rock":{"character":"vidovu","color":"red","expression":"smile")";
        QTest::newRow("minimal") << valid << true;
        QTest::newRow("lower-case id") << QByteArray(valid).replace("E621E1F8", "e621e1f8") << true;
        QTest::newRow("braced id") << QByteArray(valid).replace("E621E1F8-C36C-495A-93FC-0C247A3E6E5F",
                                                                "{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}")
                                   << false;
        QTest::newRow("hyphen moved id") << QByteArray(valid).replace("E621E1F8-C", "E621E1F-8C") << false;
        QTest::newRow("id not hex") << QByteArray(valid).replace("E621E1F8", "G621E1F8") << false;
        QTest::newRow("id too short") << QByteArray(valid).replace("6E5F", "6E5") << false;
        QTest::newRow("missing text") << QByteArray(valid).replace("\"text\":\"t\",", "") << false;
        QTest::newRow("null text") << QByteArray(valid).replace("\"t\"", "null") << false;
        QTest::newRow("text as number") << QByteArray(valid).replace("\"t\"", "3") << false;
        QTest::newRow("seed as string") << QByteArray(valid).replace("0.5", "\"0.5\"") << false;
        QTest::newRow("missing createdAt") << QByteArray(valid).replace("\"createdAt\":1,", "") << false;
        QTest::newRow("null rock is absent") << with(R"("rock":null)") << true;
        QTest::newRow("null strokes are absent") << with(R"("drawingStrokes":null)") << true;
        QTest::newRow("good rock") << with(rock + "}") << true;
        QTest::newRow("unknown colour") << with(rock + "}").replace("red", "teal") << false;
        QTest::newRow("unknown character") << with(rock + "}").replace("vidovu", "other") << false;
        QTest::newRow("null custom shape is absent") << with(rock + R"(,"customShape":null})") << true;
        QTest::newRow("bad point in shape")
            << with(rock + R"(,"customShape":{"points":[{"x":1}]}})") << false;
        QTest::newRow("stroke point y null")
            << with(R"("drawingStrokes":[{"points":[{"x":1,"y":null}]}])") << false;
        QTest::newRow("stroke without points") << with(R"("drawingStrokes":[{}])") << false;
        QTest::newRow("strokes not an array") << with(R"("drawingStrokes":{"points":[]})") << false;
    }
    void strictReading()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, readable);
        QCOMPARE(decoded(json).has_value(), readable);
    }

    void datesKeepTheirNumber()
    {
        const std::optional<Wish> wish =
            decoded(QByteArray(validWish).replace("\"createdAt\":1", "\"createdAt\":786000000.123456789"));
        QVERIFY(wish);
        // Written back in the shortest form that reads as the same number.
        QVERIFY(encoded(*wish).contains("\"createdAt\":786000000.1234568,"));
    }

    void datesOfStoredNumbers_data()
    {
        QTest::addColumn<double>("createdAt");
        QTest::addColumn<QDateTime>("date"); // invalid: no date
        const QDateTime none;
        QTest::newRow("the reference day") << 0.0 << QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
        QTest::newRow("half a second")
            << 86400.5 << QDateTime(QDate(2001, 1, 2), QTime(0, 0, 0, 500), Qt::UTC);
        QTest::newRow("last second of 9999")
            << 252423993599.0 << QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59), Qt::UTC);
        QTest::newRow("year 10000") << 252423993600.0 << none;
        QTest::newRow("first second of year 1")
            << -63113904000.0 << QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC);
        QTest::newRow("before year 1") << -63113904001.0 << none;
        QTest::newRow("huge") << 1e300 << none;
        QTest::newRow("huge negative") << -1e300 << none;
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << none;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << none;
    }

    void datesOfStoredNumbers()
    {
        QFETCH(double, createdAt);
        QFETCH(QDateTime, date);
        const std::optional<QDateTime> converted = Wish::dateOf(createdAt);
        QCOMPARE(converted.has_value(), date.isValid());
        if (date.isValid())
            QCOMPARE(*converted, date);
    }

    void seedsForDrawingStayInRange_data()
    {
        QTest::addColumn<double>("stored");
        QTest::addColumn<double>("drawn");
        QTest::newRow("inside") << 0.37 << 0.37;
        QTest::newRow("zero") << 0.0 << 0.0;
        QTest::newRow("one") << 1.0 << std::nextafter(1.0, 0.0);
        QTest::newRow("far above") << 1e300 << std::nextafter(1.0, 0.0);
        QTest::newRow("negative") << -3.0 << 0.0;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0.0;
    }

    void seedsForDrawingStayInRange()
    {
        QFETCH(double, stored);
        QFETCH(double, drawn);
        Wish wish;
        wish.seed = stored;
        QCOMPARE(wish.drawingSeed(), drawn);
    }

    void cachedEncodingMatchesFreshEncoding()
    {
        SaveData data;
        data.wishes = {drawnWish(), drawnWish(), drawnWish()};
        WishJsonCache cache;
        QCOMPARE(data.encode(&cache), data.encode());
        // Same ids, changed contents: the cache must not serve the old JSON.
        data.wishes[0].text = u"바뀐 소원"_s;
        (*data.wishes[1].drawingStrokes)[1].points[0].x = 99;
        data.wishes[2].rock.reset();
        data.wishes.move(0, 2);
        QCOMPARE(data.encode(&cache), data.encode());
        data.wishes[1].seed = std::numeric_limits<double>::quiet_NaN();
        QCOMPARE(data.encode(&cache), std::nullopt);
        for (int i = 0; i < 40; ++i)
            data.wishes.append(drawnWish());
        data.encode(&cache);
        data.wishes = data.wishes.mid(2, 3); // most remembered wishes are gone: the cache forgets them
        QCOMPARE(data.encode(&cache), data.encode());
        QVERIFY(cache.size() <= 2 * data.wishes.size() + 16);
    }

    void casesInListingOrder()
    {
        QCOMPARE(names<RockColor>(),
                 QStringList({"original", "black", "red", "orange", "yellow", "green", "blue", "pink"}));
        QCOMPARE(names<RockExpression>(), QStringList({"none", "smile", "scary"}));
        QCOMPARE(enumFromRaw<RockColor>(u"Pink"), std::nullopt);
        QCOMPARE(enumFromRaw<RockColor>(u"pink"), RockColor::pink);
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
