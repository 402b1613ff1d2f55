#pragma once

#include <QColor>
#include <QImage>

/// The ready-made rock drawn as a hand-sketched pebble. Every layer is a square image of `side`
/// pixels in one shared frame, so eyes and mouths line up with the body when drawn over it.
namespace PebbleArt {

/// Side of every layer, in pixels.
inline constexpr int side = 512;

/// The faceless body: flat fill in `bodyColor`, shading derived from it, and the ink outline.
QImage body(const QColor &bodyColor);
/// The two eyes alone, transparent elsewhere.
QImage eyes();
/// The body's outline alone, in ink on transparent.
QImage outline();
/// A small gentle smile alone, in ink.
QImage smile();
/// A wobbly, dizzy mouth alone, in ink.
QImage scary();
/// `base` with `layer` drawn over it.
QImage over(const QImage &base, const QImage &layer);

} // namespace PebbleArt
