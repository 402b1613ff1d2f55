#include "PebbleArt.h"

#include "InkStroke.h"
#include "Theme.h"

#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>

#include <cmath>

namespace PebbleArt {

namespace {

// Each element draws from its own fixed seed, so retouching one leaves the others as they were.
constexpr quint32 shapeSeed = 20240517;
constexpr quint32 speckleSeed = 7;

constexpr int outlineSamples = 720;
constexpr qreal outlineWidth = 0.0195;
// Where the pebble's outline runs, in unit coordinates: most of the frame, wider than tall.
const QRectF pebbleBox(0.08, 0.17, 0.84, 0.72);
// Eyes sit well inside the face room (x 0.195..0.759, y 0.391..0.676), the mouth under them.
const QPointF leftEye(0.37, 0.50);
const QPointF rightEye(0.59, 0.50);
constexpr qreal mouthCentreX = 0.48;
const QSizeF eyeRadii(0.027, 0.037);
// Wide enough to stay about a pixel when the rock is shown at a quarter of the artwork's size.
constexpr qreal eyeRimWidth = 0.0095;
const QColor eyeRim(255, 255, 255, 235);

struct Shape {
    QList<QPointF> line; // the outline's centre line, clockwise on screen, one point per sample
    QList<qreal> widths; // the outline's width at each sample
    QPainterPath fill;   // the area inside the centre line
};

qreal angleOf(qsizetype i)
{
    return 2 * M_PI * qreal(i) / outlineSamples;
}

qreal randomPhase(QRandomGenerator &rng)
{
    return rng.generateDouble() * 2 * M_PI;
}

// A superellipse that is rounder on top and flatter below, made lumpy by a few slow waves.
QPointF pebblePoint(qreal t, const qreal phases[4])
{
    static constexpr qreal lumps[4] = {0.022, 0.014, 0.010, 0.006};
    const qreal c = std::cos(t);
    const qreal s = std::sin(t);
    const qreal exponent = s > 0 ? 2.9 : 2.15;
    qreal radius = 1;
    for (int k = 0; k < 4; ++k)
        radius += lumps[k] * std::sin((k + 2) * t + phases[k]);
    const qreal x = std::copysign(std::pow(std::abs(c), 2 / exponent), c) * radius;
    const qreal y = std::copysign(std::pow(std::abs(s), 2 / exponent), s) * radius;
    // The top leans a little to the left, like a pebble settled on its side.
    return {x + 0.04 * y, y};
}

QList<QPointF> fittedInto(const QList<QPointF> &points, const QRectF &box)
{
    const QRectF bounds = QPolygonF(points).boundingRect();
    QList<QPointF> fitted;
    for (const QPointF &p : points)
        fitted << QPointF(box.left() + (p.x() - bounds.left()) / bounds.width() * box.width(),
                          box.top() + (p.y() - bounds.top()) / bounds.height() * box.height());
    return fitted;
}

Shape makeShape()
{
    QRandomGenerator rng(shapeSeed);
    qreal lumpPhases[4];
    for (qreal &phase : lumpPhases)
        phase = randomPhase(rng);
    const qreal wobblePhases[2] = {randomPhase(rng), randomPhase(rng)};
    const qreal widthPhases[2] = {randomPhase(rng), randomPhase(rng)};

    QList<QPointF> raw;
    for (qsizetype i = 0; i < outlineSamples; ++i)
        raw << pebblePoint(angleOf(i), lumpPhases);
    const QList<QPointF> smooth = fittedInto(raw, pebbleBox);

    Shape shape;
    for (qsizetype i = 0; i < outlineSamples; ++i) {
        const qreal t = angleOf(i);
        // A slight tremor of the hand, a pixel or so either way.
        const qreal tremor =
            0.0022 * std::sin(13 * t + wobblePhases[0]) + 0.0014 * std::sin(23 * t + wobblePhases[1]);
        shape.line << smooth[i] + InkStroke::closedNormal(smooth, i) * tremor;
        shape.widths << outlineWidth * (1 + 0.17 * std::sin(2 * t + widthPhases[0]) +
                                        0.08 * std::sin(5 * t + widthPhases[1]));
    }
    shape.fill.addPolygon(QPolygonF(shape.line));
    shape.fill.closeSubpath();
    return shape;
}

const Shape &pebble()
{
    static const Shape shape = makeShape();
    return shape;
}

QImage blankLayer()
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// Painters work in unit coordinates of the frame.
void prepare(QPainter &painter)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(side, side);
    painter.setPen(Qt::NoPen);
}

qsizetype sampleAt(qreal degrees)
{
    return qsizetype(std::lround(degrees / 360 * outlineSamples)) % outlineSamples;
}

// Points along the outline between two angles (degrees, increasing), pulled inwards by `inset`.
QList<QPointF> alongOutline(qreal fromDegrees, qreal toDegrees, qreal inset)
{
    const Shape &shape = pebble();
    QList<QPointF> points;
    for (qreal degrees = fromDegrees; degrees <= toDegrees; degrees += 1) {
        const qsizetype i = sampleAt(degrees);
        points << shape.line[i] + InkStroke::closedNormal(shape.line, i) * inset;
    }
    return points;
}

// The shadow side: a crescent along the bottom right, where the light from the top left misses.
void drawShadow(QPainter &painter, const QColor &shade)
{
    const QPainterPath &fill = pebble().fill;
    painter.fillPath(fill.subtracted(fill.translated(-0.028, -0.05)), shade);
}

// Hand hatching over the edge of the shadow, strokes rising to the right.
void drawHatching(QPainter &painter, const QColor &shade)
{
    static constexpr qreal anchors[] = {14, 24, 33, 42, 52, 62, 72};
    static constexpr qreal lengths[] = {0.045, 0.060, 0.070, 0.072, 0.066, 0.056, 0.044};
    const QPointF direction(0.5, -0.866);
    for (int j = 0; j < 7; ++j) {
        const QPointF anchor = alongOutline(anchors[j], anchors[j], 0.07).first();
        QList<QPointF> points;
        for (int k = 0; k <= 12; ++k) {
            const qreal u = k / 12.0 - 0.5;
            const qreal bow = 0.006 * (1 - 4 * u * u);
            points << anchor + direction * (u * lengths[j]) + QPointF(bow, bow * 0.6);
        }
        InkStroke::drawOpen(painter, points, InkStroke::tapered(points.size(), 0.009, 0.35), shade);
    }
}

// Tell-tale specks of a real stone, kept away from the face and from the rim.
void drawSpeckles(QPainter &painter, const QColor &shade)
{
    QRandomGenerator rng(speckleSeed);
    const QPainterPath &fill = pebble().fill;
    const QRectF face(0.29, 0.41, 0.40, 0.30);
    const QRectF shine(0.08, 0.15, 0.30, 0.22);
    int placed = 0;
    while (placed < 9) {
        const QPointF p(pebbleBox.left() + rng.generateDouble() * pebbleBox.width(),
                        pebbleBox.top() + rng.generateDouble() * pebbleBox.height());
        const qreal margin = 0.06;
        const bool inside = fill.contains(p + QPointF(margin, 0)) && fill.contains(p - QPointF(margin, 0)) &&
                            fill.contains(p + QPointF(0, margin)) && fill.contains(p - QPointF(0, margin));
        if (!inside || face.contains(p) || shine.contains(p))
            continue;
        const qreal radius = 0.004 + rng.generateDouble() * 0.004;
        painter.setBrush(shade);
        painter.drawEllipse(p, radius * 1.15, radius);
        ++placed;
    }
}

// A shine mark on the top left: a short stroke and a dot.
void drawShine(QPainter &painter, const QColor &light)
{
    const QList<QPointF> arc = alongOutline(200, 232, 0.055);
    InkStroke::drawOpen(painter, arc, InkStroke::tapered(arc.size(), 0.014, 0.45), light);
    painter.setBrush(light);
    painter.drawEllipse(alongOutline(241, 241, 0.055).first(), 0.0075, 0.0075);
}

// A line that leaves the rim at `fromDegrees`, runs up to `gap` outside it and rejoins it at
// `toDegrees`.
QList<QPointF> peelingOff(qreal fromDegrees, qreal toDegrees, qreal gap)
{
    const Shape &shape = pebble();
    QList<QPointF> points;
    for (qreal degrees = fromDegrees; degrees <= toDegrees; degrees += 1) {
        const qsizetype i = sampleAt(degrees);
        const qreal u = (degrees - fromDegrees) / (toDegrees - fromDegrees);
        const qreal outwards = shape.widths[i] / 2 + gap * std::sin(u * M_PI);
        points << shape.line[i] - InkStroke::closedNormal(shape.line, i) * outwards;
    }
    return points;
}

// A second, thinner pass of the pen along parts of the rim, as in a quick sketch.
void drawSketchAccents(QPainter &painter)
{
    const QList<QPointF> topRight = peelingOff(290, 330, 0.0075);
    InkStroke::drawOpen(painter, topRight, InkStroke::tapered(topRight.size(), 0.0055, 0.3), Theme::ink);
    const QList<QPointF> bottomLeft = peelingOff(126, 152, 0.0065);
    InkStroke::drawOpen(painter, bottomLeft, InkStroke::tapered(bottomLeft.size(), 0.0048, 0.3), Theme::ink);
}

void drawOutline(QPainter &painter)
{
    const Shape &shape = pebble();
    painter.fillPath(InkStroke::closedBand(shape.line, shape.widths), Theme::ink);
    drawSketchAccents(painter);
}

void drawEye(QPainter &painter, const QPointF &centre)
{
    // A light ring under the ink keeps the eye apart from a dark body; on light bodies it all but
    // melts into the fill. One eye layer serves every colour and the drawn rocks too.
    painter.setBrush(eyeRim);
    painter.drawEllipse(centre, eyeRadii.width() + eyeRimWidth, eyeRadii.height() + eyeRimWidth);
    painter.setBrush(Theme::ink);
    painter.drawEllipse(centre, eyeRadii.width(), eyeRadii.height());
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre + QPointF(0.008, -0.0135), 0.0105, 0.0105);
    painter.drawEllipse(centre + QPointF(-0.009, 0.016), 0.0046, 0.0046);
}

