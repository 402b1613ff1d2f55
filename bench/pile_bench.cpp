// Prints what the tower's pile view costs for piles of growing size: laying out every stone, painting
// one panel-sized viewport at the base and in the middle of the tower at twice the pixel density,
// and painting while twenty stones move. Figures only; nothing here passes or fails.

#include "AnimationClock.h"
#include "MedianTime.h"
#include "RockPile.h"
#include "RockPileView.h"
#include "Theme.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int repeats = 15;
constexpr QSize viewport(320, 470);
constexpr qreal ratio = 2;

/// Median wall time of `repeats` runs, in milliseconds.
double medianMs(const std::function<void()> &run)
{
    return ::medianMs(run, repeats);
}

/// The preview's sample wishes: five texts, seeds stepping by 0.37.
QList<Wish> wishes(int count)
{
    QList<Wish> list;
    list.reserve(count);
    for (int i = 0; i < count; ++i)
        list.append(Wish{QUuid::createUuid(), u"매일 산책 30분"_s, 0, std::nullopt, ((37 * i) % 100) / 100.0,
                         std::nullopt});
    return list;
}

/// Paints the part of `view` that a panel scrolled to `top` shows.
void paintViewport(RockPileView &view, QImage &image, int top)
{
    image.fill(Theme::bg);
    view.render(&image, QPoint(), QRegion(0, top, viewport.width(), viewport.height()),
                QWidget::DrawChildren);
}

void measure(int count)
{
    const QList<Wish> list = wishes(count);
    RockPileView view;
    view.setAttribute(Qt::WA_DontShowOnScreen);
    const double layout = medianMs([&] {
        view.setWishes({});
        view.setWishes(list);
    });
    view.resize(viewport.width(), std::max(viewport.height(), view.minimumSizeHint().height()));
    view.show();

    QImage image(viewport * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    const int bottom = view.height() - viewport.height();
    const int middle = bottom / 2;
    QElapsedTimer cold;
    cold.start();
    paintViewport(view, image, bottom);
    const double firstPaint = cold.nsecsElapsed() / 1e6;
    const double atBottom = medianMs([&] { paintViewport(view, image, bottom); });
    paintViewport(view, image, middle);
    const double atMiddle = medianMs([&] { paintViewport(view, image, middle); });

    // Twenty stones at the base shrink away along a long curve; each frame steps them and repaints.
    QSet<QUuid> moving;
    for (int i = 0; i < std::min(20, count); ++i)
        moving.insert(list[i].id);
    view.setVanishingIds(moving, Motion::along(Ease::easeInOut(60)));
    const double animated = medianMs([&] {
        AnimationClock::instance().advance(1.0 / 60);
        paintViewport(view, image, bottom);
    });
    view.setVanishingIds({});

    std::printf("%6d stones  layout %8.3f ms  first paint %7.3f ms  paint base %6.3f ms  middle %6.3f ms  "
                "20 moving %6.3f ms  sprites %d, poses %d, %.1f KiB\n",
                count, layout, firstPaint, atBottom, atMiddle, animated, view.sprites().count(),
                view.sprites().poseCount(), view.sprites().bytes() / 1024.0);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Theme::registerFonts();
    std::printf("pile view, %dx%d viewport at device pixel ratio %.0f, median of %d runs\n", viewport.width(),
                viewport.height(), ratio, repeats);
    for (int count : {100, 1000, 10000})
        measure(count);
    return 0;
}
