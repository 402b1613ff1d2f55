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

const StoneSprites::Entry &StoneSprites::entry(const RockAppearance &appearance, double size, bool showsFace,
                                               qreal devicePixelRatio)
{
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->size == size && it->showsFace == showsFace && it->devicePixelRatio == devicePixelRatio &&
            it->appearance == appearance) {
            if (it != m_entries.begin())
                m_entries.splice(m_entries.begin(), m_entries, it);
            return m_entries.front();
        }
    }
    m_entries.push_front({appearance, size, showsFace, devicePixelRatio,
                          render(appearance, size, showsFace, devicePixelRatio)});
    if (int(m_entries.size()) > capacity) {
        const Entry *dropped = &m_entries.back();
        std::erase_if(m_poses, [&](const PoseEntry &pose) {
            m_poseBytes -= pose.sprite == dropped ? pose.pose.image.sizeInBytes() : 0;
            return pose.sprite == dropped;
        });
        m_entries.pop_back();
    }
    return m_entries.front();
}

const StoneSprites::Sprite &StoneSprites::sprite(const RockAppearance &appearance, double size,
                                                 bool showsFace, qreal devicePixelRatio)
{
    return entry(appearance, size, showsFace, devicePixelRatio).sprite;
}

bool StoneSprites::isPoseAngle(double degrees)
{
    return std::abs(degrees / poseStep - std::round(degrees / poseStep)) < 1e-9;
}

const StoneSprites::Pose &StoneSprites::pose(const RockAppearance &appearance, double size, bool showsFace,
                                             qreal devicePixelRatio, double degrees, bool mirrored)
{
    const Entry &base = entry(appearance, size, showsFace, devicePixelRatio);
    const int step = int(std::lround(degrees / poseStep));
    const double drop = shadowOffset * size;
    for (auto it = m_poses.begin(); it != m_poses.end(); ++it) {
        if (it->sprite == &base && it->step == step && it->mirrored == mirrored && it->shadowDrop == drop) {
            if (it != m_poses.begin())
                m_poses.splice(m_poses.begin(), m_poses, it);
            return m_poses.front().pose;
        }
    }
    const qreal scale = base.sprite.rock.devicePixelRatio();
    m_poses.push_front(
        {&base, step, mirrored, drop, renderPose(base.sprite, step * poseStep, mirrored, drop, scale)});
    m_poseBytes += m_poses.front().pose.image.sizeInBytes();
    // The newest is always kept, however large.
    while (m_poseBytes > poseBudget && m_poses.size() > 1) {
        m_poseBytes -= m_poses.back().pose.image.sizeInBytes();
        m_poses.pop_back();
    }
    return m_poses.front().pose;
}

StoneSprites::Pose StoneSprites::renderPose(const Sprite &sprite, double degrees, bool mirrored,
                                            double shadowDrop, qreal scale)
{
    QTransform turn;
    turn.rotate(degrees);
    if (mirrored)
        turn.scale(-1, 1);
    const QSizeF rockSize = sprite.rock.deviceIndependentSize();
    const QSizeF shadowSize = sprite.shadow.deviceIndependentSize();
    const QRectF rockBounds = turn.mapRect(QRectF(sprite.rockAt, rockSize));
    const QRectF shadowBounds = turn.mapRect(QRectF(sprite.shadowAt, shadowSize)).translated(0, shadowDrop);
    // Whole device pixels, so the pose lands on the same grid the stone would.
    const QRectF united = rockBounds.united(shadowBounds);
    const QRect pixels(
        QPoint(int(std::floor(united.left() * scale)), int(std::floor(united.top() * scale))),
        QPoint(int(std::ceil(united.right() * scale)) - 1, int(std::ceil(united.bottom() * scale)) - 1));
    Pose pose;
    pose.at = QPointF(pixels.left() / scale, pixels.top() / scale);
    pose.image = QImage(pixels.size(), QImage::Format_ARGB32_Premultiplied);
    pose.image.setDevicePixelRatio(scale);
    pose.image.fill(Qt::transparent);
    QPainter painter(&pose.image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(-pose.at);
    paint(painter, sprite, degrees, mirrored, shadowDrop);
    return pose;
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
    // A blurred shadow loses nothing at half the density, and costs a quarter of the pixels to draw.
    const qreal shadowScale = std::max<qreal>(1, devicePixelRatio / 2);
    const QImage coarse = sprite.rock.scaled(sprite.rock.size() * (shadowScale / scale),
                                             Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    int padding = 0;
    sprite.shadow = renderShadow(coarse, shadowBlur * size, shadowScale, padding);
    sprite.shadowAt = QPointF(-half - padding / shadowScale, -half - padding / shadowScale);
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

void StoneSprites::clear()
{
    m_poses.clear();
    m_poseBytes = 0;
    m_entries.clear();
}

qint64 StoneSprites::bytes() const
{
    qint64 total = m_poseBytes;
    for (const Entry &entry : m_entries)
        total += entry.sprite.rock.sizeInBytes() + entry.sprite.shadow.sizeInBytes();
    return total;
}
