#include "sim/amp_model.h"

#include <gtest/gtest.h>

#include <ostream>
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

// Readable test names in ctest and failure output: the start state and the escaped command.
void PrintTo(const ReplyCase& c, std::ostream* os) {
    static const char* const kStart[] = {"off", "standby", "operate"};
    *os << kStart[static_cast<int>(c.start)] << ": ";
    for (char ch : c.command) {
        if (ch == '\r')
            *os << "\\r";
        else if (ch == '\n')
            *os << "\\n";
        else
            *os << ch;
    }
}

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
        ReplyCase{Start::Off, "STAT\r", "AMPLIFIER IS OFF\r\n"},
        ReplyCase{Start::Off, "OPER ON\r", "AMPLIFIER IS OFF\r\n"},
        ReplyCase{Start::Off, "MODE LOW\r", "AMPLIFIER IS OFF\r\n"},
        ReplyCase{Start::Off, "BAND 3\r", "AMPLIFIER IS OFF\r\n"},
        ReplyCase{Start::Off, "DM B79D\r", "B79D = 1900\r\n"},
        ReplyCase{Start::Off, "AUTOTUNE\r", "AUTOTUNE = DISABLED\r\n"},
        ReplyCase{Start::Off, "AC ON\r", "POWER ON SEQUENCE\r\n" + kStatusStandby},
        // Set-up switches and unknown commands get no answer.
        ReplyCase{Start::Standby, "GPIO OFF\r", ""}, ReplyCase{Start::Standby, "EXT ON\r", ""},
        ReplyCase{Start::Standby, "RM ON\r", ""}, ReplyCase{Start::Standby, "XYZZY\r", ""},
        ReplyCase{Start::Standby, "\r", ""},
        // Power and state.
        ReplyCase{Start::Standby, "AC\r", "AMPLIFIER IS ON\r\n"},
        ReplyCase{Start::Standby, "AC ON\r", "STATE = STANDBY\r\n"},
        ReplyCase{Start::Standby, "STAT\r", kStatusStandby},
        ReplyCase{Start::Standby, "OPER ON\r", "STATE = OPERATE\r\n"},
        ReplyCase{Start::Standby, "OPER\r", "STATE = STANDBY\r\n"},
        ReplyCase{Start::Operate, "OPER OFF\r", "STATE = STANDBY\r\n"},
        ReplyCase{Start::Operate, "AC OFF\r", "AMPLIFIER IS OFF\r\n"},
        ReplyCase{Start::Operate, "STAT\r",
                  "STATE = OPERATE MODE = HIGH\r\n"
                  "BAND = 5 SEGMENT = 2 FREQUENCY = 14105\r\nTUNE = 56 LOAD = 55\r\n"},
        ReplyCase{Start::Standby, "MODE LOW\r", "MODE = LOW\r\n"},
        ReplyCase{Start::Standby, "MODE\r", "MODE = HIGH\r\n"},
        // Band, segment and frequency: a change reports position and the recalled tuning;
        // a refusal reports the unchanged position so the reader can put its control back.
        ReplyCase{Start::Standby, "BAND 3\r",
                  "BAND = 3 SEGMENT = 1 FREQUENCY = 7030\r\nTUNE = 74 LOAD = 68\r\n"},
        ReplyCase{Start::Operate, "BAND 9\r",
                  "BAND = 9 SEGMENT = 1 FREQUENCY = 28170\r\nTUNE = 26 LOAD = 32\r\n"},
        ReplyCase{Start::Standby, "BAND-1\r", kBandUnchanged},
        ReplyCase{Start::Standby, "BAND 10\r", kBandUnchanged},
        ReplyCase{Start::Standby, "SEG 4\r",
                  "BAND = 5 SEGMENT = 4 FREQUENCY = 14245\r\nTUNE = 52 LOAD = 53\r\n"},
        ReplyCase{Start::Standby, "SEG 6\r", kBandUnchanged},
        ReplyCase{Start::Standby, "FREQ 21300\r",
                  "BAND = 7 SEGMENT = 4 FREQUENCY = 21300\r\nTUNE = 36 LOAD = 41\r\n"},
        ReplyCase{Start::Standby, "FREQ 14350\r",
                  "BAND = 5 SEGMENT = 5 FREQUENCY = 14350\r\nTUNE = 50 LOAD = 52\r\n"},
        ReplyCase{Start::Standby, "FREQ 14100\r", "BAND = 5 SEGMENT = 2 FREQUENCY = 14100\r\n"},
        ReplyCase{Start::Standby, "FREQ 5000\r", kBandUnchanged},
        ReplyCase{Start::Standby, "FREQ 14A\r", kBandUnchanged},
        // Capacitors stop at their ends; rubbish leaves them where they are.
        ReplyCase{Start::Standby, "TUNE 40\r", "TUNE = 40\r\n"},
        ReplyCase{Start::Standby, "TUNE 150\r", "TUNE = 100\r\n"},
        ReplyCase{Start::Standby, "TUNE 12.5\r", "TUNE = 12\r\n"},
        ReplyCase{Start::Standby, "TUNE X\r", "TUNE = 56\r\n"},
        ReplyCase{Start::Standby, "LOAD-5\r", "LOAD = 0\r\n"},
        ReplyCase{Start::Standby, "DEF\r", "TUNE = 56 LOAD = 55\r\n"},
        // Memory: calibration words and plain zero elsewhere; no answer to a bad address.
        ReplyCase{Start::Standby, "DM B791\r", "B791 = 0A00\r\n"},
        ReplyCase{Start::Standby, "DM b79d\r", "B79D = 1900\r\n"},
        ReplyCase{Start::Standby, "DM 12\r", "0012 = 0000\r\n"},
        ReplyCase{Start::Standby, "DM B79DX\r", ""}, ReplyCase{Start::Standby, "DM\r", ""},
        ReplyCase{Start::Standby, "AUTOTUNE OFF\r", "AUTOTUNE = DISABLED\r\n"},
        ReplyCase{Start::Standby, "AUTOTUNE ON\r", "AUTOTUNE = ENABLED\r\n"},
        // Hand-typed variants: lower case, padding, LF endings.
        ReplyCase{Start::Standby, "  mode low \r", "MODE = LOW\r\n"},
        ReplyCase{Start::Standby, "AC\r\nAC\n", "AMPLIFIER IS ON\r\nAMPLIFIER IS ON\r\n"}));

