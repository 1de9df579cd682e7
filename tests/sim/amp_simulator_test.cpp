#include "sim/amp_simulator.h"
#include "sim/fault_request.h"

#include "../support/printers.h"
#include "pty_client.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tarvex::sim {
namespace {

using test::PtyClient;

struct ConsoleCase {
    const char* name;
    const char* line;
    std::optional<std::pair<int, int>> codeAndDelay; // none: not understood
};

class FaultRequestSim : public ::testing::TestWithParam<ConsoleCase> {};

TEST_P(FaultRequestSim, ReadsCodeAndDelay) {
    const auto request = parseConsoleLine(QString::fromLatin1(GetParam().line));
    EXPECT_EQ(request ? std::optional(std::pair(request->code, request->afterMs)) : std::nullopt,
              GetParam().codeAndDelay);
}

INSTANTIATE_TEST_SUITE_P(Lines, FaultRequestSim,
                         ::testing::Values(ConsoleCase{"AtOnce", "fault 12", std::pair(12, 0)},
                                           ConsoleCase{"Later", "FAULT -3@0.25",
                                                       std::pair(-3, 250)},
                                           ConsoleCase{"Beyond16Bits", "fault 32768", std::nullopt},
                                           ConsoleCase{"OtherWord", "faults 12", std::nullopt},
                                           ConsoleCase{"PastDelay", "fault 12@-1", std::nullopt}),
                         tarvex::test::CaseName{});

// The program as a person runs it: a fault from the command line comes when asked for (and a
// later one not yet), one typed on its input comes at once.
TEST(AmpSimulatorSim, ProgramReportsFaultsFromItsCommandLineOnTimeAndFromItsInput) {
    QProcess program;
    program.start(QStringLiteral(TARVEX_AMPSIM),
                  {"--fault", "-3@0.3", "--fault", "99@60", "--baud", "0"});
    ASSERT_TRUE(program.waitForReadyRead(5000)) << program.errorString().toStdString();
    PtyClient client;
    ASSERT_TRUE(client.open(QString::fromLocal8Bit(program.readLine()).trimmed()));
    EXPECT_EQ(client.readUntil("\n", 3000), "FAULT = -3\r\n");
    program.write("fault 12\n");
    EXPECT_EQ(client.readUntil("\n", 3000), "FAULT = 12\r\n");
    program.close();
}

// Pulling the cable: device and link vanish, the port stops reading, the amplifier runs on; a
// new start gives it a new device behind the same link, even over one a killed run left behind.
TEST(AmpSimulatorSim, StopUnplugsWithoutSpinningAndTheModelOutlivesIt) {
    QTemporaryDir dir;
    AmpSimulator sim;
    AmpSimulator::Options options;
    options.linkPath = dir.filePath("amp0");
    options.warmupMs = 50;
    ASSERT_TRUE(sim.start(options)) << sim.errorString().toStdString();
    const QString device = sim.devicePath();
    PtyClient client;
    ASSERT_TRUE(client.open(options.linkPath));
    client.write("AC ON\r");
    client.readUntil("POWER ON SEQUENCE\r\n");

    const qint64 wakeups = sim.port().readWakeups();
    sim.stop();
    EXPECT_TRUE(client.waitForHangup()) << "a reader of the slave must see end of file or EIO";
    EXPECT_FALSE(QFileInfo(options.linkPath).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(device));
    test::pumpEvents(150); // the warm-up still ends, with nobody to hear it
    EXPECT_EQ(sim.model().state(), PowerState::Standby);
    EXPECT_EQ(sim.port().readWakeups(), wakeups);

    ASSERT_TRUE(QFile::link(device, options.linkPath)); // stale
    ASSERT_TRUE(sim.start(options));
    PtyClient again;
    ASSERT_TRUE(again.open(options.linkPath));
    again.write("AC\r");
    EXPECT_EQ(again.readUntil("\n"), "AMPLIFIER IS ON\r\n");
}

} // namespace
} // namespace tarvex::sim
