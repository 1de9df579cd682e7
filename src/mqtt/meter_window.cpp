#include "meter_window.h"

#include <algorithm>

namespace tarvex {

void MeterWindow::restart(double held, qint64 nowMs) {
    mStart = mLast = nowMs;
    mValue = mPeak = held;
    mArea = 0;
}

void MeterWindow::add(double value, qint64 nowMs) {
    mArea += mValue * double(nowMs - mLast);
    mLast = nowMs;
    mValue = value;
    mPeak = std::max(mPeak, value);
}

double MeterWindow::mean(qint64 nowMs) const {
    const qint64 span = nowMs - mStart;
    if (span <= 0)
        return mValue;
    return (mArea + mValue * double(nowMs - mLast)) / double(span);
}

} // namespace tarvex
