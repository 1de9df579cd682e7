#include "reading_accumulator.h"

#include <algorithm>

namespace tarvex {

namespace {
constexpr qint64 kSecond = 1000;

qint64 secondOf(qint64 timeMs) {
    return timeMs - ((timeMs % kSecond) + kSecond) % kSecond;
}
} // namespace

void ReadingAccumulator::startSecond(qint64 secondStart) {
    mSecond = secondStart;
    mLast = secondStart;
    mPeak = mValue;
    mSum.fill(0.0);
}

void ReadingAccumulator::closeUpTo(qint64 timeMs, std::vector<HistoryReading>& out) {
    if (!mStarted) {
        mStarted = true;
        startSecond(secondOf(timeMs));
        return;
    }
    int filled = 0;
    while (timeMs >= mSecond + kSecond) {
        const qint64 end = mSecond + kSecond;
        bool shown = false;
        HistoryReading reading;
        reading.timeMs = mSecond;
        reading.amplifier = mAmplifier;
        for (std::size_t m = 0; m < kMeterCount; ++m) {
            mSum[m] += static_cast<double>(mValue[m]) * static_cast<double>(end - mLast);
            reading.peak[m] = mPeak[m];
            reading.mean[m] = mSum[m] / kSecond;
            shown = shown || mPeak[m] != 0;
        }
        if (shown)
            out.push_back(reading);
        const bool held = std::any_of(mValue.begin(), mValue.end(), [](int v) { return v != 0; });
        if (held && ++filled < kMaxFilledSeconds)
            startSecond(end);
        else
            startSecond(std::max(end, secondOf(timeMs)));
    }
}

void ReadingAccumulator::set(std::size_t meter, int value, qint64 timeMs,
                             std::vector<HistoryReading>& out) {
    if (meter >= kMeterCount)
        return;
    closeUpTo(timeMs, out);
    // A clock set back counts the change as made now, within the second being gathered.
    const qint64 at = std::max(timeMs, mLast);
    for (std::size_t m = 0; m < kMeterCount; ++m)
        mSum[m] += static_cast<double>(mValue[m]) * static_cast<double>(at - mLast);
    mLast = at;
    mValue[meter] = value;
    mPeak[meter] = std::max(mPeak[meter], value);
}

} // namespace tarvex
