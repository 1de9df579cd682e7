#include "history_backlog.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <vector>

namespace tarvex {

void HistoryBacklog::add(HistoryBatch&& batch) {
    if (mBatch.empty()) {
        mBatch = std::move(batch);
    } else {
        std::move(batch.events.begin(), batch.events.end(), std::back_inserter(mBatch.events));
        std::move(batch.readings.begin(), batch.readings.end(),
                  std::back_inserter(mBatch.readings));
        std::move(batch.trips.begin(), batch.trips.end(), std::back_inserter(mBatch.trips));
    }
    bound();
}

void HistoryBacklog::bound() {
    // Readings go by amplifier, so a busy amplifier does not push out a quiet one's.
    auto& readings = mBatch.readings;
    std::map<int, std::size_t> newer;
    std::vector<bool> keep(readings.size());
    for (std::size_t i = readings.size(); i-- > 0;)
        keep[i] = ++newer[readings[i].amplifier] <= kReadingsPerAmplifier;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < readings.size(); ++i) {
        if (keep[i])
            readings[kept++] = readings[i];
    }
    mDroppedReadings += static_cast<qint64>(readings.size() - kept);
    readings.resize(kept);

    if (mBatch.events.size() > kMaxEvents) {
        const auto excess = mBatch.events.size() - kMaxEvents;
        mBatch.events.erase(mBatch.events.begin(),
                            mBatch.events.begin() + static_cast<std::ptrdiff_t>(excess));
        mDroppedEvents += static_cast<qint64>(excess);
    }
    if (mBatch.trips.size() > kMaxTrips)
        mBatch.trips.erase(mBatch.trips.begin(),
                           mBatch.trips.end() - static_cast<std::ptrdiff_t>(kMaxTrips));
}

std::optional<qint64> HistoryBacklog::oldestMs() const {
    std::optional<qint64> oldest;
    const auto see = [&](qint64 t) { oldest = oldest ? std::min(*oldest, t) : t; };
    for (const HistoryEvent& e : mBatch.events)
        see(e.timeMs);
    for (const HistoryReading& r : mBatch.readings)
        see(r.timeMs);
    for (const HistoryTrip& t : mBatch.trips)
        see(t.timeMs);
    return oldest;
}

void HistoryBacklog::clear() {
    mBatch = {};
    mDroppedReadings = 0;
    mDroppedEvents = 0;
}

} // namespace tarvex
