#pragma once

#include <QImage>
#include <QRectF>
#include <QSizeF>

class QPainter;

/// Placing artwork in the square a rock occupies: every layer shares one frame, so fitting each layer
/// the same way keeps eyes and mouth on the body.
namespace ImageFit {

/// The largest rectangle of `content`'s proportions inside `bounds`, centred; empty for empty content.
QRectF fitted(const QSizeF &content, const QRectF &bounds);
/// The largest square inside `bounds`, centred.
QRectF square(const QRectF &bounds);
/// Draws the whole image fitted into `bounds` with smooth scaling; a null image draws nothing.
void draw(QPainter &painter, const QImage &image, const QRectF &bounds);

} // namespace ImageFit
