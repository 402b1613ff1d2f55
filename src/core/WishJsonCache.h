#pragma once

#include "Wish.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QUuid>


/// Remembers the JSON of each wish so a save re-encodes only the wishes that changed. Wishes almost
/// never change once made, and encoding thousands of numbers costs several times the file write.
/// Invariant: an entry's bytes are exactly what RecordJson writes for the entry's wish.
class WishJsonCache {
public:
    /// The JSON of `wish`; empty when it cannot be written (a non-finite number).
    QByteArrayView json(const Wish &wish);
    /// Drops entries of wishes no longer in `wishes` once stale ones pile up.
    void prune(const QList<Wish> &wishes);
    /// Number of remembered wishes.
    qsizetype size() const { return m_entries.size(); }
    /// Size of the last whole document, so the next one can be written without regrowing.
    qsizetype lastDocumentSize() const { return m_lastDocumentSize; }
    /// Records the size of the document just written.
    void setLastDocumentSize(qsizetype bytes) { m_lastDocumentSize = bytes; }

    /// A wish id as a hash key. Qt's own qHash(QUuid) folds the id's words with XOR, so ids crafted
    /// to cancel out collide whatever the seed, and a file full of them would make every save
    /// quadratic; this key hashes all 16 bytes with the seed instead.
    struct Key {
        QUuid id;
        bool operator==(const Key &) const = default;
    };
    /// The hash of a key.
    static size_t keyHash(const QUuid &id, size_t seed);

private:
    struct Entry {
        Wish wish; ///< shares its lists with the store's copy, so comparing is cheap
        QByteArray json;
    };
    QHash<Key, Entry> m_entries;
    qsizetype m_lastDocumentSize = 0;
};

/// Found by QHash through argument-dependent lookup.
inline size_t qHash(const WishJsonCache::Key &key, size_t seed)
{
    return WishJsonCache::keyHash(key.id, seed);
}
