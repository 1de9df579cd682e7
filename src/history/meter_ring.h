#pragma once

#include "history_rows.h"

#include <cstddef>
#include <vector>

namespace tarvex {

// The last metering lines of one amplifier, oldest first, in memory. Its room is taken once,
// when it is made, and never grows: a full ring drops its oldest row for each new one, so
// keeping a row costs a copy of a few numbers and nothing else, whatever the line rate.
class MeterRing {
public:
    // 411 lines a second for seven seconds (the five before a trip and the two after) is 2877
    // rows; the rest is margin for a faster amplifier. The seconds before a trip are still here
    // when its two seconds after have been recorded, so nothing is copied at the trip itself.
    static constexpr std::size_t kCapacity = 4096;

    MeterRing();

    void push(const TripReading& row);
    // The newest row takes these meters (more of the same line); nothing without a row.
    void amendNewest(const std::array<int, kMeterCount>& meters);
    void clear();

    std::size_t size() const { return mSize; }
    bool empty() const { return mSize == 0; }
    // i from 0, the oldest kept.
    const TripReading& at(std::size_t i) const;
    // The rows from fromMs to toMs, both included, oldest first.
    std::vector<TripReading> between(qint64 fromMs, qint64 toMs) const;

private:
    std::vector<TripReading> mRows;
    std::size_t mFirst = 0;
    std::size_t mSize = 0;
};

} // namespace tarvex
