// The guard's reaction on a real serial line:
//  - BM_SwrToOperOff: from the metering line that shows 3.4:1 leaving the simulated amplifier
//    (on a pseudo-terminal) to "OPER OFF" reaching it, with the guard on. With a radio linked
//    (Hamlib's dummy rig, transmitting) the radio is told to stop first and the amplifier goes
//    to standby when its forward power falls or 100 ms pass; the simulated amplifier goes on
//    showing power, so the 100 ms pass. Without a radio link it goes at once. The hold time
//    (200 ms) is part of both.
#include "core/server_object.h"
#include "driver/ferro_driver.h"
#include "driver/port_names.h"
#include "driver/resolving_serial_link.h"
#include "sim/amp_simulator.h"
#include "station/alarm_links.h"
#include "station/rigctld_client.h"
#include "station/station_links.h"

#include "run_all.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

namespace tarvex::bench {
namespace {

// Runs the event loop until done() or the deadline; whether done() held.
bool runUntil(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done() && !t.hasExpired(ms))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

void BM_SwrToOperOff(benchmark::State& state) {
    const bool radio = state.range(0) != 0;
    QProcess rigctld;
    const quint16 port = radio ? freePort() : 0;
    if (radio) {
        rigctld.start("rigctld",
                      {"-m", "1", "-P", "RIG", "-T", "127.0.0.1", "-t", QString::number(port)});
        if (!rigctld.waitForStarted())
            return state.SkipWithError("rigctld cannot be started");
    }
    for (auto _ : state) {
        sim::AmpSimulator amp;
        sim::AmpSimulator::Options simOptions;
        simOptions.warmupMs = 50;
        if (!amp.start(simOptions))
            return state.SkipWithError("no pseudo-terminal");
        PortNames names({{1, amp.devicePath()}});
        DriverEnvironment env;
        env.makeLink = [&] { return std::make_unique<ResolvingSerialLink>(names); };
        QTemporaryDir dir;
        ServerObject::writeModuleList(dir.filePath("server.dat"),
                                      {std::make_shared<FerroDriver>(env)}, nullptr);
        ServerObject server({[env] { return std::make_shared<FerroDriver>(env); }, {}, {}},
                            dir.filePath("server.dat"));
        server.StartServer();
        StationLinks station(server, RigctldClient::factory());
        StationOptions options;
        options.rigHost = "127.0.0.1";
        options.rigPort = port;
        station.apply(options);
        AlarmSettings settings;
        settings.protect = true;
        AlarmLinks alarms(
            server, [&](int) { return settings; }, [&] { return station.rigClient(); });
        const HubPtr hub = server.hub();
        runUntil([&] { return hub->GetItem("0link")->Value().toLong() == 1; });
        hub->GetItem("0ac")->setValue(true);
        runUntil([&] { return amp.model().state() == sim::PowerState::Standby; });
        hub->GetItem("0oper")->setValue(true);
        const bool ready = runUntil([&] {
            return amp.model().state() == sim::PowerState::Operate &&
                   (!radio || station.rig()->state() == RigClient::State::Up);
        });
        if (!ready)
            return state.SkipWithError("the amplifier or the radio did not come up");
        if (radio) {
            QTcpSocket key;
            key.connectToHost(QHostAddress::LocalHost, port);
            key.waitForConnected(2000);
            key.write("T 1\n");
            key.waitForReadyRead(2000);
        }
        QElapsedTimer since;
        qint64 operOffNs = -1;
        amp.model().setCommandObserver([&](const std::string& line) {
            if (line == "OPER OFF" && operOffNs < 0)
                operOffNs = since.nsecsElapsed();
        });
        since.start();
        amp.model().emitMeter({3, 5, 4, 3, 5}); // 270 W at 3.4:1
        if (!runUntil([&] { return operOffNs >= 0; }))
            return state.SkipWithError("no OPER OFF");
        state.SetIterationTime(double(operOffNs) / 1e9);
        server.StopServer();
    }
    if (radio) {
        rigctld.kill();
        rigctld.waitForFinished();
    }
}
BENCHMARK(BM_SwrToOperOff)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("radio")
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tarvex::bench

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return tarvex::bench::runAll(argc, argv);
}
