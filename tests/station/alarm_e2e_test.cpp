// A trip on a real serial line: the simulated amplifier on a pseudo-terminal meters a high SWR
// while Hamlib's dummy radio transmits. The radio is told to stop before "OPER OFF" reaches the
// amplifier. Prints the time from the SWR line to "OPER OFF" on the wire.
#include "station_fixture.h"

#include "core/server_object.h"
#include "driver/port_names.h"
#include "driver/resolving_serial_link.h"
#include "sim/amp_simulator.h"
#include "station/alarm_links.h"
#include "station/alarm_monitor.h"
#include "station/rigctld_client.h"
#include "station/station_links.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <iostream>

namespace tarvex {
namespace {

struct TripCase {
    const char* name;
    bool radio;
};

class AlarmTripTest : public ::testing::TestWithParam<TripCase> {};

TEST_P(AlarmTripTest, TheRadioStopsBeforeOperOffReachesTheAmplifier) {
    const bool radio = GetParam().radio;
    test::Daemon rigctld;
    if (radio)
        rigctld.start("rigctld", {"-m", "1", "-P", "RIG"});
    sim::AmpSimulator amp;
    sim::AmpSimulator::Options simOptions;
    simOptions.warmupMs = 50;
    ASSERT_TRUE(amp.start(simOptions));
    PortNames names({{1, amp.devicePath()}});
    DriverEnvironment env;
    env.makeLink = [&] { return std::make_unique<ResolvingSerialLink>(names); };
    QTemporaryDir dir;
    ASSERT_TRUE(ServerObject::writeModuleList(dir.filePath("server.dat"),
                                              {std::make_shared<FerroDriver>(env)}, nullptr));
    ServerObject server({[env] { return std::make_shared<FerroDriver>(env); }, {}, {}},
                        dir.filePath("server.dat"));
    server.StartServer();
    StationLinks station(server, RigctldClient::factory());
    StationOptions options;
    options.rigHost = "127.0.0.1";
    options.rigPort = radio ? rigctld.port : 0;
    station.apply(options);
    AlarmSettings settings;
    settings.protect = true;
    AlarmLinks alarms(
        server, [&](int) { return settings; }, [&] { return station.rigClient(); });

    const HubPtr hub = server.hub();
    ASSERT_TRUE(test::waitUntil([&] { return hub->GetItem("0link")->Value().toLong() == 1; }));
    hub->GetItem("0ac")->setValue(true);
    ASSERT_TRUE(test::waitUntil([&] { return amp.model().state() == sim::PowerState::Standby; }));
    hub->GetItem("0oper")->setValue(true);
    ASSERT_TRUE(test::waitUntil([&] { return amp.model().state() == sim::PowerState::Operate; }));
    const auto ptt = [&] {
        return test::Daemon::askAt(rigctld.port, "t\n", [](auto& r) { return r.endsWith('\n'); });
    };
    if (radio) {
        ASSERT_TRUE(test::waitUntil([&] {
            return station.rig() && station.rig()->state() == RigClient::State::Up;
        }));
        test::Daemon::askAt(rigctld.port, "T 1\n", [](auto& r) { return r.endsWith('\n'); });
        ASSERT_EQ(ptt(), "1\n");
    }

    QStringList order;
    QElapsedTimer since;
    qint64 operOffMs = -1;
    if (radio)
        QObject::connect(station.rigClient(), &RigClient::pttSetAnswered,
                         [&](const QByteArray& reply) { order << "radio: " + reply; });
    amp.model().setCommandObserver([&](const std::string& line) {
        if (line == "OPER OFF" && operOffMs < 0) {
            operOffMs = since.elapsed();
            order << "amplifier: OPER OFF";
        }
    });
    const sim::MeterDigits high{3, 5, 4, 3, 5}; // 270 W at 3.4:1
    since.start();
    amp.model().emitMeter(high);
    ASSERT_TRUE(test::waitUntil([&] { return operOffMs >= 0; }));
    EXPECT_GE(operOffMs, AlarmSettings::kHoldMs);
    std::cout << "SWR line to OPER OFF " << (radio ? "with" : "without") << " a radio link: "
              << operOffMs << " ms\n";
    ASSERT_TRUE(test::waitUntil([&] { return amp.model().state() == sim::PowerState::Standby; }));
    const QString text = hub->GetItem("0alarmtext")->Value().toString();
    if (radio) {
        EXPECT_EQ(order, QStringList({"radio: RPRT 0", "amplifier: OPER OFF"}));
        EXPECT_EQ(ptt(), "0\n");
        EXPECT_EQ(text, "SWR 3.4:1 for 200 ms: transmission ended, standby");
    } else {
        EXPECT_EQ(text, "SWR 3.4:1 for 200 ms: standby");
    }
    EXPECT_EQ(alarms.monitor(0)->level(), amp::Alarm::Trip);
    server.StopServer();
}

INSTANTIATE_TEST_SUITE_P(Trip, AlarmTripTest,
                         ::testing::Values(TripCase{"with_radio", true},
                                           TripCase{"without_radio", false}),
                         test::CaseName{});

} // namespace
} // namespace tarvex
