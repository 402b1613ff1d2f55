#include "RockImage.h"

#include "CustomRockView.h"
#include "ImageFit.h"
#include "RockAsset.h"
#include "RockColorLook.h"
#include "RockMouth.h"

#include <QPainter>

#include <cmath>

namespace {

// The tilt at either end of the seed range, in degrees.
constexpr double maxTilt = 7;

// The ready-made rock: with a face the colour's own artwork (or the own-colour one), without the
// recoloured faceless body.
QImage characterImage(RockColor color, bool showsFace)
{
    if (!showsFace)
        return RockAsset::bodyImage(color);
    if (const std::optional<QString> name = RockColorLook::assetName(color))
        if (const std::optional<QImage> art = RockAsset::cached(*name))
            return *art;
    return RockAsset::cached(QStringLiteral("vidovu-all")).value_or(QImage());
}

} // namespace

QTransform rockTransform(const QRectF &square, double seed, bool vary)
{
    if (!vary)
        return QTransform();
    const QPointF centre = square.center();
    // QTransform applies the last operation first: the stone is mirrored, then tilted.
    QTransform transform;
    transform.translate(centre.x(), centre.y());
    transform.rotate((seed - 0.5) * 2 * maxTilt);
    if (seed < 0.5)
        transform.scale(-1, 1);
    transform.translate(-centre.x(), -centre.y());
    return transform;
}

void paintRock(QPainter &painter, const QRectF &square, const RockAppearance &appearance, double seed,
               bool vary, bool showsFace)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setTransform(rockTransform(square, seed, vary), true);
    if (appearance.customShape)
        paintCustomRock(painter, square, *appearance.customShape, appearance.color, true, showsFace);
    else
        ImageFit::draw(painter, characterImage(appearance.color, showsFace), square);
    paintRockMouth(painter, square, showsFace ? appearance.expression : RockExpression::none,
                   appearance.color);
    painter.restore();
}

RockImage::RockImage(QWidget *parent) : QWidget(parent) {}

void RockImage::setRockSize(double size)
{
    if (size == m_rockSize)
        return;
    m_rockSize = size;
    updateGeometry();
    update();
}

void RockImage::setAppearance(const RockAppearance &appearance)
{
    if (appearance == m_appearance)
        return;
    m_appearance = appearance;
    update();
}

void RockImage::setSeed(double seed)
{
    if (seed == m_seed)
        return;
    m_seed = seed;
    update();
}

void RockImage::setVary(bool vary)
{
    if (vary == m_vary)
        return;
    m_vary = vary;
    update();
}

void RockImage::setShowsFace(bool showsFace)
{
    if (showsFace == m_showsFace)
        return;
    m_showsFace = showsFace;
    update();
}

QSize RockImage::sizeHint() const
{
    if (m_rockSize <= 0)
        return QWidget::sizeHint();
    const int side = int(std::ceil(m_rockSize));
    return QSize(side, side);
}

void RockImage::paintEvent(QPaintEvent *)
{
    QRectF square = ImageFit::square(rect());
    if (m_rockSize > 0)
        square = QRectF(square.center().x() - m_rockSize / 2, square.center().y() - m_rockSize / 2,
                        m_rockSize, m_rockSize);
    QPainter painter(this);
    paintRock(painter, square, m_appearance, m_seed, m_vary, m_showsFace);
}
