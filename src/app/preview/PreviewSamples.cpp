#include "RenderPreview.h"

#include <QRegularExpression>

#include <cmath>
#include <numbers>

using namespace Qt::Literals::StringLiterals;

namespace RenderPreview {

namespace {

struct SampleText {
    QString text;
    double seed;
};

const QList<SampleText> &sampleTexts()
{
    static const QList<SampleText> texts{{u"올해는 마음이 단단해지기"_s, 0.2},
                                         {u"가족 모두 건강하기"_s, 0.72},
                                         {u"매일 산책 30분"_s, 0.4},
                                         {u"좋아하는 일로 먹고살기"_s, 0.86},
                                         {u"더 자주 웃기"_s, 0.3}};
    return texts;
}

Wish sampleWish(const QString &text, double seed)
{
    return Wish{QUuid::createUuid(), text, Wish::now(), std::nullopt, seed, std::nullopt};
}

/// KIVVO_WISHES when it is a plain decimal number of at least 1, at most `maxSampleWishes`: a
/// bigger number would only exhaust memory.
std::optional<int> requestedWishCount()
{
    const QString value = qEnvironmentVariable("KIVVO_WISHES");
    static const QRegularExpression digits(u"^[0-9]+$"_s);
    if (!digits.match(value).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qlonglong count = value.toLongLong(&ok);
    if (!ok || count < 1) // a number too long for 64 bits counts as none, as before
        return std::nullopt;
    return int(std::min<qlonglong>(count, maxSampleWishes));
}

QList<QPointF> wobblyStroke(double rx, double ry, double w, double cx, double cy)
{
    QList<QPointF> points;
    for (int i = 0; i < 64; ++i) {
        const double t = 2 * std::numbers::pi * i / 64;
        const double r = 1 + w * std::sin(4 * t + 1);
        points.append(QPointF(cx + rx * r * std::cos(t), cy + ry * r * std::sin(t)));
    }
    return points;
}

} // namespace

QList<Wish> sampleWishes()
{
    const QList<SampleText> &texts = sampleTexts();
    QList<Wish> wishes;
    if (const std::optional<int> count = requestedWishCount()) {
        for (int i = 0; i < *count; ++i)
            wishes.append(sampleWish(texts[i % texts.size()].text, ((37 * i) % 100) / 100.0));
        return wishes;
    }
    for (const SampleText &text : texts)
        wishes.append(sampleWish(text.text, text.seed));
    return wishes;
}

QList<SampleDrawing> sampleDrawings()
{
    struct Parameters {
        double rx, ry, w, cx, cy;
    };
    static constexpr Parameters parameters[] = {{86, 74, 0.14, 106, 112},
                                                {40, 34, 0.06, 66, 70},
                                                {74, 82, 0.12, 140, 100},
                                                {42, 96, 0.10, 112, 112},
                                                {100, 34, 0.09, 112, 112}};
    QList<SampleDrawing> drawings;
    for (const Parameters &p : parameters) {
        QList<QPointF> stroke = wobblyStroke(p.rx, p.ry, p.w, p.cx, p.cy);
        RockDrawing result = CustomRockShape::read(stroke, QSizeF(sampleCanvas, sampleCanvas));
        drawings.append({std::move(stroke), std::move(result)});
    }
    return drawings;
}

} // namespace RenderPreview
