#pragma once

#include "RockAppearance.h"

#include <QColor>
#include <QHash>
#include <QImage>
#include <QRect>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <functional>
#include <optional>

/// The rock artwork and every bitmap derived from it.
///
/// Sizes: an image's size in points is its pixel size divided by its devicePixelRatio
/// (`QImage::deviceIndependentSize()`). Artwork is loaded at one pixel per point. The working bitmap
/// (`rgbaBitmap`) is always one pixel per point. Derived images keep the point size of their source.
///
/// "Nothing" is an empty optional; an optional that holds an image never holds a null one.
/// Everything here runs on the main thread only: the cache is unlocked.
namespace RockAsset {

/// The artwork of that base name, from the compiled-in resources or else the source tree.
std::optional<QImage> load(const QString &name);
/// The artwork of that base name through the process-wide cache; failed loads are not remembered.
std::optional<QImage> cached(const QString &name);
/// The faceless rock body in a colour, recoloured from the own-colour body; a null image at worst.
QImage bodyImage(RockColor color);
/// The mouth for an expression; on a black rock white with a black outline. Nothing for `none`.
std::optional<QImage> mouthImage(RockExpression expression, RockColor color);
/// The 22 x 22 point tray icon (44 x 44 pixels at devicePixelRatio 2) for an appearance.
QImage menuBarIcon(const RockAppearance &appearance);
/// Whether the tray icon of an appearance has to be rendered from the rock rather than taken from artwork.
bool needsRenderedMenuBarIcon(const RockAppearance &appearance);
/// The visible part of an image scaled to fit a 22 x 22 point icon at the given pixel ratio.
QImage makeMenuBarIcon(const QImage &image, qreal devicePixelRatio = 2);
/// Where a source rectangle of that size lands in the 22 x 22 point icon (points).
QRectF menuBarIconTarget(const QSizeF &source);
/// Bounding box (points) of the pixels with alpha >= 11, origin bottom left and y growing upwards.
std::optional<QRect> visibleRect(const QImage &image);
/// The same box with the origin top left as QPainter expects; the height is the image's in points.
QRect topLeftRect(const QRect &bottomLeftRect, int imageHeight);
/// Dark-on-light line art as a white mask whose opacity is the darkness times the coverage.
QImage lineArt(const QImage &image);
/// The image drawn into a working bitmap (RGBA8888 premultiplied, one pixel per point).
std::optional<QImage> rgbaBitmap(const QImage &image);
/// The most frequent fully opaque colour among every 4th pixel of every 4th row of a working bitmap.
std::optional<QColor> fillColor(const QImage &bitmap);
/// The image with its fill colour moved to `color`, shading kept (measured in the red channel).
std::optional<QImage> recolored(const QImage &image, const QColor &color);
/// A flat `fill` silhouette of the image ringed by a `stroke` band of width x 0.011 points.
QImage outlined(const QImage &image, const QColor &fill, const QColor &stroke);
/// The eyes alone ("vidovu-eye"), loaded once and kept; a null image when missing.
const QImage &vidovuEyeImage();
/// The drawing canvas's tracing guide: the line art of "vidovu-v2-line", loaded once and kept.
const QImage &outlineHintImage();
/// Every image cached so far by name.
const QHash<QString, QImage> &cache();

/// Where artwork comes from when loaded by name: returns nothing when it cannot be had.
using ArtworkSource = std::function<std::optional<QImage>(const QString &name)>;
/// Test seam: replaces the artwork files with `source` (an empty function restores the files).
void setArtworkSource(ArtworkSource source);
/// Test seam: how many times `load` was asked for that name.
int loadCount(const QString &name);
/// Test seam: forgets the cache, both kept images and the load counts.
void resetForTesting();

} // namespace RockAsset
