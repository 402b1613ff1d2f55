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
        QCOMPARE(encoded(*back), encoded(wish));
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

    void uuidForms_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("upper") << u"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"_s << true;
        QTest::newRow("lower") << u"e621e1f8-c36c-495a-93fc-0c247a3e6e5f"_s << true;
        QTest::newRow("braces") << u"{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}"_s << false;
        QTest::newRow("no hyphens") << u"E621E1F8C36C495A93FC0C247A3E6E5F"_s << false;
        QTest::newRow("hyphen moved") << u"E621E1F-8C36C-495A-93FC-0C247A3E6E5F"_s << false;
        QTest::newRow("not hex") << u"G621E1F8-C36C-495A-93FC-0C247A3E6E5F"_s << false;
        QTest::newRow("short") << u"E621E1F8-C36C-495A-93FC-0C247A3E6E5"_s << false;
        QTest::newRow("empty") << QString() << false;
    }
    void uuidForms()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        const std::optional<QUuid> id = RecordJson::parseUuid(text);
        QCOMPARE(id.has_value(), accepted);
        if (accepted)
            QCOMPARE(RecordJson::uuidText(*id), text.toUpper());
    }

    void strictReading_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("readable");
        const QByteArray rock = R"("rock":{"character":"vidovu","color":"red","expression":"smile")";
        QTest::newRow("minimal") << QByteArray(validWish) << true;
        QTest::newRow("lower-case id") << QByteArray(validWish).replace("E621E1F8", "e621e1f8") << true;
        QTest::newRow("braced id") << QByteArray(validWish).replace("\"E621E1F8", "\"{E621E1F8") << false;
        QTest::newRow("missing text") << QByteArray(validWish).replace("\"text\":\"t\",", "") << false;
        QTest::newRow("null text") << QByteArray(validWish).replace("\"t\"", "null") << false;
        QTest::newRow("text as number") << QByteArray(validWish).replace("\"t\"", "3") << false;
        QTest::newRow("seed as string") << QByteArray(validWish).replace("0.5", "\"0.5\"") << false;
        QTest::newRow("missing createdAt") << QByteArray(validWish).replace("\"createdAt\":1,", "") << false;
        QTest::newRow("null rock is absent") << QByteArray(validWish).replace("}", ",\"rock\":null}") << true;
        QTest::newRow("null strokes are absent")
            << QByteArray(validWish).replace("}", ",\"drawingStrokes\":null}") << true;
        QTest::newRow("good rock") << QByteArray(validWish).replace("}", "," + rock + "}}") << true;
        QTest::newRow("unknown colour")
            << QByteArray(validWish).replace("}", "," + rock + "}}").replace("red", "teal") << false;
        QTest::newRow("unknown character")
            << QByteArray(validWish).replace("}", "," + rock + "}}").replace("vidovu", "other") << false;
        QTest::newRow("null custom shape is absent")
            << QByteArray(validWish).replace("}", "," + rock + ",\"customShape\":null}}") << true;
        QTest::newRow("bad point in shape")
            << QByteArray(validWish).replace("}", "," + rock + ",\"customShape\":{\"points\":[{\"x\":1}]}}}")
            << false;
        QTest::newRow("stroke point y null")
            << QByteArray(validWish).replace("}",
                                             ",\"drawingStrokes\":[{\"points\":[{\"x\":1,\"y\":null}]}]}")
            << false;
        QTest::newRow("stroke without points")
            << QByteArray(validWish).replace("}", ",\"drawingStrokes\":[{}]}") << false;
        QTest::newRow("strokes not an array")
            << QByteArray(validWish).replace("}", ",\"drawingStrokes\":{\"points\":[]}}") << false;
    }
    void strictReading()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, readable);
        QCOMPARE(decoded(json).has_value(), readable);
    }

    void absentOptionalsStayAbsent()
    {
        const std::optional<Wish> wish = decoded(QByteArray(validWish).replace("}", ",\"rock\":null}"));
        QVERIFY(wish);
        QVERIFY(!wish->rock);
        QVERIFY(!wish->drawingStrokes);
        QCOMPARE(encoded(*wish), QByteArray(validWish));
    }

    void emptyStrokeReadsAndWritesBack()
    {
        const QByteArray json = QByteArray(validWish).replace("}", ",\"drawingStrokes\":[{\"points\":[]}]}");
        const std::optional<Wish> wish = decoded(json);
        QVERIFY(wish);
        QCOMPARE(wish->drawingStrokes->size(), 1);
        QVERIFY(wish->drawingStrokes->first().points.isEmpty());
        QVERIFY(encoded(*wish).contains(R"("drawingStrokes":[{"points":[]}])"));
    }

    void datesKeepTheirNumber()
    {
        const std::optional<Wish> wish =
            decoded(QByteArray(validWish).replace("\"createdAt\":1", "\"createdAt\":786000000.123456789"));
        QVERIFY(wish);
        QCOMPARE(wish->createdAt, 786000000.123456789);
        QVERIFY(encoded(*wish).contains("\"createdAt\":786000000.1234568"));
        QCOMPARE(Wish::dateOf(0), QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC));
        QCOMPARE(Wish::dateOf(86400.5), QDateTime(QDate(2001, 1, 2), QTime(0, 0, 0, 500), Qt::UTC));
    }

    void identityIsNotEquality()
    {
        const Wish a = drawnWish();
        Wish b = a;
        QCOMPARE(a, b);
        b.seed = 0.75;
        QVERIFY(a != b);
        QCOMPARE(a.id, b.id);
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
        QVERIFY(data.encode(&cache) == std::nullopt);
        data.wishes = data.wishes.mid(2, 3);
        QCOMPARE(data.encode(&cache), data.encode());
        QVERIFY(cache.size() <= 2 * data.wishes.size() + 16);
    }

    void casesInListingOrder()
    {
        QStringList colors;
        for (RockColor color : allCases<RockColor>())
            colors << rawValue(color);
        QCOMPARE(colors,
                 QStringList({"original", "black", "red", "orange", "yellow", "green", "blue", "pink"}));
        QStringList expressions;
        for (RockExpression expression : allCases<RockExpression>())
            expressions << rawValue(expression);
        QCOMPARE(expressions, QStringList({"none", "smile", "scary"}));
        QCOMPARE(enumFromRaw<RockColor>(u"Pink"), std::nullopt);
        QCOMPARE(enumFromRaw<RockColor>(u"pink"), RockColor::pink);
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
