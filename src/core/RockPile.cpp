#include "RockPile.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr int tierRows = int(RockPile::tiers.size());

/// Stones held by the tiers; stone `tierStones + k` sits alone in row `tierRows + k`.
constexpr int tierStones = [] {
    int sum = 0;
    for (const auto &tier : RockPile::tiers)
        sum += tier.count;
    return sum;
}();

/// The outermost stone's far edge must stay this close to the pile centre.
constexpr double halfWidth = 134;
/// How far a stone reaches out from its centre, as a share of its size.
constexpr double reach = 0.54;
/// How far apart stones sit when there is room, as a share of their size.
constexpr double looseSpacing = 0.66;
/// How deep a row rests into the row below it, as a share of the lower row's size.
constexpr double restDepth = 0.52;

/// Row centre one row up, exactly as the row walk computes it.
double nextCenter(double center, int row)
{
    return center + RockPile::size(row) / 2 + RockPile::size(row + 1) / 2 - restDepth * RockPile::size(row);
}

} // namespace

RockPile::Place RockPile::place(int index)
{
    index = std::max(index, 0);
    if (index >= tierStones)
        return {tierRows + (index - tierStones), 0};
    int row = 0;
    while (index >= tiers[row].count)
        index -= tiers[row++].count;
    return {row, index};
}

int RockPile::firstIndex(int row)
{
    row = std::max(row, 0);
    if (row >= tierRows)
        return tierStones + (row - tierRows);
    int first = 0;
    for (int r = 0; r < row; ++r)
        first += tiers[r].count;
    return first;
}

int RockPile::seatCap(int row)
{
    row = std::max(row, 0);
    return row < tierRows ? tiers[row].count : 1;
}

double RockPile::size(int row)
{
    row = std::max(row, 0);
    return row < tierRows ? tiers[row].size : std::max(67.0 - (row - tierRows), 66.0);
}

double RockPile::shift(int row)
{
    row = std::max(row, 0);
    return row < tierRows ? tiers[row].shift : 0.0;
}

RockPile::FillOrder RockPile::fillOrder(int n)
{
    FillOrder order;
    for (int p = 0; p < n; ++p)
        order.append(p);
    // Distances are whole or half seats, so the tie test is exact; the left position wins a tie.
    const double mid = (n - 1) / 2.0;
    std::sort(order.begin(), order.end(), [mid](int a, int b) {
        const double da = std::abs(a - mid), db = std::abs(b - mid);
        return da < db || (da == db && a < b);
    });
    return order;
}

double RockPile::spacing(int row)
{
    const int n = seatCap(row);
    const double s = size(row);
    double result = looseSpacing * s;
    if (n >= 2) {
        const double fit = (halfWidth - reach * s) / ((n - 1) / 2.0 + std::abs(shift(row)));
        result = std::min(result, std::max(fit, 0.0));
    }
    return result;
}

double RockPile::seatOffset(int row, int seat)
{
    row = std::max(row, 0);
    if (row >= tierRows)
        return 20 * std::sin((row - tierRows) * 0.72);
    const int n = seatCap(row);
    seat = std::clamp(seat, 0, n - 1);
    const double units = shift(row) + (fillOrder(n)[seat] - (n - 1) / 2.0);
    return units * spacing(row);
}

double RockPile::rowCenter(int row)
{
    row = std::max(row, 0);
    // Invariant: from row 11 up a row and the one below it both have size 66, so every further row
    // adds 66/2 + 66/2 - 0.52 * 66 = 31.68. Rows up to 11 are walked, at most eleven steps.
    const int walked = std::min(row, tierRows + 1);
    double center = size(0) / 2;
    for (int r = 0; r < walked; ++r)
        center = nextCenter(center, r);
    if (row == walked)
        return center;
    const double step = nextCenter(0, walked);
    return center + (row - walked) * step;
}

double RockPile::pileHeight(int count)
{
    if (count <= 0)
        return 0;
    const int row = place(count - 1).row;
    return rowCenter(row) + size(row) / 2;
}

double RockPile::contactTilt(int row, double x)
{
    if (row <= 0)
        return 0;
    const int below = row - 1;
    const int m = seatCap(below);
    QVarLengthArray<double, 5> xs;
    for (int seat = 0; seat < m; ++seat)
        xs.append(seatOffset(below, seat));
    std::sort(xs.begin(), xs.end());

    int k = m - 1;
    while (k >= 0 && xs[k] > x)
        --k;
    if (k >= 0 && k < m - 1) {
        // Between two stones: level on a stone and mid-gap, leaning towards the nearer gap edge.
        const double t = (x - xs[k]) / (xs[k + 1] - xs[k]);
        return 8 * std::sin(2 * std::numbers::pi * t);
    }
    // Overhanging an edge: lean outwards, fully once the overhang reaches 0.37 of the stone below.
    const double edge = xs[0] > x ? xs[0] : xs[m - 1];
    const double v = (x - edge) / (0.37 * size(below));
    return 12 * std::clamp(v, -1.0, 1.0);
}

int RockPile::nearestSeat(int above, int count)
{
    const Place from = place(above);
    const double x = seatOffset(from.row, from.seat);
    const int next = from.row + 1;
    const int first = firstIndex(next);
    const int end = std::min(first + seatCap(next), count);
    int best = -1;
    double bestDistance = 0;
    for (int i = first; i < end; ++i) {
        const double distance = std::abs(seatOffset(next, i - first) - x);
        if (best < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}
