// Prints what opening a wish's card costs for texts of growing size, up to the tens of megabytes a
// damaged file can hold: the card's height and its text laid out and painted once. Figures only.

#include "MedianTime.h"
#include "Theme.h"
#include "WishCard.h"

#include <QApplication>
#include <QImage>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int repeats = 5;
constexpr int cardWidth = 272;

void measure(qsizetype syllables)
{
    const QString words = u"가나다라마바사아자차카타파하 "_s;
    const Wish wish{QUuid::createUuid(),
                    words.repeated(syllables / words.size() + 1).left(syllables),
                    0,
                    std::nullopt,
                    0.5,
                    std::nullopt};
    WishCard card;
    card.setAttribute(Qt::WA_DontShowOnScreen);
    card.resize(cardWidth, 200);
    card.show();
    QImage image(card.size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    const double ms = medianMs(
        [&] {
            card.setWish(Wish{}, 46); // a fresh text each round
            card.setWish(wish, WishCard::boxHeight(wish, cardWidth));
            card.render(&image);
        },
        repeats);
    std::printf("%10lld characters: %8.2f ms\n", static_cast<long long>(syllables), ms);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Theme::registerFonts();
    for (const qsizetype size :
         {qsizetype(50), qsizetype(10'000), qsizetype(1'000'000), qsizetype(25'000'000)})
        measure(size);
    return 0;
}
