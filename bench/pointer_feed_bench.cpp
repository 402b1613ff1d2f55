// A compositor's pointer feed: rate, latency and cost, run inside a KWin or GNOME session (with Kivvo's
// extension) while something moves the pointer. Usage: pointer_feed_bench kwin|gnome SECONDS [SENT]
// SENT, read when the time is up, lists the moves made, one "t_us x y" a line (t_us in microseconds: wall
// clock for KWin, the monotonic clock for GNOME, as each lab driver writes them); each position received
// is matched to the latest move to that position made before it. On GNOME the shell also stamps each
// position with when it saw the motion, which gives the shell-to-Kivvo part alone.
#include "KWinPointerFeed.h"
#include "ScreenCoordinates.h"
#include "ShellPointerFeed.h"
#include "ShellRockLink.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <vector>

namespace {
constexpr double height = 900; // any height: positions are flipped back before they are matched

struct Move {
    qint64 us;
    QPoint position;
};

qint64 wallMicroseconds()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

qint64 monotonicMicroseconds()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

std::vector<Move> readMoves(const QString &path)
{
    std::vector<Move> moves;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return moves;
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().simplified().split(' ');
        bool ok = fields.size() >= 3;
        const qint64 us = ok ? fields[0].toLongLong(&ok) : 0;
        if (ok)
            moves.push_back({us, QPoint(fields[1].toInt(), fields[2].toInt())});
    }
    return moves;
}

/// Latencies in milliseconds of the received positions that match a move.
std::vector<double> latencies(const std::vector<Move> &made, const std::vector<Move> &received)
{
    std::map<std::pair<int, int>, std::vector<qint64>> madeAt;
    for (const Move &move : made)
        madeAt[{move.position.x(), move.position.y()}].push_back(move.us);
    std::vector<double> result;
    for (const Move &move : received) {
        const auto found = madeAt.find({move.position.x(), move.position.y()});
        if (found == madeAt.end())
            continue;
        const auto after = std::upper_bound(found->second.begin(), found->second.end(), move.us);
        if (after != found->second.begin())
            result.push_back((move.us - *std::prev(after)) / 1000.0);
    }
    std::sort(result.begin(), result.end());
    return result;
}

double quantile(const std::vector<double> &sorted, double q)
{
    return sorted.empty() ? 0 : sorted[std::min(sorted.size() - 1, size_t(q * sorted.size()))];
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool gnome = args.value(1) == QStringLiteral("gnome");
    const double seconds = args.value(2, QStringLiteral("10")).toDouble();
    const auto now = gnome ? monotonicMicroseconds : wallMicroseconds;
    std::shared_ptr<ShellRockLink> link = gnome ? ShellRockLink::open(QDBusConnection::sessionBus()) : nullptr;
    std::shared_ptr<PointerFeed> feed;
    if (link)
        feed = std::make_shared<ShellPointerFeed>(link, [] { return height; });
    else if (!gnome)
        feed = KWinPointerFeed::start(QDBusConnection::sessionBus(), [] { return height; });
    if (!feed) {
        std::fprintf(stderr, "usage: pointer_feed_bench kwin|gnome SECONDS [SENT]; no %s pointer feed on this bus\n",
                     gnome ? "GNOME Shell" : "KWin");
        return 1;
    }
    std::vector<Move> received;
    std::vector<double> shellMs; // from the shell seeing the motion to Kivvo having it
    feed->setListening(true);
    QObject::connect(feed.get(), &PointerFeed::moved, [&] {
        received.push_back({now(), ScreenCoordinates::flipped(feed->position(), height).toPoint()});
    });
    if (link)
        QObject::connect(link.get(), &ShellRockLink::moved, [&](QPoint, qint64 stampUs) {
            shellMs.push_back((monotonicMicroseconds() - stampUs) / 1000.0);
        });
    const double cpuBefore = cpuSeconds();
    QTimer::singleShot(int(seconds * 1000), &app, &QCoreApplication::quit);
    app.exec();
    const double cpu = cpuSeconds() - cpuBefore;

    std::printf("received %zu positions in %.1f s (%.0f/s); CPU %.3f s (%.2f %%)\n", received.size(), seconds,
                received.size() / seconds, cpu, 100 * cpu / seconds);
    if (!shellMs.empty()) {
        std::sort(shellMs.begin(), shellMs.end());
        std::printf("shell to Kivvo: latency ms p50 %.2f p99 %.2f max %.2f\n", quantile(shellMs, 0.5),
                    quantile(shellMs, 0.99), shellMs.back());
    }
    if (args.size() > 3) {
        const std::vector<Move> made = readMoves(args[3]);
        const std::vector<double> ms = latencies(made, received);
        std::printf("moves made %zu, received %zu, matched %zu; latency ms p50 %.2f p99 %.2f max %.2f\n",
                    made.size(), received.size(), ms.size(), quantile(ms, 0.5), quantile(ms, 0.99),
                    ms.empty() ? 0 : ms.back());
    }
    return 0;
}
