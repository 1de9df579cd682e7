#pragma once

#include "history_rows.h"

#include <vector>

namespace tarvex {

// Turns one amplifier's meter changes into per-second readings. A meter holds its value until
// the next change, so the mean weighs each value by how long it was shown, and a second in
// which nothing changed still reads what was held. Seconds in which every meter read 0 give
// no reading. Only time while the amplifier is heard counts: meters that are not live (the
// link is not up, or the server is stopped) are followed but not read.
class ReadingAccumulator {
public:
    // After a gap longer than this (a suspended computer, a clock set forward) the held values
    // are carried without filling every missing second.
    static constexpr int kMaxFilledSeconds = 3600;

    explicit ReadingAccumulator(int amplifier) : mAmplifier(amplifier) {}

    // A meter changed at timeMs; readings for the seconds that ended before it are appended.
    void set(std::size_t meter, int value, qint64 timeMs, std::vector<HistoryReading>& out);
    // Appends the readings of every second that has ended by timeMs.
    void closeUpTo(qint64 timeMs, std::vector<HistoryReading>& out);
    // From timeMs on the held values count (live) or not. The second under way keeps what it
    // gathered and is appended once it has ended.
    void setLive(bool live, qint64 timeMs, std::vector<HistoryReading>& out);
    // Forgets the held values: the items they came from are gone.
    void forgetValues() { mValue.fill(0); }

private:
    void startSecond(qint64 secondStart);
    // Counts the held values in up to timeMs, if they are live.
    void holdUntil(qint64 timeMs);

    int mAmplifier;
    bool mStarted = false;
    bool mLive = false;
    qint64 mSecond = 0; // start of the second being gathered
    qint64 mLast = 0;   // time up to which the held values are counted in
    std::array<int, kMeterCount> mValue{};
    std::array<int, kMeterCount> mPeak{};
    std::array<double, kMeterCount> mSum{}; // value x milliseconds
};

} // namespace tarvex
