#include "Graphemes.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace Graphemes {

namespace {

/// Where the first window `bounded` reads ends; each further window is twice as long.
constexpr qsizetype firstWindow = 256;

/// The first `limit` code points of `text`; a lone surrogate counts as one.
QStringView firstCodePoints(QStringView text, qsizetype limit)
{
    qsizetype end = 0;
    for (qsizetype taken = 0; taken < limit && end < text.size(); ++taken) {
        const bool pair =
            text[end].isHighSurrogate() && end + 1 < text.size() && text[end + 1].isLowSurrogate();
        end += pair ? 2 : 1;
    }
    return text.first(end);
}

/// What `bounded` takes from the first `seen` units of `text`; `complete` when more of the text
/// would change nothing.
struct Taken {
    QString text;
    bool complete;
};

Taken boundedWithin(QStringView text, qsizetype seen, qsizetype limit)
{
    const bool whole = seen >= text.size();
    QStringView window = whole ? text : text.first(seen);
    if (!whole && window.back().isHighSurrogate())
        window.chop(1); // never end the window inside a pair
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, window);
    Taken taken{QString(), true};
    qsizetype start = 0;
    for (qsizetype clusters = 0; clusters < limit; ++clusters) {
        const qsizetype end = finder.toNextBoundary();
        if (end < 0)
            return taken; // the whole text is read
        const QStringView cluster = window.sliced(start, end - start);
        const QStringView kept = firstCodePoints(cluster, maxCodePoints);
        if (!whole && end == window.size()) {
            // The window's end is no boundary of the text: this character may go on past it. Once
            // it is long enough to be cut, the rest does not matter, though where it ends is unknown.
            const bool cut = kept.size() < cluster.size();
            if (cut)
                taken.text += kept;
            taken.complete = cut && clusters + 1 == limit;
            return taken;
        }
        taken.text += kept;
        start = end;
    }
    return taken;
}

} // namespace

qsizetype count(QStringView text)
{
    if (text.isEmpty())
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.data(), text.size());
    qsizetype clusters = 0;
    // Boundaries after the start: one per cluster, the last at the end of the text.
    while (finder.toNextBoundary() > 0)
        ++clusters;
    return clusters;
}

QString truncated(const QString &text, qsizetype limit)
{
    if (limit <= 0)
        return {};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (qsizetype taken = 0; taken < limit; ++taken) {
        const qsizetype next = finder.toNextBoundary();
        if (next < 0)
            return text;
        end = next;
    }
    return text.left(end);
}

QString bounded(QStringView text, qsizetype limit)
{
    if (limit <= 0 || text.isEmpty())
        return {};
    // Most texts are short: read a little, and more only while the characters reach further.
    const qsizetype most = std::min(text.size(), scanLimit);
    for (qsizetype seen = std::min(firstWindow, most);; seen = std::min(2 * seen, most)) {
        Taken taken = boundedWithin(text, seen, limit);
        if (taken.complete || seen == most)
            return std::move(taken.text);
    }
}

QString excerpt(QStringView text, qsizetype limit)
{
    QString kept = bounded(text, limit);
    // Kept pieces come in order from the text, so an equal length means nothing was left out.
    if (kept.size() < text.size())
        kept += u'…';
    return kept;
}

} // namespace Graphemes
