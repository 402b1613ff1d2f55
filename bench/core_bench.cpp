// Prints how long the store's file work and the pile layout take for piles of growing size.
// Figures only; nothing here passes or fails.

#include "AppState.h"
#include "MedianTime.h"
#include "RockPile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int repeats = 9;

/// Median wall time of `repeats` runs (or `times`), in milliseconds.
double medianMs(const std::function<void()> &run, int times = repeats)
{
    return ::medianMs(run, times);
}

QString koreanText(QRandomGenerator &random)
{
    static const QString syllables = u"소원바위하늘별꿈행복건강사랑가족친구여행공부시험합격돈집"_s;
    QString text;
    for (int i = 0; i < 20; ++i)
        text += (i % 5 == 4) ? QChar(u' ') : syllables[random.bounded(syllables.size())];
    return text;
}

QList<DrawingStroke> drawing(QRandomGenerator &random)
{
    DrawingStroke stroke;
    for (int i = 0; i < 200; ++i)
        stroke.points.append({random.bounded(300.0), random.bounded(200.0)});
    return {stroke};
}

/// Realistic wishes: mostly written, every 20th drawn with 200 points, all stamped.
QList<Wish> sampleWishes(int count)
{
    QRandomGenerator random(7);
    QList<Wish> wishes;
    for (int i = 0; i < count; ++i) {
        const auto color = static_cast<RockColor>(random.bounded(8));
        const auto expression = static_cast<RockExpression>(random.bounded(3));
        const bool drawn = i % 20 == 19;
        wishes.append(Wish{QUuid::createUuid(), drawn ? u"그림 소원"_s : koreanText(random),
                           786000000.0 + i * 3600.25, drawn ? std::optional(drawing(random)) : std::nullopt,
                           random.generateDouble(),
                           RockAppearance{KivvoCharacter::vidovu, color, expression, {}}});
    }
    return wishes;
}

/// The plain way to put bytes on disk safely: write, fdatasync, rename.
void plainWrite(const QString &path, const QByteArray &bytes)
{
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temporary = target + ".tmp";
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || ::write(fd, bytes.constData(), bytes.size()) != bytes.size() || ::fdatasync(fd) != 0)
        std::perror("plain write");
    ::close(fd);
    ::rename(temporary.constData(), target.constData());
}

double layoutPile(int count)
{
    double sink = 0;
    for (int i = 0; i < count; ++i) {
        const RockPile::Place place = RockPile::place(i);
        const double x = RockPile::seatOffset(place.row, place.seat);
        sink += x + RockPile::rowCenter(place.row) + RockPile::contactTilt(place.row, x);
    }
    return sink;
}

void measure(int count, const QTemporaryDir &dir)
{
    const QString path = dir.filePath(u"%1/data.json"_s.arg(count));
    const QList<Wish> wishes = sampleWishes(count);
    AppState store(path, SaveData{true, wishes, {}, {}});
    bool flag = false;
    // The first save encodes every wish; later ones reuse the JSON of wishes that did not change.
    const double firstSave = medianMs([&] { store.setIsIdleRockEnabled(flag = !flag); }, 1);
    const double save = medianMs([&] { store.setIsIdleRockEnabled(flag = !flag); });
    const QByteArray bytes = *store.saveData().encode();
    const double plain = medianMs([&] { plainWrite(dir.filePath(u"plain.json"_s), bytes); });
    const double load = medianMs([&] { AppState loaded(path); });
    const double remove = medianMs([&] { store.deleteWish(store.wishes()[store.wishes().size() / 2]); });
    volatile double sink = 0;
    const double layout = medianMs([&] { sink = sink + layoutPile(count); }, 51);
    std::printf("%6d wishes  %5.2f MB  first save %7.2f ms  save %7.2f ms  plain write %7.2f ms  ratio %4.2f "
                " load %7.2f ms  "
                "delete %7.2f ms  layout %6.3f ms\n",
                count, bytes.size() / 1e6, firstSave, save, plain, save / plain, load, remove, layout);
}

/// Ids whose words cancel out under Qt's XOR-folding qHash(QUuid): every one hashes alike.
QList<Wish> craftedWishes(int count)
{
    QList<Wish> wishes;
    for (int i = 0; i < count; ++i) {
        const uint k = uint(i);
        const QUuid id(k, 0x1111, 0x4222, uchar(k >> 24), uchar(k >> 16), uchar(k >> 8), uchar(k), 0x80, 0, 0,
                       0);
        wishes.append(Wish{id, u"소원"_s, 786000000.0, std::nullopt, 0.5, std::nullopt});
    }
    return wishes;
}

void measureCraftedIds(int count, const QTemporaryDir &dir)
{
    AppState store(dir.filePath(u"crafted/data.json"_s), SaveData{true, craftedWishes(count), {}, {}});
    bool flag = false;
    const double firstSave = medianMs([&] { store.setIsIdleRockEnabled(flag = !flag); }, 1);
    const double save = medianMs([&] { store.setIsIdleRockEnabled(flag = !flag); }, 3);
    std::printf("%6d wishes with colliding ids  first save %7.2f ms  save %7.2f ms\n", count, firstSave,
                save);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    std::printf("medians of %d runs (layout: 51); save and delete include the fdatasync of the file\n",
                repeats);
    for (int count : {100, 1000, 10000})
        measure(count, dir);
    // Ids crafted to collide in Qt's own uuid hash must not make saving quadratic.
    measureCraftedIds(222000, dir);
    return 0;
}
