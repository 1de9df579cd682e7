#pragma once

#include "serial_link.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>

namespace tarvex {

// Keeps a driver's link open: when it cannot be opened, or the device goes away, it tries to
// open it again on a single-shot timer until the link is up, so nothing runs while waiting.
// The link keeps its settings while closed, so each attempt opens it as it was.
class LinkKeeper : public QObject {
    Q_OBJECT

public:
    // The link must outlive the keeper.
    LinkKeeper(SerialLink& link, std::chrono::milliseconds retryInterval,
               QObject* parent = nullptr);

    // Opens the link now; a failure is reported through down() and retried.
    void open();
    // From a failure until the link is up again.
    bool isDown() const { return mDown; }

signals:
    // The link could not be opened or was lost, for this reason; another attempt follows.
    void down(const QString& reason);
    // The link is up again after being down.
    void up();

private:
    void fail(const QString& reason);
    void link_linkUp();

    SerialLink& mLink;
    QTimer mRetry;
    bool mDown = false;
};

} // namespace tarvex
