// tarvex --headless as a station computer runs it: no display, a simulated amplifier on a
// pseudo-terminal, the amplifier server on loopback, ended by the service manager's SIGTERM.
#include "../support/free_port.h"
#include "../support/printers.h"
#include "../support/wait_until.h"
#include "core/server_object.h"
#include "driver/ferro_driver.h"
#include "history/history_reader.h"
#include "sim/amp_simulator.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <csignal>

namespace tarvex {
namespace {

using test::freePort;
using test::waitUntil;

class Headless : public testing::Test {
protected:
    // server.dat with one amplifier, "Tower" on port 1.
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        auto tower = std::make_shared<FerroDriver>(DriverEnvironment{});
        tower->setDeviceName("Tower");
        tower->setAmpPort(1);
        ASSERT_TRUE(ServerObject::writeModuleList(dir.filePath("server.dat"), {tower}, nullptr));
    }
    void start(const QStringList& args) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        env.insert("XDG_CONFIG_HOME", dir.filePath("config")); // no station settings of the user
        tarvex.setProcessEnvironment(env);
        tarvex.setWorkingDirectory(dir.path());
        tarvex.start(TARVEX_BINARY, QStringList{"--headless"} + args);
        ASSERT_TRUE(tarvex.waitForStarted());
    }
    // Reads standard error as it comes until it holds text.
    bool logged(const QString& text, int timeoutMs = 10000) {
        return waitUntil(
                   [&] {
                       log += QString::fromLocal8Bit(tarvex.readAllStandardError());
                       return log.contains(text) || tarvex.state() == QProcess::NotRunning;
                   },
                   timeoutMs) &&
               log.contains(text);
    }

    QTemporaryDir dir;
    QProcess tarvex; // killed, if still running, when it goes
    QString log;
};

TEST_F(Headless, LogsTheAmplifierAndEndsOnSigtermWithTheRecordWritten) {
    sim::AmpSimulator amp;
    sim::AmpSimulator::Options o;
    o.warmupMs = 300;
    ASSERT_TRUE(amp.start(o)) << amp.errorString().toStdString();
    const quint16 port = freePort();
    start({"--port", "1=" + amp.devicePath(), "--ampctld-port", QString::number(port)});
    ASSERT_TRUE(logged("Amplifier 1 (Tower): power state Off")) << log.toStdString();
    EXPECT_TRUE(log.contains("Amplifier 1 (Tower): link up"));

    // Switched on by station software, as the amplifier then reports.
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(client.waitForConnected(5000));
    client.write("\\set_powerstat 1\n");
    ASSERT_TRUE(logged("Amplifier 1 (Tower): power state Standby")) << log.toStdString();
    EXPECT_TRUE(log.contains("Amplifier 1 (Tower): power state Warm-up"));
    // A high SWR while operating: the alarm is logged and served as the FAULT level.
    client.write("\\set_powerstat 4\n");
    ASSERT_TRUE(logged("Amplifier 1 (Tower): power state Operate")) << log.toStdString();
    amp.model().emitMeter({3, 5, 4, 3, 5}); // 270 W at 3.4:1
    ASSERT_TRUE(logged("Amplifier 1 (Tower): Trip: SWR 3.4:1 for 200 ms")) << log.toStdString();
    client.write("l FAULT\n");
    EXPECT_TRUE(waitUntil([&] { return client.readAll().contains("SWR 3.4:1 for 200 ms\n"); }));

    ::kill(static_cast<pid_t>(tarvex.processId()), SIGTERM);
    ASSERT_TRUE(tarvex.waitForFinished(10000)) << "still running after SIGTERM";
    log += QString::fromLocal8Bit(tarvex.readAllStandardError());
    EXPECT_EQ(tarvex.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tarvex.exitCode(), 0) << log.toStdString();
    // One line an event, each with its time.
    const QStringList lines = log.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.filter(QRegularExpression(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \S)")),
              lines);
    EXPECT_TRUE(lines.last().endsWith(" Stopped"));

    QStringList states;
    for (const HistoryEvent& e : HistoryReader(dir.filePath("history.db")).events({}))
        states.prepend(e.kind + ' ' + e.text);
    EXPECT_EQ(states.filter("state"),
              QStringList({"state Off", "state Warm-up", "state Standby", "state Operate"}));
    EXPECT_EQ(states.filter("alarm"), QStringList{"alarm Trip: SWR 3.4:1 for 200 ms"});
}

// A port another program holds is a service that cannot start: the exit says so, and the
// service manager may try again later.
TEST_F(Headless, ATakenStationPortEndsTheStartWithStatus3) {
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost, freePort()));
    start({"--port", "1=/nonexistent/tty", "--ampctld-port", QString::number(holder.serverPort())});
    ASSERT_TRUE(tarvex.waitForFinished(10000));
    log += QString::fromLocal8Bit(tarvex.readAllStandardError());
    EXPECT_EQ(tarvex.exitCode(), 3) << log.toStdString();
    EXPECT_TRUE(log.contains("tarvex: the station links could not start: "));
}

// The remote panel asked for and not to be had is a service that cannot start, said as such.
TEST_F(Headless, ARefusedRemotePanelEndsTheStartWithStatus3) {
    QTcpServer holder;
    ASSERT_TRUE(holder.listen(QHostAddress::LocalHost, freePort()));
    start({"--port", "1=/nonexistent/tty", "--remote-port", QString::number(holder.serverPort())});
    ASSERT_TRUE(tarvex.waitForFinished(10000));
    log += QString::fromLocal8Bit(tarvex.readAllStandardError());
    EXPECT_EQ(tarvex.exitCode(), 3) << log.toStdString();
    EXPECT_TRUE(log.contains("tarvex: The remote panel did not start: The remote panel cannot "
                             "listen on 127.0.0.1 port " +
                             QString::number(holder.serverPort())))
        << log.toStdString();
}

} // namespace
} // namespace tarvex
