// Adds wishes to the store on the given file until it is killed. After each wish whose save
// succeeded it prints the wish's id on its own line and flushes: once a line is out, the file on
// disk holds that wish, whatever happens to this process next.
//
//     kivvo_crash_writer DATA_FILE [RUN]
//
// RUN only varies the texts from one start to the next.

#include "AppState.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

// Mixed scripts and sizes, so the saves differ in length and carry multi-byte and surrogate-pair
// characters through the writer.
const QStringList samples = {
    u"시험에 붙게 해 주세요"_s,
    u"  내일은 비가 오지 않기를 ☔  "_s,
    u"rock 🪨 wish 🌟"_s,
    u"가족 모두 건강하게 👨‍👩‍👧‍👦"_s,
    u"Plain ASCII wish"_s,
    u"\"quotes\" and \\backslashes\\ and\ttabs\nnewlines"_s,
    u"한국어와 English 섞어서 🍀🍀🍀"_s,
    u"긴 소원 "_s.repeated(40),
    u"😀"_s.repeated(60),
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: kivvo_crash_writer DATA_FILE [RUN]\n");
        return 2;
    }
    const int run = args.size() > 2 ? args.at(2).toInt() : 0;

    AppState state(args.at(1));
    bool lastSaveOk = false;
    QObject::connect(&state, &AppState::saved, [&](bool ok) { lastSaveOk = ok; });

    for (qint64 i = 0;; ++i) {
        const QString text = samples.at((i + run) % samples.size()) + u" #"_s + QString::number(run) + u'.' +
                             QString::number(i);
        lastSaveOk = false;
        const std::optional<Wish> wish = state.addWish(text);
        if (!wish || !lastSaveOk)
            continue;
        const QByteArray line = wish->id.toByteArray(QUuid::WithoutBraces) + '\n';
        std::fwrite(line.constData(), 1, line.size(), stdout);
        std::fflush(stdout);
    }
}
