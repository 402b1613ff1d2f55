// The save file's fuzz target. Whatever the decoder accepts, the program may later write back, so
// a decoded value must survive the trip: written, read again to the same value, and written again
// to the same bytes. Otherwise a save quietly changes or loses what the user had.
#include "SaveData.h"
#include "WishJsonCache.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

[[noreturn]] void fail(const char *what, const QByteArray &input, const QByteArray &written = {},
                       const QByteArray &then = {})
{
    std::fprintf(stderr, "save file round trip: %s\ninput:   %s\n", what, input.constData());
    if (!written.isNull())
        std::fprintf(stderr, "written: %s\n", written.constData());
    if (!then.isNull())
        std::fprintf(stderr, "then:    %s\n", then.constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // No copy: the decoder must stay within exactly these bytes, and the sanitizers can tell.
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    // The raw input is printed on failure, and it need not end in a zero byte.
    const auto shown = [&] { return QByteArray(input.constData(), input.size()); };
    const std::optional<SaveData> decoded = SaveData::decode(input);
    if (!decoded)
        return 0;

    const std::optional<QByteArray> written = decoded->encode();
    if (!written)
        fail("a value read from a file cannot be written", shown());
    const std::optional<SaveData> reread = SaveData::decode(*written);
    if (!reread)
        fail("the written file cannot be read", shown(), *written);
    if (!(*reread == *decoded)) {
        const std::optional<QByteArray> rewritten = reread->encode();
        fail("the written file reads as another value", shown(), *written,
             rewritten.value_or("(unwritable)"));
    }
    const std::optional<QByteArray> rewritten = reread->encode();
    if (!rewritten || *rewritten != *written)
        fail("the value read back is written differently", shown(), *written,
             rewritten.value_or("(unwritable)"));

    // Saves go through the wish cache: it must write the very same bytes, on a first save and on a
    // second one where every wish comes from the cache.
    WishJsonCache cache;
    for (int save = 0; save < 2; ++save) {
        const std::optional<QByteArray> cached = decoded->encode(&cache);
        if (!cached || *cached != *written)
            fail("a save through the wish cache writes other bytes", shown(), *written,
                 cached.value_or("(unwritable)"));
    }
    return 0;
}
