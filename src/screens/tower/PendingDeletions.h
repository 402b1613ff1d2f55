#pragma once

#include <QHash>
#include <QObject>
#include <QUuid>

class AppState;
class Delay;

/// Deletions the user confirmed and that wait for their stone to shrink away before the store takes
/// the wish off the pile. They belong to the store, not to the screen that asked: a screen hidden or
/// replaced during the wait must not bring the wish back. Quitting performs every waiting one at once.
class PendingDeletions : public QObject {
    Q_OBJECT

public:
    /// The store's own queue, made on first use; it lives as long as the store.
    static PendingDeletions *of(AppState *state);

    /// Deletes the wish of `id` after `seconds` (matched by id when the time comes; gone already is fine).
    void schedule(const QUuid &id, double seconds);
    /// Number of deletions waiting.
    int count() const { return int(m_waiting.size()); }
    /// Performs every waiting deletion now, in the order they were confirmed.
    void flush();

private:
    explicit PendingDeletions(AppState *state);
    /// Takes the wish of `id` off the store now.
    void perform(const QUuid &id);

    AppState *m_state;
    QHash<QUuid, Delay *> m_waiting;
    QList<QUuid> m_order; ///< confirmation order, for flushing
};
