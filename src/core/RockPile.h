#pragma once

#include <QList>
#include <QVarLengthArray>

#include <array>
#include <utility>

/// The stacking rules of the wish pile: where the n-th stone sits, how it leans, and how the list is
/// rearranged when a stone is taken out. Everything is a pure function of the stone's index.
///
/// Lengths are in points; horizontal offsets are from the pile's centre, positive to the right; heights
/// are upwards from the pile's bottom edge; angles are degrees, positive clockwise.
///
/// The ten tiers hold stones 0..32; above them every row holds one stone, so stone 33 + k sits alone in
/// row 10 + k. Functions on rows 10 and up use that closed form, so each call is O(1) for any pile.
class RockPile {
public:
    /// One row of the pyramid.
    struct Tier {
        int count;    ///< seats in the row
        double size;  ///< side length of a stone in the row
        double shift; ///< horizontal shift of the whole row, in seat spacings
    };

    /// A stone's row and its seat in the row's fill order (seat 0 is filled first).
    struct Place {
        int row;
        int seat;

        bool operator==(const Place &) const = default;
    };

    /// Seat positions of a row in the order they are filled; never allocates for a tier row.
    using FillOrder = QVarLengthArray<int, 5>;

    /// The pyramid, bottom row first.
    static constexpr std::array<Tier, 10> tiers{{
        {5, 92, 0},
        {5, 89, +0.25},
        {4, 86, 0},
        {4, 83, -0.25},
        {3, 80, 0},
        {3, 77, +0.25},
        {3, 74, -0.25},
        {2, 72, 0},
        {2, 70, +0.25},
        {2, 68, -0.25},
    }};

    // Out-of-range input has a defined answer rather than reading past the tiers: a negative index
    // or row counts as 0, and a seat outside its row as the row's nearest seat.

    /// Row and seat of the stone at an index.
    static Place place(int index);
    /// Index of the first stone of a row.
    static int firstIndex(int row);
    /// Number of seats in a row: the tier's count, then 1.
    static int seatCap(int row);
    /// Stone size in a row: the tier's size, then 67 for row 10 and 66 above.
    static double size(int row);
    /// Horizontal shift of a row in seat spacings; 0 above the tiers.
    static double shift(int row);
    /// Positions 0..n-1 nearest the middle first, the left one first on a tie.
    static FillOrder fillOrder(int n);
    /// Distance between neighbouring seats of a row, narrowed so the outermost stone stays in bounds.
    static double spacing(int row);
    /// Horizontal offset of a seat; rows above the tiers sway instead.
    static double seatOffset(int row, int seat);
    /// Height of a row's centre above the pile bottom.
    static double rowCenter(int row);
    /// Height of a pile of `count` stones: the top of its highest row, 0 when empty.
    static double pileHeight(int count);
    /// Lean in degrees of a stone of `row` centred at `x`, from the full row below it.
    static double contactTilt(int row, double x);
    /// Index of the existing stone in the next row up whose seat is horizontally nearest to the seat of
    /// `above`, the lowest index on a tie; -1 when that row holds none of the `count` stones.
    static int nearestSeat(int above, int count);

    /// The list with the stone at `index` taken out: the stone nearest above drops into the hole, the
    /// hole climbs to the top row and the last stone fills what is left there. Every other stone keeps
    /// its index. An index outside the list returns the list unchanged.
    template <typename T> static QList<T> collapsed(QList<T> list, qsizetype index);
};

template <typename T> QList<T> RockPile::collapsed(QList<T> list, qsizetype index)
{
    if (index < 0 || index >= list.size())
        return list;
    const int count = int(list.size());
    const int lastRow = place(count - 1).row;
    int hole = int(index);
    // Each slot moved from becomes the hole, so it is refilled or is the last slot, which is dropped.
    while (place(hole).row < lastRow) {
        const int above = nearestSeat(hole, count);
        list[hole] = std::move(list[above]);
        hole = above;
    }
    if (hole != count - 1)
        list[hole] = std::move(list[count - 1]);
    list.removeLast();
    return list;
}
