#include "peak_meter.h"

#include <algorithm>
#include <cmath>

namespace tarvex {

void PeakMeter::add(int value, qint64 now) {
    if (value >= peak(now)) {
        mHeld = value;
        mHeldAt = now;
    }
    mLatest = value;
}

int PeakMeter::peak(qint64 now) const {
    const qint64 age = now - mHeldAt;
    double held = mHeld;
    if (age > kHoldMs)
        held -= mFallPerSecond * double(age - kHoldMs) / 1000.0;
    return std::max(mLatest, static_cast<int>(std::ceil(held)));
}

} // namespace tarvex
