#include "PreviewSwitches.h"

#include <QtGlobal>

#include <cmath>
#include <numbers>

namespace {

bool switchedOn(const char *name)
{
    return qEnvironmentVariableIsSet(name) && qEnvironmentVariable(name) == QLatin1String("1");
}

} // namespace

namespace RenderPreview {

CustomRockShape sampleShape()
{
    QList<QPointF> stroke;
    for (int i = 0; i < 48; ++i) {
        const double t = 2 * std::numbers::pi * i / 48;
        const double r = 1 + 0.12 * std::sin(3 * t + 0.6) + 0.05 * std::sin(7 * t);
        stroke.append(QPointF(100 + 78 * r * std::cos(t), 100 + 66 * r * std::sin(t)));
    }
    const RockDrawing drawing = CustomRockShape::read(stroke, QSizeF(200, 200));
    return drawing.kind == RockDrawing::Kind::rock ? drawing.shape : CustomRockShape{};
}

std::optional<CustomRockShape> previewDraft()
{
    if (!switchedOn("KIVVO_DRAWN"))
        return std::nullopt;
    return sampleShape();
}

bool previewBlankCanvas()
{
    return switchedOn("KIVVO_BLANK");
}

} // namespace RenderPreview
