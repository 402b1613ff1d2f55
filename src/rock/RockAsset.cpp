#include "RockAsset.h"

#include "RockColorLook.h"
#include "RockImage.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace RockAsset {

namespace {

// The icon is this many points on a side.
constexpr int iconSide = 22;
// Alpha at or above which a pixel counts as visible (of 255).
constexpr int visibleAlpha = 11;
// Only every `sampleStep`-th row and column is counted when looking for the fill colour.
constexpr int sampleStep = 4;
// The outline band of a silhouette is this fraction of the image's width.
constexpr qreal outlineRadius = 0.011;
// How many shifted copies ring a silhouette.
constexpr int outlineCopies = 16;
// The rock is rendered at this size (points) and scale for the icon when artwork will not do.
constexpr int renderedRockSide = 44;
constexpr qreal renderedRockScale = 2;

struct State {
    QHash<QString, QImage> cache;
    std::optional<QImage> eye;
    std::optional<QImage> outlineHint;
    QHash<QString, int> loads;
    ArtworkSource source;
};

State &state()
{
    static State instance;
    return instance;
}

// The format QPainter draws fastest from, so a pile of stones does not convert artwork on every paint.
QImage drawable(QImage image)
{
    image.convertTo(QImage::Format_ARGB32_Premultiplied);
    return image;
}

std::optional<QImage> loadFile(const QString &name)
{
    QImage image(QStringLiteral(":/rocks/%1.png").arg(name));
    if (image.isNull())
        image.load(QStringLiteral(KIVVO_SOURCE_DIR "/assets/rocks/%1.png").arg(name));
    if (image.isNull())
        return std::nullopt;
    return image;
}

QImage transparentImage(QSize pixels, qreal devicePixelRatio)
{
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    return image;
}

// `image` in one colour: the colour wherever the image has coverage, with the image's alpha.
QImage silhouette(const QImage &image, const QColor &color)
{
    QImage result = transparentImage(image.size(), image.devicePixelRatio());
    QPainter painter(&result);
    const QRectF whole(QPointF(), image.deviceIndependentSize());
    painter.drawImage(whole, image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(whole, color);
    return result;
}

// One colour channel moved from the fill to the target: shade = pixel / fill, measured in red. Computed
// as one division of exact integers so that a pixel on an exact half rounds the way it should.
uchar shifted(int target16, int pixelRed, int fillRed, int alpha)
{
    const double value = double(target16) * 255.0 * pixelRed / (65535.0 * fillRed);
    // The bitmap is premultiplied, so a channel may not exceed its alpha; for opaque pixels that is 255.
    return uchar(std::min<double>(std::round(value), alpha));
}

} // namespace

std::optional<QImage> load(const QString &name)
{
    State &s = state();
    ++s.loads[name];
    std::optional<QImage> image = s.source ? s.source(name) : loadFile(name);
    if (!image || image->isNull())
        return std::nullopt;
    return drawable(*image);
}

std::optional<QImage> cached(const QString &name)
{
    State &s = state();
    if (const auto found = s.cache.constFind(name); found != s.cache.constEnd())
        return *found;
    std::optional<QImage> image = load(name);
    if (image)
        s.cache.insert(name, *image);
    return image;
}

QImage bodyImage(RockColor color)
{
    const std::optional<QImage> base = cached(QStringLiteral("vidovu-body"));
    if (!base)
        return QImage();
    const std::optional<QString> artName = RockColorLook::assetName(color);
    if (!artName)
        return *base;
    const std::optional<QImage> art = cached(*artName);
    if (!art)
        return *base;
    const QString key = QStringLiteral("vidovu-body-") + *artName;
    if (const auto found = cache().constFind(key); found != cache().constEnd())
        return *found;
    std::optional<QImage> result;
    if (const std::optional<QImage> artBitmap = rgbaBitmap(*art))
        if (const std::optional<QColor> reference = fillColor(*artBitmap))
            result = recolored(*base, *reference);
    const QImage body = result.value_or(*base);
    state().cache.insert(key, body);
    return body;
}

std::optional<QImage> mouthImage(RockExpression expression, RockColor color)
{
    if (expression == RockExpression::none)
        return std::nullopt;
    const QString name = rawValue(expression);
    if (color != RockColor::black)
        return cached(name);
    // A dark mouth would vanish on a black rock, so it is drawn white with a black edge there.
    const QString key = name + QStringLiteral("-white");
    if (const auto found = cache().constFind(key); found != cache().constEnd())
        return *found;
    const std::optional<QImage> mouth = cached(name);
    if (!mouth)
        return std::nullopt;
    const QImage white = outlined(*mouth, Qt::white, Qt::black);
    state().cache.insert(key, white);
    return white;
}

bool needsRenderedMenuBarIcon(const RockAppearance &appearance)
{
    return appearance.customShape.has_value() || appearance.expression != RockExpression::none;
}

QImage menuBarIcon(const RockAppearance &appearance)
{
    if (needsRenderedMenuBarIcon(appearance)) {
        const int pixels = qRound(renderedRockSide * renderedRockScale);
        QImage rock = transparentImage(QSize(pixels, pixels), renderedRockScale);
        if (!rock.isNull()) {
            QPainter painter(&rock);
            paintRock(painter, QRectF(0, 0, renderedRockSide, renderedRockSide), appearance, 0.5, false,
                      true);
            painter.end();
            return makeMenuBarIcon(rock);
        }
    }
    if (const std::optional<QString> artName = RockColorLook::assetName(appearance.color))
        if (const std::optional<QImage> art = cached(*artName))
            return makeMenuBarIcon(*art);
    return makeMenuBarIcon(cached(QStringLiteral("vidovu-all")).value_or(QImage()));
}

QRectF menuBarIconTarget(const QSizeF &source)
{
    if (source.isEmpty())
        return {};
    const qreal scale = std::min(iconSide / source.width(), iconSide / source.height());
    const QSizeF size = source * scale;
    return QRectF((iconSide - size.width()) / 2, (iconSide - size.height()) / 2, size.width(), size.height());
}

QImage makeMenuBarIcon(const QImage &image, qreal devicePixelRatio)
{
    const int pixels = qRound(iconSide * devicePixelRatio);
    QImage icon = transparentImage(QSize(pixels, pixels), devicePixelRatio);
    const QSizeF points = image.deviceIndependentSize();
    QRectF source(QPointF(), points);
    if (const std::optional<QRect> visible = visibleRect(image))
        source = topLeftRect(*visible, qRound(points.height()));
    const QRectF target = menuBarIconTarget(source.size());
    if (icon.isNull() || target.isEmpty())
        return icon;
    // QPainter takes the source rectangle in the image's pixels, not its points.
    const qreal ratio = image.devicePixelRatio();
    const QRectF sourcePixels(source.topLeft() * ratio, source.size() * ratio);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(target, image, sourcePixels);
    return icon;
}

std::optional<QRect> visibleRect(const QImage &image)
{
    const std::optional<QImage> bitmap = rgbaBitmap(image);
    if (!bitmap)
        return std::nullopt;
    const int w = bitmap->width(), h = bitmap->height();
    int minColumn = w, maxColumn = -1, minRow = h, maxRow = -1;
    for (int y = 0; y < h; ++y) {
        const uchar *row = bitmap->constScanLine(y);
        for (int x = 0; x < w; ++x) {
            if (row[4 * x + 3] < visibleAlpha)
                continue;
            minColumn = std::min(minColumn, x);
            maxColumn = std::max(maxColumn, x);
            minRow = std::min(minRow, y);
            maxRow = std::max(maxRow, y);
        }
    }
    if (maxRow < 0)
        return std::nullopt;
    return QRect(minColumn, h - 1 - maxRow, maxColumn - minColumn + 1, maxRow - minRow + 1);
}

QRect topLeftRect(const QRect &bottomLeftRect, int imageHeight)
{
    return QRect(bottomLeftRect.x(), imageHeight - bottomLeftRect.y() - bottomLeftRect.height(),
                 bottomLeftRect.width(), bottomLeftRect.height());
}

QImage lineArt(const QImage &image)
{
    if (image.isNull())
        return image;
    const QImage source = image.convertToFormat(QImage::Format_RGBA8888);
    QImage mask(source.size(), QImage::Format_RGBA8888_Premultiplied);
    if (mask.isNull())
        return image;
    mask.setDevicePixelRatio(image.devicePixelRatio());
    for (int y = 0; y < source.height(); ++y) {
        const uchar *in = source.constScanLine(y);
        uchar *out = mask.scanLine(y);
        for (int x = 0; x < source.width(); ++x, in += 4, out += 4) {
            // Brightness (Rec. 709 luma) of the inverted colour, times the pixel's own coverage.
            const double darkness =
                (0.2126 * (255 - in[0]) + 0.7152 * (255 - in[1]) + 0.0722 * (255 - in[2])) / 255.0;
            const uchar alpha = uchar(std::lround(darkness * in[3]));
            std::fill(out, out + 4, alpha); // premultiplied white
        }
    }
    return mask;
}

std::optional<QImage> rgbaBitmap(const QImage &image)
{
    const QSizeF points = image.deviceIndependentSize();
    const int width = qRound(points.width()), height = qRound(points.height());
    if (width < 1 || height < 1)
        return std::nullopt;
    QImage bitmap(width, height, QImage::Format_RGBA8888_Premultiplied);
    if (bitmap.isNull())
        return std::nullopt;
    bitmap.fill(Qt::transparent);
    QPainter painter(&bitmap);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(0, 0, width, height), image);
    painter.end();
    return bitmap;
}