QList<QPointF> quadraticPoints(const QPointF &from, const QPointF &control, const QPointF &to, int steps)
{
    QList<QPointF> points;
    for (int k = 0; k <= steps; ++k) {
        const qreal u = qreal(k) / steps;
        points << from * ((1 - u) * (1 - u)) + control * (2 * u * (1 - u)) + to * (u * u);
    }
    return points;
}

} // namespace

QImage body(const QColor &bodyColor)
{
    QImage image = blankLayer();
    QPainter painter(&image);
    prepare(painter);
    // The flat fill must stay the most common opaque colour: recolouring measures it.
    painter.fillPath(pebble().fill, bodyColor);
    painter.save();
    painter.setClipPath(pebble().fill);
    // Shades are the body colour scaled, so recolouring by the red channel maps them exactly.
    drawShadow(painter, bodyColor.darker(112));
    drawHatching(painter, bodyColor.darker(124));
    drawSpeckles(painter, bodyColor.darker(124));
    drawShine(painter, bodyColor.lighter(122));
    painter.restore();
    drawOutline(painter);
    return image;
}

QImage eyes()
{
    QImage image = blankLayer();
    QPainter painter(&image);
    prepare(painter);
    drawEye(painter, leftEye);
    drawEye(painter, rightEye);
    return image;
}

