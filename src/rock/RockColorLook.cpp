#include "RockColorLook.h"

#include "Theme.h"

#include <QPainter>

namespace RockColorLook {

QColor body(RockColor color)
{
    switch (color) {
    case RockColor::original:
        return Theme::rockBody;
    case RockColor::black:
        return QColor(77, 77, 77);
    case RockColor::red:
        return QColor(255, 160, 168);
    case RockColor::orange:
        return QColor(249, 196, 143);
    case RockColor::yellow:
        return QColor(250, 236, 150);
    case RockColor::green:
        return QColor(185, 232, 172);
    case RockColor::blue:
        return QColor(174, 220, 247);
    case RockColor::pink:
        return QColor(251, 198, 216);
    }
    return Theme::rockBody;
}

std::optional<QString> assetName(RockColor color)
{
    if (color == RockColor::original)
        return std::nullopt;
    return rawValue(color);
}

QImage menuSwatch(RockColor color, qreal devicePixelRatio)
{
    constexpr int side = 12;
    const int pixels = qRound(side * devicePixelRatio);
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(devicePixelRatio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(body(color));
    painter.drawEllipse(QRectF(0, 0, side, side));
    return image;
}

} // namespace RockColorLook