std::optional<QColor> fillColor(const QImage &bitmap)
{
    if (bitmap.isNull())
        return std::nullopt;
    const QImage pixels = bitmap.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    QHash<quint32, int> counts;
    for (int y = 0; y < pixels.height(); y += sampleStep) {
        const uchar *row = pixels.constScanLine(y);
        for (int x = 0; x < pixels.width(); x += sampleStep) {
            const uchar *p = row + 4 * x;
            if (p[3] < 255)
                continue;
            ++counts[quint32(p[0]) << 16 | quint32(p[1]) << 8 | p[2]];
        }
    }
    if (counts.isEmpty())
        return std::nullopt;
    // Ties go to the smallest key, so the answer does not depend on hash order.
    quint32 best = 0;
    int bestCount = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > bestCount || (it.value() == bestCount && it.key() < best)) {
            best = it.key();
            bestCount = it.value();
        }
    }
    return QColor(int(best >> 16), int(best >> 8 & 0xff), int(best & 0xff));
}

std::optional<QImage> recolored(const QImage &image, const QColor &color)
{
    std::optional<QImage> bitmap = rgbaBitmap(image);
    if (!bitmap || !color.isValid())
        return std::nullopt;
    const std::optional<QColor> fill = fillColor(*bitmap);
    if (!fill || fill->red() <= 0)
        return std::nullopt;
    const QRgba64 target = color.toRgb().rgba64();
    const int targets[3] = {target.red(), target.green(), target.blue()};
    const int fillRed = fill->red();
    for (int y = 0; y < bitmap->height(); ++y) {
        uchar *p = bitmap->scanLine(y);
        for (int x = 0; x < bitmap->width(); ++x, p += 4) {
            const int red = p[0];
            for (int c = 0; c < 3; ++c)
                p[c] = shifted(targets[c], red, fillRed, p[3]);
        }
    }
    return drawable(*bitmap);
}

