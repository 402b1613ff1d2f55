// Draws the ready-made rock's artwork into a folder: build/tools/draw-rocks/draw-rocks assets/rocks
#include "EnumNames.h"
#include "PebbleArt.h"
#include "RockColor.h"
#include "RockColorLook.h"
#include "Theme.h"

#include <QDir>
#include <QImage>
#include <QTextStream>

namespace {

// Highest zlib compression: the files are committed, the time is spent once.
constexpr int pngQuality = 0;

bool write(const QDir &folder, const QString &name, const QImage &image)
{
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    const bool saved = image.save(path, "PNG", pngQuality);
    QTextStream(saved ? stdout : stderr) << (saved ? "wrote " : "could not write ") << path << Qt::endl;
    return saved;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        QTextStream(stderr) << "usage: draw-rocks OUTPUT-FOLDER" << Qt::endl;
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        QTextStream(stderr) << "could not create " << folder.path() << Qt::endl;
        return 1;
    }

    const QImage eyes = PebbleArt::eyes();
    const QImage ownBody = PebbleArt::body(Theme::rockBody);
    bool ok = write(folder, QStringLiteral("vidovu-body"), ownBody);
    ok &= write(folder, QStringLiteral("vidovu-eye"), eyes);
    ok &= write(folder, QStringLiteral("vidovu-all"), PebbleArt::over(ownBody, eyes));
    for (RockColor color : allCases<RockColor>()) {
        if (const auto name = RockColorLook::assetName(color))
            ok &= write(folder, *name, PebbleArt::over(PebbleArt::body(RockColorLook::body(color)), eyes));
    }
    ok &= write(folder, QStringLiteral("vidovu-v2-line"), PebbleArt::outline());
    ok &= write(folder, QStringLiteral("smile"), PebbleArt::smile());
    ok &= write(folder, QStringLiteral("scary"), PebbleArt::scary());
    return ok ? 0 : 1;
}
