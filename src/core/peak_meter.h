#pragma once

#include <QtGlobal>

namespace tarvex {

// The peak mark of a bar meter: the highest reading holds for two seconds, then falls at a
// steady rate, never below the latest reading. Times are milliseconds of any one clock.
class PeakMeter {
public:
    static constexpr qint64 kHoldMs = 2000;

    // fallPerSecond: how fast the mark falls once held, in the readings' own unit per second.
    explicit PeakMeter(double fallPerSecond) : mFallPerSecond(fallPerSecond) {}

    void add(int value, qint64 now);
    int peak(qint64 now) const;
    // Whether the mark is above the latest reading, so that it changes without a new reading.
    bool falling(qint64 now) const { return peak(now) > mLatest; }
    int latest() const { return mLatest; }
    // When the held peak starts to fall.
    qint64 fallsFrom() const { return mHeldAt + kHoldMs; }
    // Forgets the held peak: the mark stands at the latest reading.
    void reset() { mHeld = mLatest; }

private:
    double mFallPerSecond;
    int mHeld = 0;
    qint64 mHeldAt = 0;
    int mLatest = 0;
};

} // namespace tarvex