TEST(AmpModelSimStartup, AnswersTheStartupQueriesInOrder) {
    const std::string queries = "AC\rSTAT\rGPIO OFF\rEXT ON\rRM ON\rDM B79D\rDM B799\rDM B79B\r"
                                "DM B791\rDM B7A1\rAUTOTUNE\r";
    const std::string memory = "B79D = 1900\r\nB799 = 0200\r\nB79B = 0100\r\nB791 = 0A00\r\n"
                               "B7A1 = 0050\r\nAUTOTUNE = DISABLED\r\n";

    AmpModel on = modelIn(Start::Standby);
    on.feed(queries);
    EXPECT_EQ(on.takeOutput(), "AMPLIFIER IS ON\r\n" + kStatusStandby + memory);
    EXPECT_EQ(on.commandLog(),
              (std::vector<std::string>{"AC", "STAT", "GPIO OFF", "EXT ON", "RM ON", "DM B79D",
                                        "DM B799", "DM B79B", "DM B791", "DM B7A1", "AUTOTUNE"}));
    EXPECT_FALSE(on.gpioEnabled());
    EXPECT_TRUE(on.extEnabled());
    EXPECT_TRUE(on.remoteMetering());

    AmpModel off = modelIn(Start::Off);
    off.feed(queries);
    EXPECT_EQ(off.takeOutput(), "AMPLIFIER IS OFF\r\nAMPLIFIER IS OFF\r\n" + memory);
}

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
    m.feed("\r");   // a lone CR is an empty command: logged, unanswered
    m.feed("\n\n"); // stray LFs are not commands at all
    m.feed("AC\n"); // LF alone ends a command too
    EXPECT_EQ(m.takeOutput(), "AMPLIFIER IS ON\r\n");

    // An over-long line is thrown away whole, and the next command is unaffected.
    m.feed(std::string(AmpModel::kMaxCommandLength + 10, 'Z') + "AC\r" + "MODE HIGH\r");
    EXPECT_EQ(m.takeOutput(), "MODE = HIGH\r\n");

    EXPECT_EQ(m.commandLog(),
              (std::vector<std::string>{"OPER ON", "MODE LOW", "", "AC", "MODE HIGH"}));
    EXPECT_EQ(m.receivedBytes().substr(0, 9), "OPER ON\r\x01");
}

TEST(AmpModelSimFaults, FaultLatchesUntilOperOffAcknowledgesIt) {
    AmpModel m = modelIn(Start::Operate);
    m.injectFault(12);
    EXPECT_EQ(m.takeOutput(), "FAULT = 12\r\nSTATE = STANDBY\r\n");
    EXPECT_EQ(m.state(), PowerState::Standby);

    m.feed("OPER ON\r");
    EXPECT_EQ(m.takeOutput(), "FAULT = 12\r\nSTATE = STANDBY\r\n");
    m.feed("STAT\r");
    EXPECT_EQ(m.takeOutput(), "FAULT = 12\r\n" + kStatusStandby);

    // What the driver does with a fault pending: "OPER OFF" then "OPER ON".
    m.feed("OPER OFF\rOPER ON\r");
    EXPECT_EQ(m.takeOutput(), "STATE = STANDBY\r\nSTATE = OPERATE\r\n");
    EXPECT_EQ(m.fault(), 0);
}

