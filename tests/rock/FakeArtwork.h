#pragma once

#include "RockAsset.h"

#include <QColor>
#include <QHash>
#include <QImage>

/// Stands in for the artwork files: loads by name find `images` and nothing else.
struct FakeArtwork {
    QHash<QString, QImage> images;

    /// Empties `images` and every cache, and sends loads here.
    void install()
    {
        images.clear();
        RockAsset::resetForTesting();
        RockAsset::setArtworkSource([this](const QString &name) -> std::optional<QImage> {
            return images.contains(name) ? std::optional(images.value(name)) : std::nullopt;
        });
    }

    /// Back to the real files, with empty caches.
    static void uninstall()
    {
        RockAsset::setArtworkSource({});
        RockAsset::resetForTesting();
    }
};

/// A `width` x `height` image of one colour.
inline QImage filled(int width, int height, const QColor &color)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

/// Whether every channel, alpha included, is within `tolerance`.
inline bool sameColour(const QColor &actual, const QColor &expected, int tolerance = 2)
{
    return qAbs(actual.red() - expected.red()) <= tolerance &&
           qAbs(actual.green() - expected.green()) <= tolerance &&
           qAbs(actual.blue() - expected.blue()) <= tolerance &&
           qAbs(actual.alpha() - expected.alpha()) <= tolerance;
}
