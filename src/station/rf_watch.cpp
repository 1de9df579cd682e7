#include "rf_watch.h"

namespace tarvex {

RfWatch::RfWatch(const AmplifierItems& amp, QObject* parent) : QObject(parent), mAmp(amp) {
    if (const ItemPtr forward = mAmp.item(QStringLiteral("pfwd")))
        connect(forward.get(), &Item::ValueChange, this, &RfWatch::forward_ValueChange);
    mAbove = mAmp.integer(QStringLiteral("pfwd")) > kWatts;
}

void RfWatch::forward_ValueChange() {
    const bool above = mAmp.integer(QStringLiteral("pfwd")) > kWatts;
    if (above) {
        mFell.invalidate();
        if (mSettling)
            mSettling->stop();
    } else if (mAbove) {
        mFell.start();
        if (!mSettling) {
            mSettling = std::make_unique<QTimer>();
            mSettling->setSingleShot(true);
            mSettling->setTimerType(Qt::PreciseTimer); // never early
            mSettling->setInterval(kHold);
            connect(mSettling.get(), &QTimer::timeout, this, &RfWatch::cleared);
        }
        mSettling->start();
    }
    mAbove = above;
}

} // namespace tarvex