TEST(AmpModelSimFaults, ReportFormsAndPowerStates) {
    AmpModel m = modelIn(Start::Standby);
    m.injectFault(12, FaultForm::CodeFirst);
    EXPECT_EQ(m.takeOutput(), "12 FAULT\r\nSTATE = STANDBY\r\n");
    m.injectFault(5, FaultForm::CodeFirst); // padded so the separator is past the 2nd character
    EXPECT_EQ(m.takeOutput(), "05 FAULT\r\nSTATE = STANDBY\r\n");
    m.injectFault(-3, FaultForm::CodeFirst); // "-3 FAULT" would not read back as a fault
    EXPECT_EQ(m.takeOutput(), "FAULT = -3\r\nSTATE = STANDBY\r\n");
    EXPECT_EQ(m.fault(), -3);

    // A power cycle clears the latch; a fault report while off comes alone.
    m.feed("AC OFF\r");
    EXPECT_EQ(m.takeOutput(), "AMPLIFIER IS OFF\r\n");
    EXPECT_EQ(m.fault(), 0);
    m.injectFault(99);
    EXPECT_EQ(m.takeOutput(), "FAULT = 99\r\n");

    // Code 0 is only said, never latched.
    AmpModel clean = modelIn(Start::Operate);
    clean.injectFault(0);
    EXPECT_EQ(clean.takeOutput(), "FAULT = 0\r\nSTATE = OPERATE\r\n");
    EXPECT_EQ(clean.state(), PowerState::Operate);
}

TEST(AmpModelSimMetering, LinesCarryFiveDigitsAndFlowOnlyWhileOperatingWithRmOn) {
    AmpModel m = modelIn(Start::Standby);
    m.emitMeter({5, 0, 0, 0, 0});
    m.emitMeter({12, -1, 3, 9, 4}); // clamped to single digits
    EXPECT_EQ(m.takeOutput(), "RM 50000\r\nRM 90394\r\n");

    m.setMeterDigits({6, 1, 4, 2, 5});
    EXPECT_FALSE(m.meterTick()); // standby, metering off
    m.feed("RM ON\r");
    EXPECT_FALSE(m.meterTick()); // still standby
    m.feed("OPER ON\r");
    m.takeOutput();
    EXPECT_TRUE(m.meterTick());
    EXPECT_EQ(m.takeOutput(), "RM 61425\r\n");
    m.feed("RM OFF\r");
    EXPECT_FALSE(m.meterTick());
    EXPECT_EQ(m.takeOutput(), "");
}

TEST(AmpModelSimControl, RawLinesNoticeAndOutputHandler) {
    AmpModel m;
    m.setWarmupMs(1000);
    m.emitRaw("X = 5");
    m.powerOnFromPanel();
    m.powerOnFromPanel(); // already on: nothing more
    EXPECT_EQ(m.takeOutput(), "X = 5\r\nPOWER ON SEQUENCE\r\n");
    EXPECT_EQ(m.state(), PowerState::WarmingUp);

    // Queued output goes to a handler as soon as there is one, then everything goes there.
    m.emitRaw("QUEUED");
    std::vector<std::string> seen;
    m.setOutputHandler([&](const std::string& bytes) { seen.push_back(bytes); });
    m.powerOffFromPanel();
    EXPECT_EQ(seen, (std::vector<std::string>{"QUEUED\r\n", "AMPLIFIER IS OFF\r\n"}));
    EXPECT_EQ(m.takeOutput(), "");

    m.setMemory(AmpModel::kCalForward, 0xFFFF);
    m.feed("DM B79D\r");
    EXPECT_EQ(seen.back(), "B79D = FFFF\r\n");
}

TEST(AmpModelSimTuning, EntStoresTuningPerSegmentAndDefRestoresFactory) {
    AmpModel m = modelIn(Start::Standby);
    m.feed("TUNE 30\rLOAD 40\rENT\r");
    m.feed("BAND 3\rBAND 5\r"); // away and back: segment 2 recalls the stored setting
    m.takeOutput();
    EXPECT_EQ(m.segment(), 2);
    EXPECT_EQ(m.tune(), 30);
    EXPECT_EQ(m.load(), 40);

    m.feed("SEG 3\r");
    EXPECT_EQ(m.takeOutput(), "BAND = 5 SEGMENT = 3 FREQUENCY = 14175\r\nTUNE = 54 LOAD = 54\r\n");
    m.feed("TUNE 1\rDEF\r");
    EXPECT_EQ(m.takeOutput(), "TUNE = 1\r\nTUNE = 54 LOAD = 54\r\n");

    // A band remembers its last segment.
    m.feed("BAND 2\rBAND 5\r");
    EXPECT_EQ(m.segment(), 3);
}

} // namespace
} // namespace tarvex::sim
