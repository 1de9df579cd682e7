// One evening in the shack: Hamlib's dummy rig, the simulated amplifier on a pseudo-terminal,
// the program's server and station links, and a logger talking to the amplifier over TCP.
#include "station_fixture.h"

#include "core/server_object.h"
#include "driver/port_names.h"
#include "driver/qt_serial_link.h"
#include "sim/amp_simulator.h"
#include "station/rigctld_client.h"
#include "station/station_links.h"

#include <QTemporaryDir>

namespace tarvex {
namespace {

TEST(StationScenario, RadioToTwentyMetresAndALoggerOperatesTheAmplifier) {
    test::Daemon rigctld;
    rigctld.start("rigctld", {"-m", "1", "-P", "RIG"});
    sim::AmpSimulator amp;
    sim::AmpSimulator::Options simOptions;
    simOptions.warmupMs = 100;
    ASSERT_TRUE(amp.start(simOptions)) << amp.errorString().toStdString();
    PortNames names({{1, amp.devicePath()}});
    DriverEnvironment env;
    env.makeLink = [&] { return std::make_unique<QtSerialLink>(names); };
    const auto make = [env] { return std::make_shared<FerroDriver>(env); };
    QTemporaryDir dir;
    ASSERT_TRUE(ServerObject::writeModuleList(dir.filePath("server.dat"), {make()}, nullptr));
    ServerObject server({make, {}, {}}, dir.filePath("server.dat"));
    server.StartServer();
    StationLinks station(server, RigctldClient::factory());
    StationOptions options;
    options.rigHost = "127.0.0.1";
    options.rigPort = rigctld.port;
    options.ampctldPort = test::Daemon::freePort();
    station.apply(options);

    QTcpSocket logger;
    logger.connectToHost(QHostAddress::LocalHost, options.ampctldPort);
    const auto ask = [&](const QByteArray& line, int replyLines = 1) {
        logger.write(line + '\n');
        QByteArray got;
        test::waitUntil([&] {
            got += logger.readAll();
            return got.count('\n') >= replyLines;
        });
        return got;
    };
    const auto tune = [&](const QByteArray& hz) {
        rigctld.ask("F " + hz + "\n", [](auto& r) { return r.endsWith('\n'); });
    };
    EXPECT_EQ(ask("\\set_powerstat 1"), "RPRT 0\n");
    ASSERT_TRUE(test::waitUntil([&] { return amp.model().state() == sim::PowerState::Standby; }));
    tune("7100000");
    ASSERT_TRUE(test::waitUntil([&] { return amp.model().band() == 3; }));
    amp.model().clearLog();
    tune("14200000");
    ASSERT_TRUE(test::waitUntil([&] { return amp.model().band() == 5; }));
    EXPECT_EQ(amp.model().commandLog().front(), "BAND 5");

    EXPECT_EQ(ask("\\set_powerstat 4"), "RPRT 0\n");
    ASSERT_TRUE(test::waitUntil([&] { return ask("\\get_powerstat") == "4\n"; }));
    amp.model().emitMeter({8, 2, 5, 3, 6});
    ASSERT_TRUE(test::waitUntil([&] { return ask("l PWRFORWARD").toInt() > 0; }));
    const double swr = ask("l SWR").trimmed().toDouble();
    EXPECT_GT(swr, 1.0);
    EXPECT_LT(swr, 99.0);
    EXPECT_EQ(ask("\\set_powerstat 2"), "RPRT 0\n");
    ASSERT_TRUE(test::waitUntil([&] { return amp.model().state() == sim::PowerState::Standby; }));
    server.StopServer();
}

} // namespace
} // namespace tarvex
