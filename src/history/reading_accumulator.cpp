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
    if (mLive)
        mPeak = mValue;
    else
        mPeak.fill(0);
    mSum.fill(0.0);
}

void ReadingAccumulator::holdUntil(qint64 timeMs) {
    if (mLive) {
        for (std::size_t m = 0; m < kMeterCount; ++m)
            mSum[m] += static_cast<double>(mValue[m]) * static_cast<double>(timeMs - mLast);
    }
    mLast = timeMs;
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
        holdUntil(end);
        bool shown = false;
        HistoryReading reading;
        reading.timeMs = mSecond;
        reading.amplifier = mAmplifier;
        for (std::size_t m = 0; m < kMeterCount; ++m) {
            reading.peak[m] = mPeak[m];
            reading.mean[m] = mSum[m] / kSecond;
            shown = shown || mPeak[m] != 0;
        }
        if (shown)
            out.push_back(reading);
        const bool held =
            mLive && std::any_of(mValue.begin(), mValue.end(), [](int v) { return v != 0; });
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
    holdUntil(std::max(timeMs, mLast));
    mValue[meter] = value;
    if (mLive)
        mPeak[meter] = std::max(mPeak[meter], value);
}

void ReadingAccumulator::setLive(bool live, qint64 timeMs, std::vector<HistoryReading>& out) {
    if (live == mLive)
        return;
    closeUpTo(timeMs, out);
    holdUntil(std::max(timeMs, mLast));
    mLive = live;
    if (live) {
        for (std::size_t m = 0; m < kMeterCount; ++m)
            mPeak[m] = std::max(mPeak[m], mValue[m]);
    }
}

} // namespace tarvex
