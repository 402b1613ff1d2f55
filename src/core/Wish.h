#pragma once

#include "DrawingStroke.h"
#include "RockAppearance.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

/// One thing the user told the rock; one stone of the pile.
struct Wish {
    /// Most characters (as people count them) a written wish takes, and a card shows.
    static constexpr int maxLength = 50;

    /// Identity: lists, selection and deletion find a wish by it. Never changed after creation.
    QUuid id;
    /// The trimmed text of a written wish, or a fixed label for a drawn one.
    QString text;
    /// Seconds since 2001-01-01 00:00 UTC, kept as read so it is written back unchanged.
    double createdAt = 0;
    /// Present exactly for drawn wishes.
    std::optional<QList<DrawingStroke>> drawingStrokes;
    /// Drawn once in [0, 1); the stone's fixed jitter of size, tilt and position. Kept as read, even
    /// outside that range in a hand-edited file; `drawingSeed` is what drawing uses.
    double seed = 0;
    /// The look the rock had when the wish was made; absent in older records.
    std::optional<RockAppearance> rock;

    /// Equality compares every field; use `id` for identity.
    bool operator==(const Wish &) const = default;

    /// The current time in the stored form.
    static double now();
    /// A stored time as a date; none when it lies outside the years 1 to 9999 or is not a number, as
    /// only a hand-edited file can make it.
    static std::optional<QDateTime> dateOf(double createdAt);
    /// The text as a card shows it: its first `maxLength` characters, each of bounded length, then
    /// "…" when it holds more. A damaged file may hold megabytes; only this much is ever laid out.
    QString shownText() const;
    /// The seed within [0, 1), so a hand-edited value can never swing a stone further than a drawn one.
    double drawingSeed() const;
};
