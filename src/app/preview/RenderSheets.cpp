#include "RenderPreview.h"

#include "PanelMetrics.h"
#include "PreviewStores.h"
#include "RockAsset.h"
#include "RockColorLook.h"
#include "RockImage.h"
#include "Theme.h"
#include "TowerView.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

using namespace Qt::Literals::StringLiterals;

namespace RenderPreview {

namespace {

RockAppearance characterRock(RockColor color, RockExpression expression = RockExpression::none)
{
    return RockAppearance{KivvoCharacter::vidovu, color, expression, std::nullopt};
}

RockAppearance drawnRock(RockColor color, RockExpression expression = RockExpression::none)
{
    return RockAppearance{KivvoCharacter::vidovu, color, expression, sampleShape()};
}

void paintPortrait(QPainter &painter, const QRectF &cell, const RockAppearance &appearance, double inset)
{
    paintRock(painter, cell.adjusted(inset, inset, -inset, -inset), appearance, 0.5, false, true);
}

void paintMenuBarIcon(QPainter &painter, const QSizeF &size)
{
    // A light strip like a menu bar, so the icon is judged on the background it will sit on.
    painter.fillRect(QRectF(QPointF(), size), QColor(236, 236, 236));
    const QImage icon = RockAsset::menuBarIcon(drawnRock(RockColor::original));
    const QSizeF iconSize(22, 22);
    painter.drawImage(QRectF(QPointF((size.width() - 22) / 2, (size.height() - 22) / 2), iconSize), icon);
}

/// Every colour: the ready-made rock above, the drawn sample rock below.
void paintColors(QPainter &painter, const QSizeF &size)
{
    const auto colors = allCases<RockColor>();
    const double side = size.width() / colors.size();
    for (std::size_t i = 0; i < colors.size(); ++i) {
        paintPortrait(painter, QRectF(i * side, 0, side, side), characterRock(colors[i]), 6);
        paintPortrait(painter, QRectF(i * side, side, side, side), drawnRock(colors[i]), 6);
    }
}

/// Every mouth on the rock's own colour and on black (whose mouth is drawn white), ready-made above,
/// drawn below.
void paintExpressions(QPainter &painter, const QSizeF &size)
{
    const auto expressions = allCases<RockExpression>();
    const double side = size.height() / 2;
    int column = 0;
    for (RockColor color : {RockColor::original, RockColor::black}) {
        for (RockExpression expression : expressions) {
            const double x = column++ * side;
            paintPortrait(painter, QRectF(x, 0, side, side), characterRock(color, expression), 4);
            paintPortrait(painter, QRectF(x, side, side, side), drawnRock(color, expression), 4);
        }
    }
}

void paintStroke(QPainter &painter, const QList<QPointF> &stroke)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(stroke));
    QColor line = Theme::inkSoft;
    line.setAlphaF(0.9);
    painter.setPen(QPen(line, 1.5, Qt::DashLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

QString verdictName(RockDrawing::Kind kind)
{
    switch (kind) {
    case RockDrawing::Kind::rock:
        return u"rock"_s;
    case RockDrawing::Kind::tooSmall:
        return u"tooSmall"_s;
    case RockDrawing::Kind::tooTight:
        return u"tooTight"_s;
    }
    return {};
}

/// Each sample stroke in its own canvas, with the rock it became, if any.
void paintDrawnShapes(QPainter &painter, const QSizeF &)
{
    const QList<SampleDrawing> drawings = sampleDrawings();
    for (qsizetype i = 0; i < drawings.size(); ++i) {
        const QRectF cell(i * sampleCanvas, 0, sampleCanvas, sampleCanvas);
        painter.save();
        painter.translate(cell.topLeft());
        painter.setPen(QPen(Theme::inkSoft, 1));
        painter.drawRoundedRect(QRectF(2, 2, sampleCanvas - 4, sampleCanvas - 4), 20, 20);
        if (drawings[i].result.kind == RockDrawing::Kind::rock)
            paintRock(painter, QRectF(0, 0, sampleCanvas, sampleCanvas),
                      RockAppearance{KivvoCharacter::vidovu, RockColor::original, RockExpression::none,
                                     drawings[i].result.shape},
                      0.5, false, true);
        paintStroke(painter, drawings[i].stroke);
        painter.setPen(Theme::inkSoft);
        painter.setFont(Theme::caption());
        painter.drawText(QRectF(14, sampleCanvas - 26, sampleCanvas - 28, 18), Qt::AlignLeft | Qt::AlignVCenter,
                         verdictName(drawings[i].result.kind));
        painter.restore();
    }
}

/// The panel's first screen for a newcomer.
void paintOnboarding(QPainter &painter, const QSizeF &size)
{
    const auto store = PreviewStores::make(PreviewStores::Kind::fresh, {}, {});
    painter.drawImage(QRectF(QPointF(), size), capture(*store, size, painter.device()->devicePixelRatioF()));
}

/// The talk screen on the sample wishes, with the ready-made rock.
void paintTalk(QPainter &painter, const QSizeF &size)
{
    const auto store = PreviewStores::make(PreviewStores::Kind::characterRock, sampleWishes(), sampleShape());
    painter.drawImage(QRectF(QPointF(), size), capture(*store, size, painter.device()->devicePixelRatioF()));
}

/// The tower of the sample wishes with the first one's card open.
void paintTower(QPainter &painter, const QSizeF &size)
{
    const auto store = PreviewStores::make(PreviewStores::Kind::sample, sampleWishes(), sampleShape());
    TowerView tower(store.get());
    const QImage image = captureView(tower, size, painter.device()->devicePixelRatioF(),
                                     [&] { tower.select(store->wishes().first()); });
    painter.drawImage(QRectF(QPointF(), size), image);
}

using SheetPainter = void (*)(QPainter &, const QSizeF &);

struct SheetEntry {
    const char *name;
    QSizeF size;
    SheetPainter paint;
};

const QList<SheetEntry> &sheetEntries()
{
    static const QList<SheetEntry> entries{
        {"01-onboarding-draw", {PanelMetrics::width, PanelMetrics::shortHeight}, paintOnboarding},
        {"02-talk", {PanelMetrics::width, 400}, paintTalk},
        {"03-tower", {PanelMetrics::width, PanelMetrics::shortHeight}, paintTower},
        {"04-menubar-icon", {44, 44}, paintMenuBarIcon},
        {"05-colors", {608, 152}, paintColors},
        {"06-expressions", {552, 184}, paintExpressions},
        {"07-drawn-shapes", {sampleCanvas * 5, sampleCanvas}, paintDrawnShapes},
    };
    return entries;
}

} // namespace

QList<Sheet> renderSheets()
{
    QList<Sheet> sheets;
    for (const SheetEntry &entry : sheetEntries())
        sheets.append({QString::fromLatin1(entry.name), entry.size});
    return sheets;
}

QImage renderSheet(const QString &name, qreal devicePixelRatio)
{
    for (const SheetEntry &entry : sheetEntries()) {
        if (name != QLatin1String(entry.name))
            continue;
        QImage image((entry.size * devicePixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(devicePixelRatio);
        image.fill(Theme::bg);
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        entry.paint(painter, entry.size);
        return image;
    }
    return {};
}

Written renderAll(const QString &folder)
{
    Written written;
    for (const Sheet &sheet : renderSheets())
        savePicture(renderSheet(sheet.name), folder, sheet.name, written);
    return written;
}

} // namespace RenderPreview
