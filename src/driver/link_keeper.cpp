#include "link_keeper.h"

namespace tarvex {

LinkKeeper::LinkKeeper(SerialLink& link, std::chrono::milliseconds retryInterval,
                       QObject* parent)
    : QObject(parent), mLink(link) {
    mRetry.setSingleShot(true);
    mRetry.setInterval(retryInterval);
    connect(&mRetry, &QTimer::timeout, this, &LinkKeeper::open);
    connect(&mLink, &SerialLink::linkLost, this, &LinkKeeper::fail);
    connect(&mLink, &SerialLink::linkUp, this, &LinkKeeper::link_linkUp);
}

void LinkKeeper::open() {
    // A link that connects later answers with linkUp or linkLost; only a refusal now is
    // retried from here.
    try {
        mLink.setPortOpen(true);
    } catch (const SerialError& e) {
        fail(e.reason());
    }
}

void LinkKeeper::fail(const QString& reason) {
    mDown = true;
    mRetry.start();
    emit down(reason);
}

void LinkKeeper::link_linkUp() {
    mRetry.stop();
    if (!mDown)
        return;
    mDown = false;
    emit up();
}

} // namespace tarvex
