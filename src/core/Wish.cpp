#include "Wish.h"

#include "Graphemes.h"

#include <algorithm>
#include <cmath>

namespace {
// Stored dates count from 2001-01-01 00:00 UTC, not from the Unix epoch.
constexpr qint64 referenceDateMSecs = 978307200000;
} // namespace

double Wish::now()
{
    return double(QDateTime::currentMSecsSinceEpoch() - referenceDateMSecs) / 1000.0;
}

std::optional<QDateTime> Wish::dateOf(double createdAt)
{
    // 0001-01-01 and 9999-12-31 23:59:59.999 UTC, in milliseconds since 1970: every date a card can
    // show, and far inside what a 64-bit millisecond count holds, so the conversion cannot overflow.
    constexpr double earliest = -62135596800000.0;
    constexpr double latest = 253402300799999.0;
    const double msecs = createdAt * 1000.0 + double(referenceDateMSecs);
    if (!(msecs >= earliest && msecs <= latest))
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(qint64(std::llround(msecs)), Qt::UTC);
}

QString Wish::shownText() const
{
    return Graphemes::excerpt(text, maxLength);
}

double Wish::drawingSeed() const
{
    if (!(seed >= 0)) // also a NaN
        return 0;
    return std::min(seed, std::nextafter(1.0, 0.0));
}
