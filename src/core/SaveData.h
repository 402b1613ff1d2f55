#pragma once

#include "CustomRockShape.h"
#include "KivvoCharacter.h"
#include "RockColor.h"
#include "RockExpression.h"
#include "Wish.h"

#include <QByteArray>
#include <QList>

#include <optional>

class WishJsonCache;

/// The saved fields of the store: the top-level save document.
struct SaveData {
    bool hasOnboarded = false;
    QList<Wish> wishes;
    KivvoCharacter selectedCharacter = KivvoCharacter::vidovu;
    std::optional<CustomRockShape> customRockShape;
    bool usesCustomRock = false;
    RockColor rockColor = RockColor::original;
    RockExpression rockExpression = RockExpression::none;
    bool isIdleRockEnabled = true;
    double idleRockScale = 1.0;

    bool operator==(const SaveData &) const = default;

    /// The size setting's range; stored values are clamped into it on reading.
    static constexpr double minimumScale = 0.5;
    static constexpr double maximumScale = 1.5;

    /// The compact document, or nothing when a value cannot be written (a non-finite number).
    /// With a cache, wishes encoded before are not encoded again.
    std::optional<QByteArray> encode(WishJsonCache *cache = nullptr) const;
    /// Reads a document with the lenient top-level rules and the strict record rules; nothing when
    /// the document as a whole is unreadable.
    static std::optional<SaveData> decode(const QByteArray &bytes);
};
