#pragma once

#include <QtGlobal>

#include <deque>
#include <functional>
#include <utility>

namespace tarvex {

// The highest reading of the last window. A reading holds until the next one (an item
// announces changes only), so the latest counts however old it is, and an earlier one counts
// while its successor came within the window.
class PeakHold {
public:
    using Clock = std::function<qint64()>; // milliseconds, monotonic

    explicit PeakHold(qint64 windowMs = 2000, Clock clock = {});

    void add(int value);
    int peak() const;

private:
    void prune(qint64 now);

    qint64 mWindowMs;
    Clock mClock;
    std::deque<std::pair<qint64, int>> mReadings; // {when, value}, oldest first
};

} // namespace tarvex
