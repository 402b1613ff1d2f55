#include "Wish.h"

namespace {
// Stored dates count from 2001-01-01 00:00 UTC, not from the Unix epoch.
constexpr qint64 referenceDateMSecs = 978307200000;
} // namespace

double Wish::now()
{
    return double(QDateTime::currentMSecsSinceEpoch() - referenceDateMSecs) / 1000.0;
}

QDateTime Wish::dateOf(double createdAt)
{
    return QDateTime::fromMSecsSinceEpoch(qRound64(createdAt * 1000.0) + referenceDateMSecs, Qt::UTC);
}
