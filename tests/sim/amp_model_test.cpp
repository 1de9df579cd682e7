#include "sim/amp_model.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

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

const std::string kStatusStandby = "STATE = STANDBY MODE = HIGH\r\n"
                                   "BAND = 5 SEGMENT = 2 FREQUENCY = 14105\r\n"
                                   "TUNE = 56 LOAD = 55\r\n";
const std::string kBandUnchanged = "BAND = 5 SEGMENT = 2 FREQUENCY = 14105\r\n";

struct ReplyCase {
    Start start;
    std::string command; // bytes as sent, CR included
    std::string reply;   // exact bytes expected back
};

class AmpModelSimReplies : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(AmpModelSimReplies, AnswersCommandByteExactly) {
    const ReplyCase& c = GetParam();
    AmpModel m = modelIn(c.start);
    m.feed(c.command);
    EXPECT_EQ(m.takeOutput(), c.reply) << "command: " << c.command;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, AmpModelSimReplies,
    ::testing::Values(
        // Mains off: queries say so, deck commands are refused, the controller still answers.
        ReplyCase{Start::Off, "AC\r", "AMPLIFIER IS OFF\r\n"},
        ReplyCase{Start::Off, "BAND 3\r", "AMPLIFIER IS OFF\r\n"},
        ReplyCase{Start::Off, "DM B79D\r", "B79D = 1900\r\n"},
        ReplyCase{Start::Off, "AC ON\r", "POWER ON SEQUENCE\r\n" + kStatusStandby},
        // Set-up switches and unknown commands get no answer.
        ReplyCase{Start::Standby, "GPIO OFF\r", ""}, ReplyCase{Start::Standby, "XYZZY\r", ""},
        ReplyCase{Start::Standby, "AC\r", "AMPLIFIER IS ON\r\n"},
        ReplyCase{Start::Standby, "STAT\r", kStatusStandby},
        ReplyCase{Start::Standby, "OPER ON\r", "STATE = OPERATE\r\n"},
        ReplyCase{Start::Operate, "OPER OFF\r", "STATE = STANDBY\r\n"},
        ReplyCase{Start::Operate, "AC OFF\r", "AMPLIFIER IS OFF\r\n"},
        ReplyCase{Start::Standby, "MODE LOW\r", "MODE = LOW\r\n"},
        // Band, segment and frequency: a change reports position and the recalled tuning;
        // a refusal reports the unchanged position so the reader can put its control back.
        ReplyCase{Start::Standby, "BAND 3\r",
                  "BAND = 3 SEGMENT = 1 FREQUENCY = 7030\r\nTUNE = 74 LOAD = 68\r\n"},
        ReplyCase{Start::Standby, "BAND 10\r", kBandUnchanged},
        ReplyCase{Start::Standby, "SEG 4\r",
                  "BAND = 5 SEGMENT = 4 FREQUENCY = 14245\r\nTUNE = 52 LOAD = 53\r\n"},
        ReplyCase{Start::Standby, "FREQ 21300\r",
                  "BAND = 7 SEGMENT = 4 FREQUENCY = 21300\r\nTUNE = 36 LOAD = 41\r\n"},
        ReplyCase{Start::Standby, "FREQ 14100\r", "BAND = 5 SEGMENT = 2 FREQUENCY = 14100\r\n"},
        ReplyCase{Start::Standby, "FREQ 5000\r", kBandUnchanged},
        // Capacitors stop at their ends; rubbish leaves them where they are.
        ReplyCase{Start::Standby, "TUNE 150\r", "TUNE = 100\r\n"},
        ReplyCase{Start::Standby, "TUNE 12.5\r", "TUNE = 12\r\n"},
        ReplyCase{Start::Standby, "TUNE X\r", "TUNE = 56\r\n"},
        ReplyCase{Start::Standby, "LOAD-5\r", "LOAD = 0\r\n"},
        // Memory: calibration words and plain zero elsewhere; no answer to a bad address.
        ReplyCase{Start::Standby, "DM b79d\r", "B79D = 1900\r\n"},
        ReplyCase{Start::Standby, "DM 12\r", "0012 = 0000\r\n"},
        ReplyCase{Start::Standby, "DM B79DX\r", ""},
        ReplyCase{Start::Standby, "AUTOTUNE ON\r", "AUTOTUNE = ENABLED\r\n"},
        // Hand-typed variants: lower case, padding, LF endings.
        ReplyCase{Start::Standby, "  mode low \r", "MODE = LOW\r\n"},
        ReplyCase{Start::Standby, "AC\r\nAC\n", "AMPLIFIER IS ON\r\nAMPLIFIER IS ON\r\n"}));

TEST(AmpModelSimFraming, CommandsEndAtCrAndSurviveSplitsLfAndNoise) {
    AmpModel m = modelIn(Start::Standby);
    m.feed("OPE");
    m.feed("R O");
    EXPECT_EQ(m.takeOutput(), "");
    m.feed("N\r");
    EXPECT_EQ(m.takeOutput(), "STATE = OPERATE\r\n");

    m.feed(std::string("\x01M\xffOD\x1b"
                       "E LOW\r\n",
                       13)); // noise inside, LF after CR
    EXPECT_EQ(m.takeOutput(), "MODE = LOW\r\n");
    m.feed("\r\n\nAC\n"); // a lone CR is an empty command, stray LFs are none, LF ends one
    EXPECT_EQ(m.takeOutput(), "AMPLIFIER IS ON\r\n");

    // An over-long line is thrown away whole, and the next command is unaffected.
    m.feed(std::string(AmpModel::kMaxCommandLength + 10, 'Z') + "AC\r" + "MODE HIGH\r");
    EXPECT_EQ(m.takeOutput(), "MODE = HIGH\r\n");
    EXPECT_EQ(m.commandLog(),
              (std::vector<std::string>{"OPER ON", "MODE LOW", "", "AC", "MODE HIGH"}));
}

