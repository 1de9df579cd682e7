#include "resolving_serial_link.h"

#include "qt_serial_link.h"
#include "tcp_serial_link.h"

namespace tarvex {

ResolvingSerialLink::ResolvingSerialLink(const PortNames& names, QObject* parent)
    : SerialLink(parent), mNames(names) {
    const QString device = mNames.deviceFor(1).value_or(QString());
    mNetwork = PortNames::isNetworkName(device);
    mLink = makeFor(device);
}

std::unique_ptr<SerialLink> ResolvingSerialLink::makeFor(const QString& device) const {
    std::unique_ptr<SerialLink> link;
    if (PortNames::isNetworkName(device)) {
        link = std::make_unique<TcpSerialLink>(mNames);
    } else {
        link = std::make_unique<QtSerialLink>(mNames);
    }
    connect(link.get(), &SerialLink::OnComm, this, &SerialLink::OnComm);
    connect(link.get(), &SerialLink::linkLost, this, &SerialLink::linkLost);
    connect(link.get(), &SerialLink::linkUp, this, &SerialLink::linkUp);
    connect(link.get(), &SerialLink::outputDrained, this, &SerialLink::outputDrained);
    return link;
}

void ResolvingSerialLink::setCommPort(std::int16_t port) {
    const QString device = mNames.deviceFor(port).value_or(QString());
    if (PortNames::isNetworkName(device) == mNetwork || mLink->portOpen()) {
        mLink->setCommPort(port); // refuses a change while open
        return;
    }
    auto next = makeFor(device);
    next->setCommPort(port);
    // Each kind reads the settings text its own way; one the new kind refuses leaves its
    // default, as a refused text does at start.
    try {
        next->setSettings(mLink->settings());
    } catch (const SerialError&) {
    }
    next->setInputMode(mInputMode);
    next->setRThreshold(mRThreshold);
    mLink = std::move(next);
    mNetwork = !mNetwork;
}

void ResolvingSerialLink::setInputMode(int mode) {
    mLink->setInputMode(mode);
    mInputMode = mode;
}

void ResolvingSerialLink::setRThreshold(int threshold) {
    mLink->setRThreshold(threshold);
    mRThreshold = threshold;
}

} // namespace tarvex
