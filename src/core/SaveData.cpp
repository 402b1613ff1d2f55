#include "SaveData.h"

#include "JsonWriter.h"
#include "RecordJson.h"
#include "WishJsonCache.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

std::optional<QByteArray> SaveData::encode(WishJsonCache *cache) const
{
    JsonWriter out(cache ? cache->lastDocumentSize() + 4096 : 4096);
    out.beginObject();
    out.key("hasOnboarded"_L1);
    out.value(hasOnboarded);
    out.key("wishes"_L1);
    out.beginArray();
    for (const Wish &wish : wishes) {
        if (cache)
            out.raw(cache->json(wish));
        else
            RecordJson::write(out, wish);
    }
    out.endArray();
    if (cache)
        cache->prune(wishes);
    // There is one character; the file always names it.
    out.key("selectedCharacter"_L1);
    out.value(rawValue(KivvoCharacter::vidovu));
    if (customRockShape) {
        out.key("customRockShape"_L1);
        RecordJson::write(out, *customRockShape);
    }
    out.key("usesCustomRock"_L1);
    out.value(usesCustomRock);
    out.key("rockColor"_L1);
    out.value(rawValue(rockColor));
    out.key("rockExpression"_L1);
    out.value(rawValue(rockExpression));
    out.key("isIdleRockEnabled"_L1);
    out.value(isIdleRockEnabled);
    out.key("idleRockScale"_L1);
    out.value(idleRockScale);
    out.endObject();
    if (!out.ok())
        return std::nullopt;
    if (cache)
        cache->setLastDocumentSize(out.size());
    return out.take();
}

namespace {

bool isAbsent(const QJsonValue &value)
{
    return value.isUndefined() || value.isNull();
}

/// An optional boolean: the stored value when it is one, else the fallback.
bool flag(const QJsonObject &root, QLatin1StringView key, bool fallback)
{
    const QJsonValue value = root.value(key);
    return value.isBool() ? value.toBool() : fallback;
}

} // namespace

std::optional<SaveData> SaveData::decode(const QByteArray &bytes)
{
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject root = document.object();
    const QJsonValue onboarded = root.value("hasOnboarded"_L1);
    std::optional<QList<Wish>> wishes = RecordJson::readWishes(root.value("wishes"_L1));
    if (!onboarded.isBool() || !wishes)
        return std::nullopt;

    SaveData data;
    data.hasOnboarded = onboarded.toBool();
    data.wishes = std::move(*wishes);
    const QJsonValue shape = root.value("customRockShape"_L1);
    if (!isAbsent(shape)) {
        data.customRockShape = RecordJson::readShape(shape);
        if (!data.customRockShape)
            return std::nullopt;
    }
    data.usesCustomRock = flag(root, "usesCustomRock"_L1, data.customRockShape.has_value());
    data.rockColor =
        enumFromRaw<RockColor>(root.value("rockColor"_L1).toString()).value_or(RockColor::original);
    data.rockExpression = enumFromRaw<RockExpression>(root.value("rockExpression"_L1).toString())
                              .value_or(RockExpression::none);
    data.isIdleRockEnabled = flag(root, "isIdleRockEnabled"_L1, true);
    const QJsonValue scale = root.value("idleRockScale"_L1);
    data.idleRockScale = std::clamp(scale.isDouble() ? scale.toDouble() : 1.0, minimumScale, maximumScale);
    return data;
}
