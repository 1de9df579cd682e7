// One evening in the shack: Hamlib's dummy rig, two simulated amplifiers on pseudo-terminals
// (the second kept out of band following) and a third that cannot be reached, the program's
// server and station links, and a logger talking to the first amplifier over TCP.
#include "station_fixture.h"

#include "core/server_object.h"
#include "driver/port_names.h"
#include "driver/resolving_serial_link.h"
#include "sim/amp_simulator.h"
#include "station/rigctld_client.h"
#include "station/station_links.h"

#include <QTemporaryDir>

namespace tarvex {
namespace {

TEST(StationScenario, TheAmplifierFollowsTheRadioAndALoggerOperatesIt) {
    test::Daemon rigctld;
    rigctld.start("rigctld", {"-m", "1", "-P", "RIG"});
    sim::AmpSimulator amps[2];
    sim::AmpSimulator::Options simOptions;
    simOptions.warmupMs = 100;
    ASSERT_TRUE(amps[0].start(simOptions) && amps[1].start(simOptions));
    // The third is behind a network serial server that refuses connections.
    const QString refused = QString("tcp://127.0.0.1:%1").arg(test::Daemon::freePort());
    PortNames names({{1, amps[0].devicePath()}, {2, amps[1].devicePath()}, {3, refused}});
    DriverEnvironment env;
    env.makeLink = [&] { return std::make_unique<ResolvingSerialLink>(names); };
    ModuleList list{std::make_shared<FerroDriver>(env), std::make_shared<FerroDriver>(env)};
    std::static_pointer_cast<FerroDriver>(list[1])->setAmpPort(2);
    list.push_back(std::make_shared<FerroDriver>(env));
    std::static_pointer_cast<FerroDriver>(list[2])->setAmpPort(3);
    QTemporaryDir dir;
    ASSERT_TRUE(ServerObject::writeModuleList(dir.filePath("server.dat"), list, nullptr));
    ServerObject server({[env] { return std::make_shared<FerroDriver>(env); }, {}, {}},
                        dir.filePath("server.dat"));
    server.StartServer();
    StationLinks station(server, RigctldClient::factory());
    StationOptions options;
    options.rigHost = "127.0.0.1";
    options.rigPort = rigctld.port;
    options.ampctldPort = test::Daemon::freePort();
    options.excluded = {2};
    station.apply(options);
    ASSERT_TRUE(station.problems().isEmpty()) << station.problems().join(' ').toStdString();

    QTcpSocket logger;
    logger.connectToHost(QHostAddress::LocalHost, options.ampctldPort);
    const auto ask = [&](const QByteArray& line) {
        logger.write(line + '\n');
        QByteArray got;
        test::waitUntil([&] { return (got += logger.readAll()).endsWith('\n'); });
        return got;
    };
    const auto tune = [&](const QByteArray& hz) {
        test::Daemon::askAt(rigctld.port, "F " + hz + "\n",
                            [](auto& r) { return r.endsWith('\n'); });
    };
    const auto tell = [](quint16 port, const QByteArray& line) {
        return test::Daemon::askAt(port, line + '\n', [](auto& r) { return r.endsWith('\n'); });
    };
    // Only an amplifier that has answered is switched on: until then the server says it cannot.
    for (const auto port : {options.ampctldPort, quint16(options.ampctldPort + 1)})
        ASSERT_TRUE(test::waitUntil([&] { return tell(port, "\\set_powerstat 1") == "RPRT 0\n"; }));
    ASSERT_TRUE(
        test::waitUntil([&] { return amps[1].model().state() == sim::PowerState::Standby; }));
    EXPECT_EQ(tell(options.ampctldPort + 2, "\\set_powerstat 1"), "RPRT -6\n") << "unreachable";
    tune("7100000");
    ASSERT_TRUE(test::waitUntil([&] { return amps[0].model().band() == 3; }));
    amps[0].model().clearLog();
    tune("14200000");
    ASSERT_TRUE(test::waitUntil([&] { return amps[0].model().band() == 5; }));
    EXPECT_EQ(amps[0].model().commandLog().front(), "BAND 5");
    EXPECT_EQ(amps[1].model().receivedBytes().find("BAND"), std::string::npos); // left where it was

    EXPECT_EQ(ask("\\set_powerstat 4"), "RPRT 0\n");
    ASSERT_TRUE(test::waitUntil([&] { return ask("\\get_powerstat") == "4\n"; }));
    amps[0].model().emitMeter({8, 2, 5, 3, 6});
    ASSERT_TRUE(test::waitUntil([&] { return ask("l PWRFORWARD").toInt() > 0; }));
    EXPECT_GT(ask("l SWR").toDouble(), 1.0);
    EXPECT_EQ(ask("\\set_powerstat 2"), "RPRT 0\n");
    ASSERT_TRUE(
        test::waitUntil([&] { return amps[0].model().state() == sim::PowerState::Standby; }));

    // Cleared in Station Links while the radio transmits: nothing goes on reading its PTT.
    tell(rigctld.port, "T 1");
    ASSERT_TRUE(
        test::waitUntil([&] { return tell(options.ampctldPort, "F 14200000") == "RPRT -9\n"; }));
    options.rigPort = 0;
    station.apply(options);
    EXPECT_EQ(tell(options.ampctldPort, "F 14200000"), "RPRT 0\n");

    // After a restart (as Configure does) the same port reaches the new driver.
    server.StopServer();
    server.StartServer();
    logger.abort();
    logger.connectToHost(QHostAddress::LocalHost, options.ampctldPort);
    ASSERT_TRUE(test::waitUntil([&] { return ask("\\get_powerstat") == "2\n"; }));
    ask("\\set_powerstat 4");
    EXPECT_TRUE(
        test::waitUntil([&] { return amps[0].model().state() == sim::PowerState::Operate; }));
    server.StopServer();
}

} // namespace
} // namespace tarvex
