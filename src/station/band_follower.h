#pragma once

#include "core/hub.h"

#include <QObject>
#include <QTimer>

namespace tarvex {

class BandSwitch;

// Keeps one amplifier on the radio's band, reading the radio from the rig items ("rig.freq"
// in Hz, "rig.ptt") that the rig link publishes. Nothing moves while the radio transmits or
// nobody knows whether it does: the change waits until PTT reads receiving, or, for a radio
// that cannot report PTT, until the amplifier's forward power has been low for a while. A
// frequency outside every band changes nothing. An amplifier that reports another band than
// the radio's (moved on its panel or its own front panel) is put back, and its message line
// says why. While it follows, nobody else chooses its band.
class BandFollower : public QObject {
    Q_OBJECT

public:
    BandFollower(const HubPtr& hub, BandSwitch& bands, QObject* parent = nullptr);
    ~BandFollower() override;

    void evaluate();

private:
    BandSwitch& mBands;
    ItemPtr mRigFreq;
    ItemPtr mRigPtt;
    QTimer mAfterReport;
    int mOnRadioBand = 0; // the radio's band, once the amplifier has reported it
};

} // namespace tarvex
