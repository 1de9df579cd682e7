// The driver on a network serial port, through the real ser2net in front of the simulated
// amplifier's pseudo-terminal.
#include "../support/printers.h"
#include "../support/wait_until.h"
#include "driver/ferro_driver.h"
#include "driver/resolving_serial_link.h"
#include "driver/tcp_serial_link.h"
#include "sim/amp_simulator.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>

namespace tarvex {
namespace {

using test::waitUntil;

struct AddressCase {
    const char* name;
    const char* text;
    const char* expect; // "host|port", or "" when refused
};

class TcpAddress : public ::testing::TestWithParam<AddressCase> {};

TEST_P(TcpAddress, OnlyHostAndPortMakeANetworkPort) {
    const auto a = PortNames::parseNetworkAddress(GetParam().text);
    EXPECT_EQ(a ? a->host + "|" + QString::number(a->port) : QString(), GetParam().expect);
}

INSTANTIATE_TEST_SUITE_P(
    Names, TcpAddress,
    ::testing::Values(AddressCase{"ipv4", "tcp://127.0.0.1:7001", "127.0.0.1|7001"},
                      AddressCase{"ipv6_host_name", "TCP://[::1]:65535", "::1|65535"},
                      AddressCase{"no_port", "tcp://shack-pi", ""},
                      AddressCase{"port_zero", "tcp://127.0.0.1:0", ""},
                      AddressCase{"path", "tcp://127.0.0.1:7001/ttyS0", ""},
                      AddressCase{"other_scheme", "telnet://127.0.0.1:7001", ""}),
    test::CaseName{});

// ser2net is started and killed under the driver: refused, connected, dropped and connected
// again, each time with the start-up list alone; what is written while down is not kept.
TEST(FerroTcp, ThroughSer2netAcrossAServerRestart) {
    const QString ser2net = QStandardPaths::findExecutable("ser2net", {"/usr/sbin", "/usr/bin"});
    ASSERT_FALSE(ser2net.isEmpty()) << "ser2net is missing; scripts/install-deps installs it";
    sim::AmpSimulator amp;
    ASSERT_TRUE(amp.start({}));
    QTcpServer probe; // for a free loopback port
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const QString port = QString::number(probe.serverPort());
    probe.close();
    const QStringList config = {"-n", "-u", "-Y", "connection: &amp", "-Y",
                                "  accepter: tcp,127.0.0.1," + port, "-Y",
                                "  connector: serialdev," + amp.devicePath() + ",57600n81,local"};
    QProcess server;

    const QString name = "tcp://127.0.0.1:" + port;
    PortNames names({{1, name}});
    DriverEnvironment env;
    env.makeLink = [&] { return std::make_unique<ResolvingSerialLink>(names); };
    env.timings.retry = std::chrono::milliseconds(0); // the test plays the outage: no waiting
    FerroDriver driver(env);
    driver.setAmpSettings("no line settings here"); // the server's business
    const HubPtr hub = Hub::create();
    driver.Initialize(hub, 0);
    const auto message = [&] { return hub->GetItem("0message")->Value().toString(); };
    ASSERT_TRUE(waitUntil([&] { return message() == name + ": connection refused; retrying"; }));
    for (int run = 0; run < 2; ++run) {
        amp.model().clearLog();
        hub->GetItem("0band")->setValue(std::int16_t(3 + run));
        server.start(ser2net, config);
        ASSERT_TRUE(waitUntil([&] { return message() == "Amp AC power is off"; }));
        EXPECT_EQ(amp.model().commandLog().size(), 11u);
        server.kill();
        server.waitForFinished();
        ASSERT_TRUE(waitUntil([&] { return message().endsWith("; retrying"); }));
    }
}

} // namespace
} // namespace tarvex
