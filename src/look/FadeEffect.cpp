#include "FadeEffect.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <algorithm>
#include <cmath>

void FadeEffect::draw(QPainter *painter)
{
    auto *widget = qobject_cast<QWidget *>(parent());
    if (painter->worldTransform().type() <= QTransform::TxTranslate || !widget) {
        QGraphicsOpacityEffect::draw(painter);
        return;
    }
    const qreal shown = opacity();
    if (shown <= 0)
        return;
    // The widget at its own size, as sharp as the painter's scale and the screen make it; drawn from
    // inside the effect, it comes without the effect.
    const qreal scale = std::sqrt(std::abs(painter->worldTransform().determinant()));
    const qreal ratio = painter->device()->devicePixelRatio() * std::max(scale, 0.01);
    QPixmap pixmap(widget->size() * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    widget->render(&pixmap, QPoint(), QRegion(), QWidget::DrawChildren);
    // Qt clips the effect to the widget's unscaled rectangle on the device: the clip is lifted, and
    // the widget's own rectangle bounds the drawing instead.
    QPaintEngine *engine = painter->paintEngine();
    const QRegion clip = engine->systemClip();
    engine->setSystemClip(QRegion());
    painter->save();
    painter->setClipRect(QRectF(QPointF(0, 0), QSizeF(widget->size())), Qt::IntersectClip);
    painter->setOpacity(painter->opacity() * shown);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawPixmap(QPointF(0, 0), pixmap);
    painter->restore();
    engine->setSystemClip(clip);
}

void FadeEffect::show(QWidget *widget, double presence)
{
    auto *fade = dynamic_cast<FadeEffect *>(widget->graphicsEffect());
    if (!fade) {
        fade = new FadeEffect(widget);
        widget->setGraphicsEffect(fade);
    }
    const double shown = std::clamp(presence, 0.0, 1.0);
    widget->setVisible(shown > 0.001);
    fade->setOpacity(shown);
    fade->setEnabled(shown < 1);
}