TEST(AmpModelSimFaults, ReportsLatchesAndClears) {
    AmpModel m = modelIn(Start::Operate);
    m.injectFault(12);
    EXPECT_EQ(m.takeOutput(), "FAULT = 12\r\nSTATE = STANDBY\r\n");
    m.feed("OPER ON\rSTAT\r"); // latched: refuses to operate, reported with every status
    EXPECT_EQ(m.takeOutput(), "FAULT = 12\r\nSTATE = STANDBY\r\nFAULT = 12\r\n" + kStatusStandby);
    // What the driver does with a fault pending: "OPER OFF" then "OPER ON".
    m.feed("OPER OFF\rOPER ON\r");
    EXPECT_EQ(m.takeOutput(), "STATE = STANDBY\r\nSTATE = OPERATE\r\n");

    m.injectFault(5, FaultForm::CodeFirst); // padded so the separator is past the 2nd character
    EXPECT_EQ(m.takeOutput(), "05 FAULT\r\nSTATE = STANDBY\r\n");
    m.injectFault(-3, FaultForm::CodeFirst); // "-3 FAULT" would not read back as a fault
    EXPECT_EQ(m.takeOutput(), "FAULT = -3\r\nSTATE = STANDBY\r\n");
    // A power cycle clears the latch; a fault report while off comes alone.
    m.feed("AC OFF\r");
    EXPECT_EQ(m.fault(), 0);
    m.injectFault(99);
    EXPECT_EQ(m.takeOutput(), "AMPLIFIER IS OFF\r\nFAULT = 99\r\n");

    AmpModel clean = modelIn(Start::Operate); // code 0 is only said, never latched
    clean.injectFault(0);
    EXPECT_EQ(clean.takeOutput(), "FAULT = 0\r\nSTATE = OPERATE\r\n");
}

TEST(AmpModelSimMetering, LinesCarryFiveDigitsAndFlowOnlyWhileOperatingWithRmOn) {
    AmpModel m = modelIn(Start::Standby);
    m.setMeterDigits({12, -1, 3, 9, 4}); // clamped to single digits
    m.feed("RM ON\r");
    EXPECT_FALSE(m.meterTick()); // standby
    m.feed("OPER ON\r");
    m.takeOutput();
    EXPECT_TRUE(m.meterTick());
    EXPECT_EQ(m.takeOutput(), "RM 90394\r\n");
    m.feed("RM OFF\r");
    EXPECT_FALSE(m.meterTick());
}

TEST(AmpModelSimTuning, EntStoresTuningPerSegmentAndDefRestoresFactory) {
    AmpModel m = modelIn(Start::Standby);
    m.feed("TUNE 30\rLOAD 40\rENT\rBAND 3\rBAND 5\r"); // away and back: the stored setting
    EXPECT_EQ(m.segment(), 2);
    EXPECT_EQ(m.tune(), 30);
    EXPECT_EQ(m.load(), 40);
    m.feed("SEG 3\rTUNE 1\r");
    m.takeOutput();
    m.feed("DEF\r");
    EXPECT_EQ(m.takeOutput(), "TUNE = 54 LOAD = 54\r\n");
    m.feed("BAND 2\rBAND 5\r"); // a band remembers its last segment
    EXPECT_EQ(m.segment(), 3);
}

TEST(AmpModelSimWarmup, ReadyExactlyWhenTheWarmupHasRun) {
    AmpModel m;
    m.setWarmupMs(1000);
    m.feed("AC ON\r");
    EXPECT_EQ(m.takeOutput(), "POWER ON SEQUENCE\r\n");
    m.advance(400);
    // While warming up the amplifier answers, but will not operate.
    m.feed("OPER ON\r");
    EXPECT_EQ(m.takeOutput(), "STATE = WARMUP\r\n");
    EXPECT_EQ(m.msUntilNextEvent(), 600);
    m.advance(599);
    EXPECT_EQ(m.state(), PowerState::WarmingUp);
    m.advance(1);
    EXPECT_EQ(m.takeOutput(), kStatusStandby);
    EXPECT_EQ(m.msUntilNextEvent(), -1);

    // Switching off during a warm-up cancels it; the next power-on starts from the beginning.
    m.feed("AC OFF\rAC ON\r");
    m.advance(500);
    m.feed("AC OFF\r");
    m.advance(5000);
    EXPECT_EQ(m.takeOutput(), "AMPLIFIER IS OFF\r\nPOWER ON SEQUENCE\r\nAMPLIFIER IS OFF\r\n");
}

TEST(AmpModelSimWarmup, CatchesUpWithAnInjectedClockBeforeAnswering) {
    std::int64_t now = 5000;
    AmpModel m;
    m.setWarmupMs(300);
    m.setClock([&] { return now; });
    m.feed("AC ON\r");
    now += 299;
    m.poll();
    EXPECT_EQ(m.takeOutput(), "POWER ON SEQUENCE\r\n");
    now += 1;
    m.feed("AC\r"); // the ready report precedes this reply
    EXPECT_EQ(m.takeOutput(), kStatusStandby + "AMPLIFIER IS ON\r\n");
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
                              "BAND = 1 SEGMENT = 1 FREQUENCY = 1820\r\nTUNE = 90 LOAD = 80\r\n"
                              "LOAD = 7\r\n");
}

} // namespace
} // namespace tarvex::sim
