#include "sim/amp_model.h"

#include "../support/printers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace tarvex::sim {
namespace {

enum class Start { Off, Standby, Operate };

// A model with no warm-up, brought to the wanted state, its output so far discarded.
AmpModel modelIn(Start start) {
    AmpModel m;
    m.setWarmupMs(0);
    if (start != Start::Off)
        m.feed("AC ON\r");
    if (start == Start::Operate)
        m.feed("OPER ON\r");
    m.takeOutput();
    m.clearLog();
    return m;
}

const std::string kZeroReadings = "FWD 0 RFL 0 INP 0 IG 0 IP 0.000\r\n";
const std::string kBand = "BAND 5 SEGMENT 2 FREQUENCY 14105\r\n";
const std::string kStatus = kBand + "TUNE = 56 LOAD = 55\r\n";
const std::string kStatusStandby = "STATE = STANDBY MODE = HIGH\r\n" + kStatus + kZeroReadings;
const std::string kOff = "AMPLIFIER IS OFF\r\n";
const std::string kSegment3 = "BAND 5 SEGMENT 3 FREQUENCY 14175\r\nTUNE = 54 LOAD = 54\r\n";

struct ReplyCase {
    const char* name;
    Start start;
    std::string command; // bytes as sent, CR included
    std::string reply;   // exact bytes expected back
};

class AmpModelSimReplies : public ::testing::TestWithParam<ReplyCase> {};

// Fed a byte at a time, as a slow line delivers them: a command waits for its end.
TEST_P(AmpModelSimReplies, AnswersCommandByteExactly) {
    AmpModel m = modelIn(GetParam().start);
    for (const char byte : GetParam().command)
        m.feed(std::string(1, byte));
    EXPECT_EQ(m.takeOutput(), GetParam().reply);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, AmpModelSimReplies,
    ::testing::Values(
        // Mains off: every command gets the same answer, except the memory reads the controller
        // still serves; the set-up switches are kept for later (see the metering test).
        ReplyCase{"OffSwitch", Start::Off, "RM ON\r", kOff},
        ReplyCase{"OffMemory", Start::Off, "DM B79D\r", "B79D = 1E00\r\n"},
        ReplyCase{"OffPowerOn", Start::Off, "AC ON\r", "POWER ON SEQUENCE\r\n" + kStatusStandby},
        ReplyCase{"Switch", Start::Standby, "GPIO OFF\r", ""}, // set-up switches: no answer
        // Operating, the status carries the carrier's readings; leaving operate zeroes them.
        ReplyCase{"StatusOperating", Start::Operate, "STAT\r",
                  "STATE = OPERATE MODE = HIGH\r\n" + kStatus +
                      "FWD 1470 RFL 3 INP 25 IG 48 IP 1.920\r\n"},
        ReplyCase{"OperOff", Start::Operate, "OPER OFF\r", kZeroReadings + "STATE = STANDBY\r\n"},
        ReplyCase{"AcOff", Start::Operate, "AC OFF\r", kZeroReadings + kOff},
        // Band, segment and frequency: a change reports position and the recalled tuning;
        // a refusal reports the unchanged position so the reader can put its control back.
        ReplyCase{"Band", Start::Standby, "BAND 3\r",
                  "BAND 3 SEGMENT 1 FREQUENCY 7030\r\nTUNE = 74 LOAD = 68\r\n"},
        ReplyCase{"BandInvalid", Start::Standby, "BAND 10\r", kBand},
        ReplyCase{"Segment", Start::Standby, "SEG 4\r",
                  "BAND 5 SEGMENT 4 FREQUENCY 14245\r\nTUNE = 52 LOAD = 53\r\n"},
        ReplyCase{"Freq", Start::Standby, "FREQ 21300\r",
                  "BAND 7 SEGMENT 4 FREQUENCY 21300\r\nTUNE = 36 LOAD = 41\r\n"},
        ReplyCase{"FreqInSegment", Start::Standby, "FREQ 14100\r",
                  "BAND 5 SEGMENT 2 FREQUENCY 14100\r\n"},
        ReplyCase{"FreqOutsideBands", Start::Standby, "FREQ 5000\r", kBand},
        // Tuning: "ENT" stores it for the segment, "DEF" restores the factory setting, and a
        // band remembers its last segment.
        ReplyCase{"EntRecalled", Start::Standby, "TUNE 30\rENT\rSEG 3\rSEG 2\r",
                  "TUNE = 30\r\nTUNE = 30 LOAD = 55\r\n" + kSegment3 + kBand +
                      "TUNE = 30 LOAD = 55\r\n"},
        ReplyCase{"Def", Start::Standby, "TUNE 1\rDEF\r", "TUNE = 1\r\nTUNE = 56 LOAD = 55\r\n"},
        ReplyCase{"BandKeepsSegment", Start::Standby, "SEG 3\rBAND 2\rBAND 5\r",
                  kSegment3 + "BAND 2 SEGMENT 1 FREQUENCY 3550\r\nTUNE = 82 LOAD = 74\r\n" +
                      kSegment3},
        // Capacitors stop at their ends; rubbish leaves them where they are.
        ReplyCase{"TuneHigh", Start::Standby, "TUNE 150\r", "TUNE = 100\r\n"},
        ReplyCase{"TuneRubbish", Start::Standby, "TUNE X\r", "TUNE = 56\r\n"},
        ReplyCase{"LoadNegative", Start::Standby, "LOAD-5\r", "LOAD = 0\r\n"},
        // No answer to a bad memory address.
        ReplyCase{"MemoryBadAddress", Start::Standby, "DM B79DX\r", ""},
        ReplyCase{"Autotune", Start::Standby, "AUTOTUNE ON\r", "AUTOTUNE IS ENABLED\r\n"},
        // Hand-typed and noisy lines: lower case and padding; line noise dropped; LF as an end
        // (but not a second one after CR); an over-long line thrown away whole.
        ReplyCase{"HandTyped", Start::Standby, "  mode low \r", "MODE = LOW\r\n"},
        ReplyCase{"Noise", Start::Standby, "\x01M\xffOD\033E LOW\r\n\n", "MODE = LOW\r\n"},
        ReplyCase{"LfEnds", Start::Standby, "AC\n", "AMPLIFIER IS ON\r\n"},
        ReplyCase{"OverLong", Start::Standby,
                  std::string(AmpModel::kMaxCommandLength + 10, 'Z') + "AC\rMODE LOW\r",
                  "MODE = LOW\r\n"}),
    test::CaseName{});

TEST(AmpModelSimFaults, ReportsLatchesAndClears) {
    AmpModel m = modelIn(Start::Operate);
    m.injectFault(0); // code 0 is only said, never latched
    EXPECT_EQ(m.takeOutput(), "FAULT = 0\r\nSTATE = OPERATE\r\n");
    m.injectFault(12);
    EXPECT_EQ(m.takeOutput(), kZeroReadings + "FAULT = 12\r\nSTATE = STANDBY\r\n");
    m.feed("OPER ON\rSTAT\r"); // latched: refuses to operate, reported with every status
    EXPECT_EQ(m.takeOutput(), "FAULT = 12\r\nSTATE = STANDBY\r\nFAULT = 12\r\n" + kStatusStandby);
    // What the driver does with a fault pending: "OPER OFF" then "OPER ON".
    m.feed("OPER OFF\rOPER ON\r");
    EXPECT_EQ(m.takeOutput(), "STATE = STANDBY\r\nSTATE = OPERATE\r\n");

    m.injectFault(5, FaultForm::CodeFirst); // padded so the separator is past the 2nd character
    EXPECT_EQ(m.takeOutput(), kZeroReadings + "05 FAULT\r\nSTATE = STANDBY\r\n");
    m.injectFault(-3, FaultForm::CodeFirst); // "-3 FAULT" would not read back as a fault
    EXPECT_EQ(m.takeOutput(), "FAULT = -3\r\nSTATE = STANDBY\r\n");
    // A power cycle clears the latch; a fault report while off comes alone.
    m.feed("AC OFF\r");
    EXPECT_EQ(m.fault(), 0);
    m.injectFault(99);
    EXPECT_EQ(m.takeOutput(), "AMPLIFIER IS OFF\r\nFAULT = 99\r\n");
}

TEST(AmpModelSimMetering, LinesCarryFiveDigitsAndFlowOnlyWhileOperatingWithRmOn) {
    AmpModel m = modelIn(Start::Off);
    m.setMeterDigits({12, -1, 3, 9, 4}); // clamped to single digits
    m.feed("RM ON\rAC ON\r");            // asked for while off, as a reader does at start-up
    EXPECT_FALSE(m.meterTick());         // standby
    m.feed("OPER ON\r");
    m.takeOutput();
    EXPECT_TRUE(m.meterTick());
    EXPECT_EQ(m.takeOutput(), "RM 90394\r\n");
    m.feed("RM OFF\r");
    EXPECT_FALSE(m.meterTick());
}

// Time moves with an injected clock; the model catches up with it before answering anything.
TEST(AmpModelSimWarmup, ReadyExactlyWhenTheWarmupHasRun) {
    std::int64_t now = 5000;
    AmpModel m;
    m.setWarmupMs(1000);
    m.setClock([&] { return now; });
    m.feed("AC ON\r");
    now += 400;
    m.feed("OPER ON\r"); // while warming up the amplifier answers, but will not operate
    EXPECT_EQ(m.takeOutput(), "POWER ON SEQUENCE\r\nSTATE = WARMUP\r\n");
    now += 599;
    m.poll();
    EXPECT_EQ(m.state(), PowerState::WarmingUp);
    now += 1;
    m.feed("AC\r"); // the ready report precedes this reply
    EXPECT_EQ(m.takeOutput(), kStatusStandby + "AMPLIFIER IS ON\r\n");
    EXPECT_EQ(m.msUntilNextEvent(), -1);

    // Switching off during a warm-up cancels it; the next power-on starts from the beginning.
    m.feed("AC OFF\rAC ON\r");
    now += 500;
    m.feed("AC OFF\r");
    now += 5000;
    m.poll();
    EXPECT_EQ(m.takeOutput(), "AMPLIFIER IS OFF\r\nPOWER ON SEQUENCE\r\nAMPLIFIER IS OFF\r\n");
}

TEST(AmpModelSimAutotune, WalksTowardTheSegmentOptimumAndStopsWhenTheOperatorTurnsAKnob) {
    AmpModel m = modelIn(Start::Standby);
    m.setAutotuneStepMs(100);
    m.feed("TUNE 40\rLOAD 64\rAUTOTUNE ON\r");
    m.takeOutput();
    m.advance(99);
    EXPECT_EQ(m.takeOutput(), "");
    // Targets for band 5 segment 2: tune 56, load 55; steps of at most 5.
    m.advance(1000);
    EXPECT_EQ(m.takeOutput(), "TUNE = 45 LOAD = 59\r\nTUNE = 50 LOAD = 55\r\n"
                              "TUNE = 55 LOAD = 55\r\nTUNE = 56 LOAD = 55\r\n");
    EXPECT_EQ(m.msUntilNextEvent(), -1);

    m.feed("TUNE 0\rBAND 1\rLOAD 7\r");
    m.advance(1000);
    EXPECT_EQ(m.takeOutput(), "TUNE = 0\r\n"
                              "BAND 1 SEGMENT 1 FREQUENCY 1820\r\nTUNE = 90 LOAD = 80\r\n"
                              "LOAD = 7\r\n");
}

} // namespace
} // namespace tarvex::sim
