#include "../support/printers.h"
#include "driver/wire_format.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tarvex {
namespace {

TEST(WireFormat, SignedDecimalText) {
    for (const auto& [v, text] : std::vector<std::pair<double, QString>>{
             {1, " 1"}, {0, " 0"}, {-3, "-3"}, {0.5, " .5"}, {-0.25, "-.25"}, {14.2, " 14.2"}})
        EXPECT_EQ(wire::signedDecimal(v), text) << v;
}

struct LeadingCase {
    const char* name;
    const char* text;
    double value;
};

class LeadingNumber : public ::testing::TestWithParam<LeadingCase> {};
using L = LeadingCase;

TEST_P(LeadingNumber, ReadsTheNumberAtTheStart) {
    EXPECT_DOUBLE_EQ(wire::leadingNumber(QString::fromUtf8(GetParam().text)), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LeadingNumber,
    ::testing::Values(L{"decimal", "14.200", 14.2}, L{"stops_at_letter", "12A", 12},
                      L{"no_number", "FAULT", 0}, L{"empty", "", 0},
                      L{"spaces_then_sign", "  -3", -3}, L{"fraction_only", "+.5x", 0.5},
                      L{"exponent", "2e3 ", 2000}, L{"bare_exponent", "2e", 2},
                      L{"trailing_point", "7.", 7}, L{"lone_sign", "-", 0}, L{"lone_point", ".", 0},
                      L{"spaces_inside", "1 2", 12}, L{"tab_ends_number", "1\t2", 1},
                      L{"line_feed_ends_number", "-4\n5", -4},
                      L{"long_number", "1234567890123456789", 1234567890123456789.0},
                      L{"huge_exponent", "9e999", HUGE_VAL}, L{"hex", "&H00A0", 160},
                      L{"hex_all_ones", "&hffff", -1}, L{"hex_no_digits", "&H", 0},
                      L{"beyond_16_bits", "40000", 40000}),
    test::CaseName{});

TEST(WireFormat, ParseHexAndToInt16StayWithin16Bits) {
    EXPECT_EQ(wire::parseHex("00a0 "), 160);
    EXPECT_EQ(wire::parseHex("12G4"), 0x12);
    EXPECT_EQ(wire::parseHex("FFFF"), -1);
    EXPECT_EQ(wire::parseHex("10000"), std::nullopt);
    EXPECT_EQ(wire::toInt16(12.5), 12); // halves to the even neighbour
    EXPECT_EQ(wire::toInt16(-13.5), -14);
    EXPECT_EQ(wire::toInt16(-32768.6), std::nullopt);
    EXPECT_EQ(wire::toInt16(32767.5), std::nullopt);
    EXPECT_EQ(wire::toInt16(HUGE_VAL), std::nullopt);
}

} // namespace
} // namespace tarvex
