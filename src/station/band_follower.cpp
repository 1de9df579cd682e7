#include "band_follower.h"

#include "band_switch.h"
#include "core/band_table.h"

namespace tarvex {

BandFollower::BandFollower(const HubPtr& hub, BandSwitch& bands, QObject* parent)
    : QObject(parent), mBands(bands), mRigFreq(hub->AttachItem(QStringLiteral("rig.freq"))),
      mRigPtt(hub->AttachItem(QStringLiteral("rig.ptt"))) {
    for (const ItemPtr& it : {mRigFreq, mRigPtt})
        connect(it.get(), &Item::ValueChange, this, &BandFollower::evaluate);
    // The amplifier's own band and mains count too: switched on, or moved by hand on its
    // panel, it is brought back to the radio's band. Such a change usually comes from one of
    // its reports, while which the driver sends nothing: answer once the report is done.
    mAfterReport.setSingleShot(true);
    mAfterReport.setInterval(0);
    connect(&mAfterReport, &QTimer::timeout, this, &BandFollower::evaluate);
    const AmplifierItems& amp = bands.amplifier();
    for (const ItemPtr& it : {amp.item(QStringLiteral("band")), amp.item(QStringLiteral("ac"))}) {
        if (it)
            connect(it.get(), &Item::ValueChange, &mAfterReport, qOverload<>(&QTimer::start));
    }
}

void BandFollower::evaluate() {
    bool transmitting = false;
    std::int32_t hz = 0;
    if (mRigPtt->Value().tryToBoolean(transmitting) != 0 || transmitting)
        return;
    if (mRigFreq->Value().tryToLong(hz) != 0)
        return;
    if (const auto band = BandTable::bandOf(hz))
        mBands.request(*band);
}

} // namespace tarvex
