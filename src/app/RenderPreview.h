#pragma once

#include "CustomRockShape.h"
#include "PreviewSwitches.h"
#include "Wish.h"

#include <QList>
#include <QPointF>
#include <QString>

/// The developer tool that renders the program's looks with fixed sample data into PNG files.
namespace RenderPreview {

/// One recognised sample stroke of the drawn-shapes sheet.
struct SampleDrawing {
    QList<QPointF> stroke; ///< canvas points on a 224 x 224 canvas
    RockDrawing result;
};

/// Five sample wishes, or KIVVO_WISHES of them when that holds a whole number of at least 1.
QList<Wish> sampleWishes();
/// Five wobbly sample strokes, each with its recognition on a 224 x 224 canvas.
QList<SampleDrawing> sampleDrawings();

/// A named sheet and its size in points.
struct Sheet {
    QString name;
    QSizeF size;
};
/// The sheets render mode writes, in order.
QList<Sheet> renderSheets();
/// Paints the named sheet at the given pixel ratio; a null image for an unknown name.
QImage renderSheet(const QString &name, qreal devicePixelRatio = 2);
/// Writes every sheet as FOLDER/name.png at scale 2; write errors are ignored. Returns how many
/// files were written.
int renderAll(const QString &folder);

} // namespace RenderPreview
