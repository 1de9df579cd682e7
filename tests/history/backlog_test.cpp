#include "history/history_backlog.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

HistoryBatch seconds(int amplifier, int from, int count) {
    HistoryBatch b;
    for (int s = from; s < from + count; ++s)
        b.readings.push_back({s * 1000LL, amplifier, {}, {}});
    return b;
}

// A lock that lasts costs each amplifier its oldest readings, and the oldest events, counted
// until what is kept is written.
TEST(Backlog, KeepsTheNewestOfEachAmplifierAndCountsWhatWent) {
    HistoryBacklog kept;
    kept.add(seconds(0, 0, 500));
    kept.add(seconds(1, 0, 10));
    kept.add(seconds(0, 500, 150));
    kept.add(seconds(0, 650, 50));
    HistoryBatch events;
    for (std::size_t i = 0; i < HistoryBacklog::kMaxEvents + 5; ++i)
        events.events.push_back({static_cast<qint64>(i), 0, {}, QStringLiteral("state"), {}, {}});
    kept.add(std::move(events));

    // The quiet amplifier keeps all ten.
    const auto& readings = kept.batch().readings;
    ASSERT_EQ(readings.size(), HistoryBacklog::kReadingsPerAmplifier + 10);
    EXPECT_EQ(readings.front().timeMs, 100'000);
    EXPECT_EQ(readings.back().timeMs, 699'000);
    EXPECT_EQ(kept.droppedReadings(), 100);
    EXPECT_EQ(kept.batch().events.front().timeMs, 5);
    EXPECT_EQ(kept.droppedEvents(), 5);

    kept.clear();
    kept.add(seconds(0, 0, 1));
    EXPECT_EQ(kept.droppedReadings(), 0);
}

} // namespace
} // namespace tarvex
