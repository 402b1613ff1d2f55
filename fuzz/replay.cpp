// Runs stored inputs through the save file's fuzz target without libFuzzer, so the ordinary build
// keeps every seed and every input that ever broke the round trip passing. The target aborts on a
// fault, which fails the test; the last file named on the output is the culprit.
//
// usage: savefile_replay [--readable] DIR [[--readable] DIR ...]
//   --readable  every file in the next folder must also decode (files the program wrote itself)
#include "SaveData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    if (arguments.isEmpty()) {
        std::fprintf(stderr, "usage: savefile_replay [--readable] DIR [[--readable] DIR ...]\n");
        return 2;
    }
    int replayed = 0;
    bool readable = false;
    for (const QString &argument : arguments) {
        if (argument == u"--readable") {
            readable = true;
            continue;
        }
        // A missing folder would pass silently; the regressions folder is kept in git for this.
        const QDir folder(argument);
        if (!folder.exists()) {
            std::fprintf(stderr, "no folder %s\n", qPrintable(argument));
            return 1;
        }
        const QStringList names = folder.entryList(QDir::Files, QDir::Name);
        if (readable && names.isEmpty()) {
            std::fprintf(stderr, "no seeds in %s\n", qPrintable(argument));
            return 1;
        }
        for (const QString &name : names) {
            QFile file(folder.filePath(name));
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            std::printf("%s\n", qPrintable(file.fileName()));
            std::fflush(stdout);
            if (readable && !SaveData::decode(bytes)) {
                std::fprintf(stderr, "a file the program wrote no longer reads: %s\n",
                             qPrintable(file.fileName()));
                return 1;
            }
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.constData()),
                                   size_t(bytes.size()));
            ++replayed;
        }
        readable = false;
    }
    std::printf("%d inputs replayed\n", replayed);
    return 0;
}
