#pragma once

#include "core/hub.h"
#include "rig_client.h"

#include <QObject>

namespace tarvex {

// Publishes a rig link in the hub, so the event trail and the inspector show it and the band
// followers read it: "rig.link" (text), "rig.freq" (Hz, 0 while unknown), "rig.ptt" and
// "rig.ignored" (replies that were not numbers).
class RigItems : public QObject {
    Q_OBJECT

public:
    RigItems(const HubPtr& hub, RigClient& client, QObject* parent = nullptr);

    // "up", "connecting to HOST:PORT", "lost (reason); retrying", "off".
    static QString linkText(const RigClient& client);
    // A rig link that is gone leaves its items as no link at all: "off", 0 Hz, not
    // transmitting. Items the hub does not have are not made.
    static void clear(const HubPtr& hub);

private:
    void client_stateChanged();

    RigClient& mClient;
    ItemPtr mLink;
    ItemPtr mFreq;
    ItemPtr mPtt;
    ItemPtr mIgnored;
};

} // namespace tarvex
