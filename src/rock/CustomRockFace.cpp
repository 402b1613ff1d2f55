#include "CustomRockFace.h"

#include "ImageFit.h"
#include "RockAsset.h"

#include <QPainter>

void paintCustomRockFace(QPainter &painter, const QRectF &bounds)
{
    ImageFit::draw(painter, RockAsset::vidovuEyeImage(), bounds);
}

CustomRockFace::CustomRockFace(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void CustomRockFace::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintCustomRockFace(painter, rect());
}
