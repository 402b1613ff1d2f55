#pragma once

#include "CustomRockShape.h"
#include "DrawingStroke.h"
#include "RockAppearance.h"
#include "Wish.h"

#include <QJsonValue>
#include <QUuid>

#include <optional>

class JsonWriter;

/// The one JSON form of the records. Reading is strict: a required key that is missing, null or of
/// the wrong type, or an unknown enumeration word, fails the record and everything enclosing it.
/// Optional keys are left out when absent; null reads as absent.
namespace RecordJson {

/// Writes a point as {"x","y"}.
void write(JsonWriter &out, const DrawingPoint &point);
/// Writes a stroke as {"points"}.
void write(JsonWriter &out, const DrawingStroke &stroke);
/// Writes a shape as {"points"}.
void write(JsonWriter &out, const CustomRockShape &shape);
/// Writes an appearance as {"character","color","expression"[,"customShape"]}.
void write(JsonWriter &out, const RockAppearance &appearance);
/// Writes a wish as {"id","text","createdAt"[,"drawingStrokes"],"seed"[,"rock"]}.
void write(JsonWriter &out, const Wish &wish);

std::optional<DrawingPoint> readPoint(const QJsonValue &json);
std::optional<DrawingStroke> readStroke(const QJsonValue &json);
std::optional<CustomRockShape> readShape(const QJsonValue &json);
std::optional<RockAppearance> readAppearance(const QJsonValue &json);
std::optional<Wish> readWish(const QJsonValue &json);
/// A JSON array of wishes; fails as a whole if one wish fails.
std::optional<QList<Wish>> readWishes(const QJsonValue &json);

/// The canonical upper-case 36-character form.
QString uuidText(const QUuid &id);
/// Accepts only the 36-character 8-4-4-4-12 form, in either case; braces and other forms fail.
std::optional<QUuid> parseUuid(QStringView text);

} // namespace RecordJson
