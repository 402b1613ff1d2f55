#include "StoneSprites.h"

#include "RockImage.h"
#include "Theme.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

/// Room around the rock's square for an outline drawn on its edge.
constexpr double rockMargin = 2;

/// One pass of a box blur of radius `r` over a row or column of alpha values.
void boxBlur(std::vector<int> &line, std::vector<int> &scratch, int r)
{
    const int n = int(line.size());
    scratch.assign(n, 0);
    long sum = 0;
    // A running sum over the window [i - r, i + r], with zeros beyond the ends.
    for (int i = 0; i <= std::min(r, n - 1); ++i)
        sum += line[i];
    for (int i = 0; i < n; ++i) {
        scratch[i] = int(sum / (2 * r + 1));
        if (i + r + 1 < n)
            sum += line[i + r + 1];
        if (i - r >= 0)
            sum -= line[i - r];
    }
    line.swap(scratch);
}

/// Blurs the alpha of `image` in place with three box passes per direction, close to a Gaussian of
/// standard deviation `sigma` pixels.
void blurAlpha(QImage &alpha, double sigma)
{
    // Three boxes of width w have variance 3 (w² - 1) / 12 = sigma².
    const int r = std::max(0, int(std::lround((std::sqrt(4 * sigma * sigma + 1) - 1) / 2)));
    if (r == 0)
        return;
    const int w = alpha.width();
    const int h = alpha.height();
    std::vector<int> line;
    std::vector<int> scratch;
    for (int y = 0; y < h; ++y) {
        uchar *row = alpha.scanLine(y);
        line.assign(row, row + w);
        for (int pass = 0; pass < 3; ++pass)
            boxBlur(line, scratch, r);
        std::copy(line.begin(), line.end(), row);
    }
    for (int x = 0; x < w; ++x) {
        line.resize(h);
        for (int y = 0; y < h; ++y)
            line[y] = alpha.scanLine(y)[x];
        for (int pass = 0; pass < 3; ++pass)
            boxBlur(line, scratch, r);
        for (int y = 0; y < h; ++y)
            alpha.scanLine(y)[x] = uchar(line[y]);
    }
}

/// The rock in a square of side `size` centred in a transparent image, shaded from paper at the top
/// to ink at the bottom within its own silhouette.
QImage renderRock(const RockAppearance &appearance, double size, bool showsFace, qreal scale)
{
    const double side = size + 2 * rockMargin;
    QImage image(QSize(int(std::ceil(side * scale)), int(std::ceil(side * scale))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const QRectF square(rockMargin, rockMargin, size, size);
    paintRock(painter, square, appearance, 0.5, false, showsFace);
    QLinearGradient shade(square.topLeft(), square.bottomLeft());
    QColor top = Theme::paper;
    top.setAlphaF(0.28);
    QColor bottom = Theme::ink;
    bottom.setAlphaF(0.10);
    shade.setColorAt(0, top);
    shade.setColorAt(0.45, Qt::transparent);
    shade.setColorAt(1, bottom);
    // Over the rock's own pixels only: the rock is its own mask.
    painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
    painter.fillRect(QRectF(0, 0, side, side), shade);
    return image;
}

/// The rock's silhouette blurred by `blur` points, in ink at the shadow's opacity, padded so the
/// blur is not cut.
QImage renderShadow(const QImage &rock, double blur, qreal scale, int &padding)
{
    padding = int(std::ceil(3 * blur * scale));
    QImage alpha(rock.width() + 2 * padding, rock.height() + 2 * padding, QImage::Format_Alpha8);
    alpha.fill(0);
    {
        QPainter painter(&alpha);
        QImage unscaled = rock;
        unscaled.setDevicePixelRatio(1);
        painter.drawImage(padding, padding, unscaled);
    }
    // A blur radius is read as two standard deviations, as drop shadows usually are.
    blurAlpha(alpha, blur * scale / 2);
    QImage shadow(alpha.size(), QImage::Format_ARGB32_Premultiplied);
    const QColor ink = Theme::ink;
    for (int y = 0; y < alpha.height(); ++y) {
        const uchar *in = alpha.constScanLine(y);
        auto *out = reinterpret_cast<QRgb *>(shadow.scanLine(y));
        for (int x = 0; x < alpha.width(); ++x) {
            const int a = int(std::lround(in[x] * StoneSprites::shadowOpacity));
            out[x] = qRgba(ink.red() * a / 255, ink.green() * a / 255, ink.blue() * a / 255, a);
        }
    }
    shadow.setDevicePixelRatio(scale);
    return shadow;
}

} // namespace

const StoneSprites::Sprite &StoneSprites::sprite(const RockAppearance &appearance, double size,
                                                 bool showsFace, qreal devicePixelRatio)
{
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->size == size && it->showsFace == showsFace && it->devicePixelRatio == devicePixelRatio &&
            it->appearance == appearance) {
            if (it != m_entries.begin())
                m_entries.splice(m_entries.begin(), m_entries, it);
            return m_entries.front().sprite;
        }
    }
    m_entries.push_front({appearance, size, showsFace, devicePixelRatio,
                          render(appearance, size, showsFace, devicePixelRatio)});
    if (int(m_entries.size()) > capacity)
        m_entries.pop_back();
    return m_entries.front().sprite;
}

StoneSprites::Sprite StoneSprites::render(const RockAppearance &appearance, double size, bool showsFace,
                                          qreal devicePixelRatio)
{
    // Only the selected stone shows its face, and it is drawn grown: render it that much finer.
    const qreal scale = devicePixelRatio * (showsFace ? selectedScale : 1.0);
    Sprite sprite;
    sprite.rock = renderRock(appearance, size, showsFace, scale);
    const double half = size / 2 + rockMargin;
    sprite.rockAt = QPointF(-half, -half);
    int padding = 0;
    sprite.shadow = renderShadow(sprite.rock, shadowBlur * size, scale, padding);
    sprite.shadowAt = QPointF(-half - padding / scale, -half - padding / scale);
    return sprite;
}

void StoneSprites::paint(QPainter &painter, const Sprite &sprite, double degrees, bool mirrored,
                         double shadowDrop)
{
    const QTransform base = painter.transform();
    QTransform turn;
    turn.rotate(degrees);
    if (mirrored)
        turn.scale(-1, 1);
    painter.setTransform(turn * QTransform::fromTranslate(0, shadowDrop) * base);
    painter.drawImage(sprite.shadowAt, sprite.shadow);
    painter.setTransform(turn * base);
    painter.drawImage(sprite.rockAt, sprite.rock);
    painter.setTransform(base);
}

qint64 StoneSprites::bytes() const
{
    qint64 total = 0;
    for (const Entry &entry : m_entries)
        total += entry.sprite.rock.sizeInBytes() + entry.sprite.shadow.sizeInBytes();
    return total;
}
