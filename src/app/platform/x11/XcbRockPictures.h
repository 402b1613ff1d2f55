#pragma once

#include <QByteArray>
#include <QImage>

#include <array>
#include <cstdint>
#include <list>
#include <vector>

/// The floating rock's pictures as the X server keeps them: one background pixmap (and, without a
/// compositor, one 1-bit shape) per step of roll, made on first use and kept while a byte budget lasts.
namespace XcbRockPictures {

/// How the server lays out images; from the connection's setup.
struct Layout {
    bool lsbFirst = true;   ///< image byte order of 32-bit pixels
    bool bitsLsbFirst = true; ///< bit order within a bitmap's bytes
    int bitmapPad = 32;     ///< a bitmap row is padded to this many bits
};

/// Pixels of a 32-bit ZPixmap. A translucent (32-bit, composited) window takes premultiplied ARGB; an
/// opaque one shows each pixel as it is, so the rim's half-transparent pixels keep their own colour
/// instead of fading to black.
QByteArray pixels(const QImage &picture, bool translucent, const Layout &layout);

/// A 1-bit shape: set where the picture is at least half opaque, rows padded as the server wants.
QByteArray mask(const QImage &picture, const Layout &layout);

/// How many degrees apart the kept pictures are: one a degree while all 360 fit the budget, fewer
/// (up to one every four degrees) for larger pictures.
int degreeStep(qsizetype bytesPerPicture, qsizetype budget);

/// The pictures kept on the server, most recently used first; what falls out of the budget is handed
/// back to be freed.
class Cache {
public:
    /// One angle's pictures on the server.
    struct Entry {
        int angle = 0;        ///< whole degrees, 0 to 359
        uint32_t pixmap = 0;  ///< the window's background
        uint32_t mask = 0;    ///< the window's shape; 0 with a compositor
        qsizetype bytes = 0;  ///< server memory held
    };

    explicit Cache(qsizetype budget) : m_budget(budget) { m_index.fill(m_entries.end()); }
    Cache(const Cache &) = delete; // the index points into the list
    Cache &operator=(const Cache &) = delete;

    /// The pictures of `angle`, now the most recently used; null when not kept.
    const Entry *find(int angle);
    /// Keeps `entry`; returns the least recently used entries that no longer fit (never `entry`).
    std::vector<Entry> insert(const Entry &entry);
    /// Empties the cache; returns every entry, to be freed.
    std::vector<Entry> clear();
    qsizetype bytes() const { return m_bytes; }
    qsizetype budget() const { return m_budget; }
    int count() const { return int(m_entries.size()); }

private:
    qsizetype m_budget;
    qsizetype m_bytes = 0;
    std::list<Entry> m_entries; ///< most recently used first
    /// Each angle's entry in `m_entries`, or its end: a frame looks its angle up without a search.
    std::array<std::list<Entry>::iterator, 360> m_index;
};

} // namespace XcbRockPictures
