#include "PendingDeletions.h"

#include "AppState.h"
#include "Delay.h"

#include <QCoreApplication>

PendingDeletions *PendingDeletions::of(AppState *state)
{
    if (auto *queue = state->findChild<PendingDeletions *>(QString(), Qt::FindDirectChildrenOnly))
        return queue;
    return new PendingDeletions(state);
}

PendingDeletions::PendingDeletions(AppState *state) : QObject(state), m_state(state)
{
    // The event loop has ended but the store is still whole: the last chance to keep a promise.
    if (QCoreApplication *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &PendingDeletions::flush);
}

void PendingDeletions::schedule(const QUuid &id, double seconds)
{
    if (m_waiting.contains(id))
        return;
    auto *delay = new Delay(this);
    m_waiting.insert(id, delay);
    m_order.append(id);
    connect(delay, &Animation::finished, this, [this, id] { perform(id); });
    delay->start(seconds);
}

void PendingDeletions::flush()
{
    // Performing removes from the list, so always take the first.
    while (!m_order.isEmpty())
        perform(m_order.first());
}

void PendingDeletions::perform(const QUuid &id)
{
    Delay *delay = m_waiting.take(id);
    if (!delay)
        return;
    m_order.removeOne(id);
    delay->cancel();
    delay->deleteLater();
    Wish wish;
    wish.id = id;
    m_state->deleteWish(wish);
}
