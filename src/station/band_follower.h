#pragma once

#include "core/hub.h"

#include <QObject>
#include <QTimer>

namespace tarvex {

class BandSwitch;

// Keeps one amplifier on the radio's band, reading the radio from the rig items ("rig.freq"
// in Hz, "rig.ptt") that the rig link publishes. Nothing moves while the radio transmits: the
// change waits until PTT reads 0. A frequency outside every band changes nothing. An amplifier
// that reports another band than the radio's (moved on its panel or its own front panel) is
// put back, and its message line says why.
class BandFollower : public QObject {
    Q_OBJECT

public:
    BandFollower(const HubPtr& hub, BandSwitch& bands, QObject* parent = nullptr);

    void evaluate();

private:
    BandSwitch& mBands;
    ItemPtr mRigFreq;
    ItemPtr mRigPtt;
    QTimer mAfterReport;
    int mOnRadioBand = 0; // the radio's band, once the amplifier has reported it
};

} // namespace tarvex
