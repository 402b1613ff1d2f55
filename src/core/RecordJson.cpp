#include "RecordJson.h"

#include "JsonWriter.h"

#include <QJsonArray>
#include <QJsonObject>

using namespace Qt::Literals::StringLiterals;

namespace RecordJson {

namespace {

template <typename Item> void writeArray(JsonWriter &out, const QList<Item> &items)
{
    out.beginArray();
    for (const Item &item : items)
        write(out, item);
    out.endArray();
}

/// A required number; integers count as numbers too.
std::optional<double> number(const QJsonObject &object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    if (!value.isDouble())
        return std::nullopt;
    return value.toDouble();
}

std::optional<QString> string(const QJsonObject &object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

template <typename E> std::optional<E> enumeration(const QJsonObject &object, QLatin1StringView key)
{
    const std::optional<QString> text = string(object, key);
    return text ? enumFromRaw<E>(*text) : std::nullopt;
}

bool isAbsent(const QJsonValue &value)
{
    return value.isUndefined() || value.isNull();
}

/// Reads every element with `readItem`; any failure fails the whole list.
template <typename Item, typename Reader>
std::optional<QList<Item>> readArray(const QJsonValue &json, Reader readItem)
{
    if (!json.isArray())
        return std::nullopt;
    const QJsonArray array = json.toArray();
    QList<Item> items;
    items.reserve(array.size());
    for (const QJsonValue &element : array) {
        std::optional<Item> item = readItem(element);
        if (!item)
            return std::nullopt;
        items.append(std::move(*item));
    }
    return items;
}

bool isHex(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

} // namespace

void write(JsonWriter &out, const DrawingPoint &point)
{
    out.beginObject();
    out.key("x"_L1);
    out.value(point.x);
    out.key("y"_L1);
    out.value(point.y);
    out.endObject();
}

void write(JsonWriter &out, const DrawingStroke &stroke)
{
    out.beginObject();
    out.key("points"_L1);
    writeArray(out, stroke.points);
    out.endObject();
}

void write(JsonWriter &out, const CustomRockShape &shape)
{
    out.beginObject();
    out.key("points"_L1);
    writeArray(out, shape.points);
    out.endObject();
}

void write(JsonWriter &out, const RockAppearance &appearance)
{
    out.beginObject();
    out.key("character"_L1);
    out.value(rawValue(appearance.character));
    out.key("color"_L1);
    out.value(rawValue(appearance.color));
    out.key("expression"_L1);
    out.value(rawValue(appearance.expression));
    if (appearance.customShape) {
        out.key("customShape"_L1);
        write(out, *appearance.customShape);
    }
    out.endObject();
}

void write(JsonWriter &out, const Wish &wish)
{
    out.beginObject();
    out.key("id"_L1);
    out.value(uuidText(wish.id));
    out.key("text"_L1);
    out.value(wish.text);
    out.key("createdAt"_L1);
    out.value(wish.createdAt);
    if (wish.drawingStrokes) {
        out.key("drawingStrokes"_L1);
        writeArray(out, *wish.drawingStrokes);
    }
    out.key("seed"_L1);
    out.value(wish.seed);
    if (wish.rock) {
        out.key("rock"_L1);
        write(out, *wish.rock);
    }
    out.endObject();
}

std::optional<DrawingPoint> readPoint(const QJsonValue &json)
{
    const QJsonObject object = json.toObject();
    const std::optional<double> x = number(object, "x"_L1);
    const std::optional<double> y = number(object, "y"_L1);
    if (!json.isObject() || !x || !y)
        return std::nullopt;
    return DrawingPoint{*x, *y};
}

std::optional<DrawingStroke> readStroke(const QJsonValue &json)
{
    std::optional<QList<DrawingPoint>> points = readArray<DrawingPoint>(json["points"_L1], readPoint);
    if (!json.isObject() || !points)
        return std::nullopt;
    return DrawingStroke{std::move(*points)};
}

std::optional<CustomRockShape> readShape(const QJsonValue &json)
{
    std::optional<QList<DrawingPoint>> points = readArray<DrawingPoint>(json["points"_L1], readPoint);
    if (!json.isObject() || !points)
        return std::nullopt;
    return CustomRockShape{std::move(*points)};
}

std::optional<RockAppearance> readAppearance(const QJsonValue &json)
{
    if (!json.isObject())
        return std::nullopt;
    const QJsonObject object = json.toObject();
    const auto character = enumeration<KivvoCharacter>(object, "character"_L1);
    const auto color = enumeration<RockColor>(object, "color"_L1);
    const auto expression = enumeration<RockExpression>(object, "expression"_L1);
    if (!character || !color || !expression)
        return std::nullopt;
    RockAppearance appearance{*character, *color, *expression, std::nullopt};
    const QJsonValue shape = object.value("customShape"_L1);
    if (!isAbsent(shape)) {
        appearance.customShape = readShape(shape);
        if (!appearance.customShape)
            return std::nullopt;
    }
    return appearance;
}

std::optional<Wish> readWish(const QJsonValue &json)
{
    if (!json.isObject())
        return std::nullopt;
    const QJsonObject object = json.toObject();
    const std::optional<QString> idText = string(object, "id"_L1);
    const std::optional<QUuid> id = idText ? parseUuid(*idText) : std::nullopt;
    const std::optional<QString> text = string(object, "text"_L1);
    const std::optional<double> createdAt = number(object, "createdAt"_L1);
    const std::optional<double> seed = number(object, "seed"_L1);
    if (!id || !text || !createdAt || !seed)
        return std::nullopt;
    Wish wish{*id, *text, *createdAt, std::nullopt, *seed, std::nullopt};
    const QJsonValue strokes = object.value("drawingStrokes"_L1);
    if (!isAbsent(strokes)) {
        wish.drawingStrokes = readArray<DrawingStroke>(strokes, readStroke);
        if (!wish.drawingStrokes)
            return std::nullopt;
    }
    const QJsonValue rock = object.value("rock"_L1);
    if (!isAbsent(rock)) {
        wish.rock = readAppearance(rock);
        if (!wish.rock)
            return std::nullopt;
    }
    return wish;
}

std::optional<QList<Wish>> readWishes(const QJsonValue &json)
{
    return readArray<Wish>(json, readWish);
}

QString uuidText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> parseUuid(QStringView text)
{
    if (text.size() != 36)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool hyphenPlace = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphenPlace ? text[i] != u'-' : !isHex(text[i]))
            return std::nullopt;
    }
    return QUuid::fromString(text);
}

} // namespace RecordJson