QImage outlined(const QImage &image, const QColor &fill, const QColor &stroke)
{
    if (image.isNull())
        return image;
    const qreal radius = image.deviceIndependentSize().width() * outlineRadius;
    const QImage strokeShape = silhouette(image, stroke);
    const QImage fillShape = silhouette(image, fill);
    QImage result = transparentImage(image.size(), image.devicePixelRatio());
    QPainter painter(&result);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int i = 0; i < outlineCopies; ++i) {
        const qreal angle = i * 2 * std::numbers::pi / outlineCopies;
        painter.drawImage(QPointF(radius * std::cos(angle), radius * std::sin(angle)), strokeShape);
    }
    painter.drawImage(QPointF(0, 0), fillShape);
    return result;
}

const QImage &vidovuEyeImage()
{
    State &s = state();
    if (!s.eye)
        s.eye = load(QStringLiteral("vidovu-eye")).value_or(QImage());
    return *s.eye;
}

const QImage &outlineHintImage()
{
    State &s = state();
    if (!s.outlineHint)
        s.outlineHint = lineArt(load(QStringLiteral("vidovu-v2-line")).value_or(QImage()));
    return *s.outlineHint;
}

const QHash<QString, QImage> &cache()
{
    return state().cache;
}

void setArtworkSource(ArtworkSource source)
{
    state().source = std::move(source);
}

int loadCount(const QString &name)
{
    return state().loads.value(name);
}

void resetForTesting()
{
    State &s = state();
    s.cache.clear();
    s.eye.reset();
    s.outlineHint.reset();
    s.loads.clear();
}

} // namespace RockAsset
