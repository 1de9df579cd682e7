#include "history/reading_accumulator.h"

#include "../support/printers.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

struct Change {
    qint64 ms;
    std::size_t meter; // 0 pfwd, 1 prfl
    int value;
};
struct Row {
    qint64 second;
    int fwdPeak;
    double fwdMean;
    int rflPeak;
    double rflMean;
};
struct BurstCase {
    const char* name;
    std::vector<Change> changes;
    qint64 closeAt;
    std::vector<Row> rows;
};

class Burst : public testing::TestWithParam<BurstCase> {};

TEST_P(Burst, GivesPeakAndTimeWeightedMeanPerSecond) {
    ReadingAccumulator acc(3);
    std::vector<HistoryReading> out;
    acc.setLive(true, 10'000, out); // the clock starts at 10 s, the amplifier heard
    for (const Change& c : GetParam().changes)
        acc.set(c.meter, c.value, c.ms, out);
    acc.closeUpTo(GetParam().closeAt, out);
    ASSERT_EQ(out.size(), GetParam().rows.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        const Row& want = GetParam().rows[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(out[i].amplifier, 3);
        EXPECT_EQ(out[i].timeMs, want.second);
        EXPECT_EQ(out[i].peak[0], want.fwdPeak);
        EXPECT_EQ(out[i].peak[1], want.rflPeak);
        EXPECT_DOUBLE_EQ(out[i].mean[0], want.fwdMean);
        EXPECT_DOUBLE_EQ(out[i].mean[1], want.rflMean);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Readings, Burst, testing::Values(
    // 100 W for a quarter second, 300 W for a quarter, then nothing: mean 100, peak 300.
    BurstCase{"burst_within_one_second",
              {{10'250, 0, 100}, {10'250, 1, 10}, {10'500, 0, 300}, {10'750, 0, 0}, {10'750, 1, 0}},
              12'000, {{10'000, 300, 100.0, 10, 5.0}}},
    // A value held without change still reads in every second until it drops.
    BurstCase{"held_value_fills_quiet_seconds", {{10'500, 0, 80}, {13'250, 0, 0}}, 14'000,
              {{10'000, 80, 40.0, 0, 0}, {11'000, 80, 80.0, 0, 0}, {12'000, 80, 80.0, 0, 0},
               {13'000, 80, 20.0, 0, 0}}},
    // The value carried into a second is its starting peak, even when it falls at once.
    BurstCase{"carried_value_is_the_peak", {{10'900, 0, 500}, {11'100, 0, 50}}, 12'500,
              {{10'000, 500, 50.0, 0, 0}, {11'000, 500, 95.0, 0, 0}}},
    BurstCase{"unfinished_second_waits", {{10'100, 0, 20}, {10'200, 0, 0}}, 10'999, {}},
    BurstCase{"all_zero_gives_no_row", {{10'100, 0, 0}, {15'000, 1, 0}}, 20'000, {}}),
    test::CaseName{});
// clang-format on

} // namespace
} // namespace tarvex
