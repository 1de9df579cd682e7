#pragma once

#include "history_rows.h"

#include <optional>

namespace tarvex {

// What the recorder could not write while history.db was locked by another program: kept in
// memory in the order it was gathered, and bounded, so that a lock that lasts all day costs the
// oldest readings rather than the memory.
class HistoryBacklog {
public:
    // Ten minutes of each amplifier's readings at one a second; events are far rarer.
    static constexpr std::size_t kReadingsPerAmplifier = 600;
    static constexpr std::size_t kMaxEvents = 10'000;
    // A trip holds up to a few thousand lines; the newest are the ones worth keeping.
    static constexpr std::size_t kMaxTrips = 20;

    // Adds what was gathered since, after what is kept, and drops the oldest past the bounds.
    void add(HistoryBatch&& batch);
    const HistoryBatch& batch() const { return mBatch; }
    bool empty() const { return mBatch.empty(); }
    // The time of the oldest event or reading kept.
    std::optional<qint64> oldestMs() const;
    // Readings and events dropped since the backlog was last empty.
    qint64 droppedReadings() const { return mDroppedReadings; }
    qint64 droppedEvents() const { return mDroppedEvents; }
    // What was kept is written: nothing is kept or dropped any more.
    void clear();

private:
    void bound();

    HistoryBatch mBatch;
    qint64 mDroppedReadings = 0;
    qint64 mDroppedEvents = 0;
};

} // namespace tarvex
