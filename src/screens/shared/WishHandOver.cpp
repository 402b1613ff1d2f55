#include "WishHandOver.h"

#include "AppState.h"
#include "Delay.h"

WishHandOver *WishHandOver::of(AppState *state)
{
    if (auto *handOver = state->findChild<WishHandOver *>(QString(), Qt::FindDirectChildrenOnly))
        return handOver;
    return new WishHandOver(state);
}

WishHandOver::WishHandOver(AppState *state) : QObject(state) {}

void WishHandOver::handOver(const QUuid &id, double seconds)
{
    auto *delay = new Delay(this);
    connect(delay, &Animation::finished, this, [this, delay, id] {
        delay->deleteLater();
        emit handedOver(id);
    });
    delay->start(seconds);
}
