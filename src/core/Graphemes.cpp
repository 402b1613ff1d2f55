#include "Graphemes.h"

#include <QTextBoundaryFinder>

namespace Graphemes {

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

} // namespace Graphemes
