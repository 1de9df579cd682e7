#pragma once

#include <QtGlobal>

namespace tarvex {

// The peak mark of a bar meter: the highest reading holds for two seconds, then falls at a
// steady rate, never below the latest reading.
class PeakMeter {
public:
    static constexpr qint64 kHoldMs = 2000;
    static constexpr double kFallPerSecond = 1000.0; // watts: a full-power peak is gone in 2 s

    void add(int value, qint64 now);
    int peak(qint64 now) const;
    // Whether the mark is still falling, so that it changes without a new reading.
    bool falling(qint64 now) const { return peak(now) > mLatest; }

private:
    int mHeld = 0;
    qint64 mHeldAt = 0;
    int mLatest = 0;
};

} // namespace tarvex
