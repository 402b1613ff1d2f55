#include "WishJsonCache.h"

#include "JsonWriter.h"
#include "RecordJson.h"

QByteArrayView WishJsonCache::json(const Wish &wish)
{
    const auto found = m_entries.constFind(wish.id);
    if (found != m_entries.cend() && found->wish == wish)
        return found->json;
    JsonWriter out;
    RecordJson::write(out, wish);
    if (!out.ok())
        return {};
    QByteArray json = out.take();
    json.squeeze();
    return m_entries.insert(wish.id, Entry{wish, std::move(json)})->json;
}

void WishJsonCache::prune(const QList<Wish> &wishes)
{
    if (m_entries.size() <= 2 * wishes.size() + 16)
        return;
    QHash<QUuid, Entry> kept;
    kept.reserve(wishes.size());
    for (const Wish &wish : wishes) {
        const auto found = m_entries.constFind(wish.id);
        if (found != m_entries.cend())
            kept.insert(wish.id, *found);
    }
    m_entries = std::move(kept);
}
