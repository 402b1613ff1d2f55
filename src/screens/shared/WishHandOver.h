#pragma once

#include <QObject>
#include <QUuid>

class AppState;

/// Hands a just-told wish to whoever shows the tower, a moment after it was stored. It belongs to the
/// store, not to the talk screen that told it: the screen may be gone by the time the moment comes, and
/// the new stone must still drop onto the tower.
class WishHandOver : public QObject {
    Q_OBJECT

public:
    /// The store's own hand-over, made on first use; it lives as long as the store.
    static WishHandOver *of(AppState *state);

    /// Sends `handedOver(id)` after `seconds`.
    void handOver(const QUuid &id, double seconds);

signals:
    /// The wish of `id` was told and stored; the tower may drop it in.
    void handedOver(const QUuid &id);

private:
    explicit WishHandOver(AppState *state);
};
