#include "rf_watch.h"

namespace tarvex {

RfWatch::RfWatch(const AmplifierItems& amp, QObject* parent)
    : QObject(parent), mAmp(amp), mForward(mAmp.item(QStringLiteral("pfwd"))) {
    if (mForward)
        connect(mForward.get(), &Item::ValueChange, this, &RfWatch::forward_ValueChange);
    mAbove = mAmp.integer(QStringLiteral("pfwd")) > kWatts;
}

void RfWatch::forward_ValueChange() {
    std::int32_t watts = 0;
    const bool above = mForward->Value().tryToLong(watts) == 0 && watts > kWatts;
    if (above) {
        mFell.invalidate();
    } else if (mAbove) {
        mFell.start();
        if (!mSettling) {
            mSettling = std::make_unique<QTimer>();
            mSettling->setSingleShot(true);
            mSettling->setTimerType(Qt::PreciseTimer); // never early
            connect(mSettling.get(), &QTimer::timeout, this, &RfWatch::settling_Timeout);
        }
        // Armed from an earlier fall, it finds out when it fires whether the power fell since.
        if (!mSettling->isActive())
            mSettling->start(kHold);
    }
    mAbove = above;
}

void RfWatch::settling_Timeout() {
    if (mAbove || !mFell.isValid())
        return;
    const auto low = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::nanoseconds(mFell.nsecsElapsed()));
    if (low < kHold) {
        mSettling->start(kHold - low);
        return;
    }
    emit cleared();
}

} // namespace tarvex
