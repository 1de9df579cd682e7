#include "band_follower.h"

#include "band_switch.h"
#include "core/band_table.h"
#include "rig_items.h"

namespace tarvex {

BandFollower::BandFollower(const HubPtr& hub, BandSwitch& bands, QObject* parent)
    : QObject(parent), mBands(bands), mRigFreq(hub->AttachItem(QStringLiteral("rig.freq"))),
      mRigPtt(hub->AttachItem(QStringLiteral("rig.ptt"))) {
    for (const ItemPtr& it : {mRigFreq, mRigPtt})
        connect(it.get(), &Item::ValueChange, this, &BandFollower::evaluate);
    // What the amplifier reports counts too: its band, its mains, its link, and the end of its
    // forward power. Such a change usually comes from one of its reports, while which the
    // driver sends nothing: answer once the report is done.
    mAfterReport.setSingleShot(true);
    mAfterReport.setInterval(0);
    connect(&mAfterReport, &QTimer::timeout, this, &BandFollower::evaluate);
    const AmplifierItems& amp = bands.amplifier();
    for (const char* base : {amp::kReportedBand, amp::kState, amp::kLink}) {
        if (const ItemPtr it = amp.item(QString::fromLatin1(base)))
            connect(it.get(), &Item::ValueChange, &mAfterReport, qOverload<>(&QTimer::start));
    }
    connect(&bands.rf(), &RfWatch::cleared, this, &BandFollower::evaluate);
    mBands.setFollowed(true);
}

BandFollower::~BandFollower() {
    mBands.setFollowed(false);
}

void BandFollower::evaluate() {
    std::int32_t hz = 0;
    if (!RigItems::allowsBandChange(mRigPtt->Value()))
        return;
    if (mRigFreq->Value().tryToLong(hz) != 0)
        return;
    const auto band = BandTable::bandOf(hz);
    if (!band)
        return;
    const int reported = mBands.reportedBand();
    // It was on the radio's band and reports another one now: someone moved it.
    const bool movedAway = mOnRadioBand == *band && reported != 0 && reported != *band;
    if (reported == *band)
        mOnRadioBand = *band;
    if (mBands.request(*band) == BandSwitch::Result::Sent && movedAway)
        mBands.amplifier().write(QStringLiteral("message"),
                                 QStringLiteral("follows the radio: %1; switch following off in "
                                                "Station Links to choose by hand")
                                     .arg(BandTable::name(*band)));
}

} // namespace tarvex