QImage outline()
{
    QImage image = blankLayer();
    QPainter painter(&image);
    prepare(painter);
    drawOutline(painter);
    return image;
}

QImage smile()
{
    QImage image = blankLayer();
    QPainter painter(&image);
    prepare(painter);
    const QList<QPointF> points =
        quadraticPoints(QPointF(mouthCentreX - 0.034, 0.598), QPointF(mouthCentreX, 0.642),
                        QPointF(mouthCentreX + 0.034, 0.598), 40);
    InkStroke::drawOpen(painter, points, InkStroke::tapered(points.size(), 0.0145, 0.7), Theme::ink);
    return image;
}

QImage scary()
{
    QImage image = blankLayer();
    QPainter painter(&image);
    prepare(painter);
    // Two and a half waves, the later ones a little bigger: a queasy, dizzy mouth.
    QList<QPointF> points;
    constexpr int steps = 80;
    for (int k = 0; k <= steps; ++k) {
        const qreal u = qreal(k) / steps;
        const qreal amplitude = 0.009 + 0.004 * u;
        points << QPointF(mouthCentreX - 0.056 + 0.112 * u, 0.628 + amplitude * std::sin(u * 5 * M_PI));
    }
    InkStroke::drawOpen(painter, points, InkStroke::tapered(points.size(), 0.013, 0.7), Theme::ink);
    return image;
}

QImage over(const QImage &base, const QImage &layer)
{
    QImage result = base;
    QPainter painter(&result);
    painter.drawImage(0, 0, layer);
    return result;
}

} // namespace PebbleArt
