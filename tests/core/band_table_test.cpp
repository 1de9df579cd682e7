#include "../support/printers.h"
#include "core/band_table.h"

namespace tarvex {
namespace {

struct BandCase {
    const char* name;
    qint64 hz;
    int band; // 0: outside every band
};

class BandTableTest : public ::testing::TestWithParam<BandCase> {};

TEST_P(BandTableTest, FrequencyMapsToTheAmplifiersBandNumber) {
    const BandCase& c = GetParam();
    EXPECT_EQ(BandTable::bandOf(c.hz).value_or(0), c.band);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, BandTableTest,
    ::testing::Values(
        BandCase{"below_160m", 1'799'999, 0}, BandCase{"160m_low_edge", 1'800'000, 1},
        BandCase{"160m_high_edge", 2'000'000, 1}, BandCase{"between_160_and_80", 2'000'001, 0},
        BandCase{"80m_low_edge", 3'500'000, 2}, BandCase{"40m_high_edge", 7'300'000, 3},
        BandCase{"above_40m", 7'300'001, 0}, BandCase{"30m", 10'125'000, 4},
        BandCase{"20m", 14'200'000, 5}, BandCase{"20m_high_edge", 14'350'000, 5},
        BandCase{"above_20m", 14'350'001, 0}, BandCase{"17m_low_edge", 18'068'000, 6},
        BandCase{"15m", 21'450'000, 7}, BandCase{"12m_high_edge", 24'990'000, 8},
        BandCase{"10m_high_edge", 29'700'000, 9}, BandCase{"above_10m", 29'700'001, 0},
        BandCase{"2m", 145'000'000, 0}, BandCase{"zero", 0, 0}),
    test::CaseName{});

} // namespace
} // namespace tarvex
