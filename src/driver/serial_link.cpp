#include "serial_link.h"

namespace tarvex {

void SerialLink::raise(int event) {
    mCommEvent = event;
    emit OnComm();
}

void SerialLink::deferInSession(std::function<void()> fn) {
    QMetaObject::invokeMethod(
        this,
        [this, session = mSession, fn = std::move(fn)] {
            if (session == mSession)
                fn();
        },
        Qt::QueuedConnection);
}

void SerialLink::reportLoss(const QString& reason, std::function<void()> closeDevice) {
    newSession();
    deferInSession([this, reason, closeDevice = std::move(closeDevice)] {
        closeDevice();
        emit linkLost(reason);
        raise(kEventResource);
    });
}

} // namespace tarvex
