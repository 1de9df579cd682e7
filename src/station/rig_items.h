#pragma once

#include "core/hub.h"
#include "rig_client.h"

#include <QObject>

#include <optional>

namespace tarvex {

// Publishes a rig link in the hub, so the event trail and the inspector show it and the band
// followers read it: "rig.link" (text), "rig.freq" (Hz, 0 while unknown), "rig.ptt" (a
// RigPtt), "rig.ignored" (replies that were not what was asked) and "rig.dropped" (bytes
// thrown away unread). A frequency on another band is published only once two polls in a row
// have read that band: a radio flipping between bands moves nothing.
class RigItems : public QObject {
    Q_OBJECT

public:
    RigItems(const HubPtr& hub, RigClient& client, QObject* parent = nullptr);

    // "up", "connecting to HOST:PORT", "lost (reason); retrying", "off".
    static QString linkText(const RigClient& client);
    // A rig link that is gone leaves its items as no link at all: "off", 0 Hz, PTT not
    // reported. Items the hub does not have are not made.
    static void clear(const HubPtr& hub);
    // Whether a band may change as far as the radio goes (the amplifier's own forward power
    // is asked besides): it is known to receive, or it cannot say. No "rig.ptt" in the hub
    // means no radio is followed.
    static bool allowsBandChange(const HubPtr& hub);
    static bool allowsBandChange(const Variant& ptt);

private:
    void client_stateChanged();
    void client_frequencyRead(qint64 hz);

    RigClient& mClient;
    ItemPtr mLink;
    ItemPtr mFreq;
    ItemPtr mPtt;
    ItemPtr mIgnored;
    ItemPtr mDropped;
    // The band of the last reading, while it differs from the band published.
    std::optional<std::optional<int>> mNewBand;
};

} // namespace tarvex
