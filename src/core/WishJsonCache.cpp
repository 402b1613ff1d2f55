#include "WishJsonCache.h"

#include "JsonWriter.h"
#include "RecordJson.h"

size_t WishJsonCache::keyHash(const QUuid &id, size_t seed)
{
    const QByteArray bytes = id.toRfc4122();
    return qHashBits(bytes.constData(), size_t(bytes.size()), seed);
}

QByteArrayView WishJsonCache::json(const Wish &wish)
{
    const auto found = m_entries.constFind(Key{wish.id});
    if (found != m_entries.cend() && found->wish == wish)
        return found->json;
    JsonWriter out;
    RecordJson::write(out, wish);
    if (!out.ok())
        return {};
    QByteArray json = out.take();
    json.squeeze();
    return m_entries.insert(Key{wish.id}, Entry{wish, std::move(json)})->json;
}

void WishJsonCache::prune(const QList<Wish> &wishes)
{
    if (m_entries.size() <= 2 * wishes.size() + 16)
        return;
    QHash<Key, Entry> kept;
    kept.reserve(wishes.size());
    for (const Wish &wish : wishes) {
        const auto found = m_entries.constFind(Key{wish.id});
        if (found != m_entries.cend())
            kept.insert(Key{wish.id}, *found);
    }
    m_entries = std::move(kept);
}
