#include "RockOutlineHint.h"

#include "ImageFit.h"
#include "RockAsset.h"
#include "Theme.h"

#include <QPainter>

namespace {

// How strongly the guide shows: faint enough to draw over without mistaking it for the stroke.
constexpr qreal guideOpacity = 0.3;

// The outline mask filled with soft ink, made once per mask: the mask's alpha is the line's shape.
const QImage &tintedOutline()
{
    static qint64 tintedKey = 0;
    static QImage tinted;
    const QImage &mask = RockAsset::outlineHintImage();
    if (mask.isNull())
        return mask;
    if (tinted.isNull() || tintedKey != mask.cacheKey()) {
        tinted = mask.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&tinted);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(QRectF(QPointF(), tinted.deviceIndependentSize()), Theme::inkSoft);
        tintedKey = mask.cacheKey();
    }
    return tinted;
}

} // namespace

void paintRockOutlineHint(QPainter &painter, const QRectF &bounds)
{
    const QImage &outline = tintedOutline();
    if (outline.isNull())
        return;
    painter.save();
    painter.setOpacity(painter.opacity() * guideOpacity);
    ImageFit::draw(painter, outline, bounds);
    painter.restore();
}

RockOutlineHint::RockOutlineHint(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void RockOutlineHint::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintRockOutlineHint(painter, rect());
}
