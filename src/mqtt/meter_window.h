#pragma once

#include <QtGlobal>

namespace tarvex {

// One meter between two publications: its peak, and its mean weighted by how long each value
// stood (an item announces changes only, so a value that holds sends nothing more).
class MeterWindow {
public:
    // A new window from now, the meter standing at held.
    void restart(double held, qint64 nowMs);
    void add(double value, qint64 nowMs);

    double peak() const { return mPeak; }
    double mean(qint64 nowMs) const;
    double current() const { return mValue; }

private:
    qint64 mStart = 0;
    qint64 mLast = 0;
    double mValue = 0;
    double mPeak = 0;
    double mArea = 0; // value × milliseconds up to mLast
};

} // namespace tarvex
