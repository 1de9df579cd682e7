#include "driver/fault_table.h"
#include "driver/wire_format.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tarvex {
namespace {

TEST(WireFormat, SignedDecimalText) {
    EXPECT_EQ(wire::signedDecimal(1), " 1");
    EXPECT_EQ(wire::signedDecimal(0), " 0");
    EXPECT_EQ(wire::signedDecimal(-3), "-3");
    EXPECT_EQ(wire::signedDecimal(12), " 12");
    EXPECT_EQ(wire::signedDecimal(0.5), " .5");
    EXPECT_EQ(wire::signedDecimal(-0.25), "-.25");
    EXPECT_EQ(wire::signedDecimal(14.2), " 14.2");
    EXPECT_EQ(wire::signedDecimal(-32768), "-32768");
}

struct LeadingCase {
    const char* text;
    double value;
};

class LeadingNumber : public ::testing::TestWithParam<LeadingCase> {};

TEST_P(LeadingNumber, ReadsTheNumberAtTheStart) {
    EXPECT_DOUBLE_EQ(wire::leadingNumber(GetParam().text), GetParam().value) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, LeadingNumber,
                         ::testing::Values(LeadingCase{"14.200", 14.2}, LeadingCase{"12A", 12},
                                           LeadingCase{"FAULT", 0}, LeadingCase{"", 0},
                                           LeadingCase{"  -3", -3}, LeadingCase{" 12", 12},
                                           LeadingCase{"+.5x", 0.5}, LeadingCase{"1.25", 1.25},
                                           LeadingCase{"0.4567", 0.4567}, LeadingCase{"2e3 ", 2000},
                                           LeadingCase{"2e", 2}, LeadingCase{"7.", 7},
                                           LeadingCase{"-", 0}, LeadingCase{".", 0},
                                           LeadingCase{"1 2", 12}, LeadingCase{"&H00A0", 160},
                                           LeadingCase{"&hffff", -1}, LeadingCase{"&H8000", -32768},
                                           LeadingCase{"&H", 0}, LeadingCase{"40000", 40000}));

TEST(WireFormat, HugeExponentsAreInfiniteNotACrash) {
    EXPECT_TRUE(std::isinf(wire::leadingNumber("9e999")));
    EXPECT_FALSE(wire::toInt16(wire::leadingNumber("9e999")).has_value());
}

TEST(WireFormat, ParseHexIsSixteenBitTwosComplement) {
    EXPECT_EQ(wire::parseHex("00A0"), 160);
    EXPECT_EQ(wire::parseHex("FFFF"), -1);
    EXPECT_EQ(wire::parseHex("8000"), -32768);
    EXPECT_EQ(wire::parseHex("0100"), 256);
    EXPECT_EQ(wire::parseHex("00a0 "), 160);
    EXPECT_EQ(wire::parseHex("12G4"), 0x12);
    EXPECT_EQ(wire::parseHex("xyz"), 0);
    EXPECT_EQ(wire::parseHex(""), 0);
    EXPECT_EQ(wire::parseHex("10000"), std::nullopt);
}

TEST(WireFormat, ToInt16RoundsHalfToEvenWithinRange) {
    EXPECT_EQ(wire::toInt16(12.5), 12);
    EXPECT_EQ(wire::toInt16(13.5), 14);
    EXPECT_EQ(wire::toInt16(-32768.4), -32768);
    EXPECT_EQ(wire::toInt16(-32768.6), std::nullopt);
    EXPECT_EQ(wire::toInt16(32767.5), std::nullopt);
}

TEST(FaultTable, KnownAndUnknownCodes) {
    EXPECT_EQ(FaultText(12), "High input refl power");
    EXPECT_EQ(FaultText(-3), "Cap. step control fault");
    EXPECT_EQ(FaultText(3), "5v supply volage high");
    EXPECT_EQ(FaultText(11), "PIN back bias too low");
    EXPECT_EQ(FaultText(23), "Ctrl D/A feedback loop");
    EXPECT_EQ(FaultText(99), "Abuse prevention fault");
    for (int code : {0, 4, 7, 100, -1, 32767})
        EXPECT_EQ(FaultText(static_cast<std::int16_t>(code)), "Unknown or unlisted fault") << code;
}

} // namespace
} // namespace tarvex
