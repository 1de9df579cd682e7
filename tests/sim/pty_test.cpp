// The simulator on a real pseudo-terminal, seen from the driver's end of the line through the
// same QSerialPort a reader uses.
#include "../support/wait_until.h"
#include "sim/amp_simulator.h"
#include "sim/fault_request.h"
#include "sim/pty_port.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace tarvex::sim {
namespace {

using tarvex::test::waitUntil;

// Opened raw on the device like the driver's port; collects what arrives.
class PtyClient : public QSerialPort {
public:
    bool open(const QString& path) {
        setPortName(path);
        return QSerialPort::open(ReadWrite) && setBaudRate(38400);
    }
    // Reads until the text received so far contains `needle` or the time is up; returns all
    // text received either way.
    std::string readUntil(const std::string& needle, int timeoutMs = 2000) {
        std::string text;
        waitUntil([&] { return (text += readAll().toStdString()).find(needle) != text.npos; },
                  timeoutMs);
        return text;
    }
};

TEST(FaultRequestSim, ReadsCodeAndDelay) {
    const std::pair<const char*, std::optional<std::pair<int, int>>> cases[] = {
        {"fault 12", std::pair(12, 0)},
        {"FAULT -3@0.25", std::pair(-3, 250)},
        {"fault 32768", std::nullopt},
        {"faults 12", std::nullopt},
        {"fault 12@-1", std::nullopt}};
    for (const auto& [line, codeAndDelay] : cases) {
        const auto request = parseConsoleLine(QString::fromLatin1(line));
        EXPECT_EQ(request ? std::optional(std::pair(request->code, request->afterMs))
                          : std::nullopt,
                  codeAndDelay)
            << line;
    }
}

// Bytes cross the raw line unchanged both ways (CR stays CR, the line echoes nothing). With or
// without a held slave, a client going away must not keep the read handler firing, and the next
// client is served.
TEST(PtySimPort, RawRoundTripAndNoSpinWhenTheClientGoesAway) {
    for (const bool keepSlaveOpen : {true, false}) {
        SCOPED_TRACE(keepSlaveOpen ? "slave held open" : "slave not held");
        PtyPort port;
        ASSERT_TRUE(port.open({QString(), 0, keepSlaveOpen}));
        // Echoes every received chunk back, bracketed, so both directions are visible.
        QObject::connect(&port, &PtyPort::received, &port,
                         [&port](const QByteArray& b) { port.write("<" + b + ">"); });
        for (int round = 1; round <= 2; ++round) { // the next client is served as well
            {
                PtyClient client;
                ASSERT_TRUE(client.open(port.slavePath()));
                client.write("AC\r");
                EXPECT_EQ(client.readUntil(">", 3000), "<AC\r>");
                EXPECT_FALSE(port.isPaused());
            }
            waitUntil([] { return false; }, 50);
            EXPECT_EQ(port.isPaused(), !keepSlaveOpen);
            const qint64 before = port.readWakeups();
            waitUntil([] { return false; }, 300);
            EXPECT_LE(port.readWakeups() - before, 2) << "read handler fired with no client";
        }
    }
}

// A reply takes as long as the line the client set up would take to carry it, and a new setting
// counts from the next byte on.
TEST(PtySimPort, PacesAtTheSpeedAndStopBitsTheClientSetsOnTheLine) {
    PtyPort port;
    ASSERT_TRUE(port.open({QString(), PtyPort::kLineSpeed, true}));
    PtyClient client;
    ASSERT_TRUE(client.open(port.slavePath()));
    // Speed and stop bits, and the time 96 bytes take (25 ms at the pty's own 38400).
    for (const auto& [speed, stop, minMs, maxMs] :
         {std::tuple{9600, QSerialPort::OneStop, 95, 500}, // 10 bits a byte: 100 ms
          {1200, QSerialPort::TwoStop, 860, 2000}}) {      // 11 bits a byte: 880 ms
        ASSERT_TRUE(client.setBaudRate(speed) && client.setStopBits(stop));
        QElapsedTimer t;
        t.start();
        port.write(QByteArray(95, 'x') + '\n');
        EXPECT_EQ(client.readUntil("\n", 3000).size(), 96u);
        EXPECT_GE(t.elapsed(), minMs);
        EXPECT_LE(t.elapsed(), maxMs);
    }
}

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
    // A reader of the slave must see end of file or EIO.
    EXPECT_TRUE(waitUntil([&] { return client.error() == QSerialPort::ResourceError; }));
    client.close(); // gives up its lock: the next pty may get the same number
    EXPECT_FALSE(QFileInfo(options.linkPath).isSymLink());
    EXPECT_FALSE(QFileInfo::exists(device));
    waitUntil([] { return false; }, 150); // the warm-up still ends, with nobody to hear it
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
