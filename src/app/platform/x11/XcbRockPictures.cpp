#include "XcbRockPictures.h"

#include <algorithm>
#include <cmath>

namespace XcbRockPictures {

namespace {
// A pixel at least this opaque belongs to the shape.
constexpr int shapeAlpha = 128;
// Pictures farther apart than this would show the roll in visible jumps.
constexpr int coarsestStep = 4;

/// `value` with its bytes in the server's order.
uint32_t inServerOrder(uint32_t value, bool lsbFirst)
{
    if (lsbFirst == (Q_BYTE_ORDER == Q_LITTLE_ENDIAN))
        return value;
    return ((value & 0xff) << 24) | ((value & 0xff00) << 8) | ((value >> 8) & 0xff00) | (value >> 24);
}
} // namespace

QByteArray pixels(const QImage &picture, bool translucent, const Layout &layout)
{
    const QImage image = picture.convertToFormat(translucent ? QImage::Format_ARGB32_Premultiplied
                                                             : QImage::Format_ARGB32);
    QByteArray bytes(qsizetype(image.width()) * image.height() * 4, Qt::Uninitialized);
    auto *out = reinterpret_cast<uint32_t *>(bytes.data());
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const uint32_t *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            *out++ = inServerOrder(row[x], layout.lsbFirst);
    }
    return bytes;
}

QByteArray mask(const QImage &picture, const Layout &layout)
{
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const int rowBytes = (image.width() + layout.bitmapPad - 1) / layout.bitmapPad * layout.bitmapPad / 8;
    QByteArray bits(qsizetype(rowBytes) * image.height(), '\0');
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        char *out = bits.data() + qsizetype(y) * rowBytes;
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(row[x]) >= shapeAlpha)
                out[x / 8] = char(out[x / 8] | (layout.bitsLsbFirst ? 1 << (x % 8) : 0x80 >> (x % 8)));
        }
    }
    return bits;
}

int degreeStep(qsizetype bytesPerPicture, qsizetype budget)
{
    const double needed = 360.0 * double(bytesPerPicture) / double(std::max<qsizetype>(1, budget));
    return std::clamp(int(std::ceil(needed)), 1, coarsestStep);
}

const Cache::Entry *Cache::find(int angle)
{
    const auto found = m_index[angle];
    if (found == m_entries.end())
        return nullptr;
    m_entries.splice(m_entries.begin(), m_entries, found); // iterators stay valid
    return &m_entries.front();
}

std::vector<Cache::Entry> Cache::insert(const Entry &entry)
{
    m_entries.push_front(entry);
    m_index[entry.angle] = m_entries.begin();
    m_bytes += entry.bytes;
    std::vector<Entry> evicted;
    while (m_bytes > m_budget && m_entries.size() > 1) {
        evicted.push_back(m_entries.back());
        m_bytes -= m_entries.back().bytes;
        m_index[m_entries.back().angle] = m_entries.end();
        m_entries.pop_back();
    }
    return evicted;
}

std::vector<Cache::Entry> Cache::clear()
{
    std::vector<Entry> all(m_entries.begin(), m_entries.end());
    m_entries.clear();
    m_index.fill(m_entries.end());
    m_bytes = 0;
    return all;
}

} // namespace XcbRockPictures
