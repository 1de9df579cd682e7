// The station links against Hamlib's dummy rigctld (started here on a free loopback port):
//  - BM_RigToBandLatency: from a second client's "F HZ" to the "BAND n" command the driver
//    writes, with the change landing at a random point of the poll interval;
//  - BM_RigPollingCpu: the process CPU time that polling at 250 ms costs over 60 s of wall time.
// And the amplifier server on its own:
//  - BM_OffWhileAClientFloods: one client floods 1000 alternating \set_powerstat 2/4 while a
//    second asks for mains off (\set_powerstat 0) at five moments of the flood; the worst time
//    from asking to "AC OFF" leaving on a 4800 baud line (480 characters a second).
#include "core/hub.h"
#include "driver/ferro_driver.h"
#include "driver/memory_serial_link.h"
#include "station/ampctl_server.h"
#include "station/amplifier_items.h"
#include "station/band_follower.h"
#include "station/band_switch.h"
#include "station/rig_items.h"
#include "station/rigctld_client.h"

#include "memory_amplifier.h"
#include "run_all.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <random>
#include <thread>
#include <vector>

namespace tarvex::bench {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kPoll = 250ms;

// Notes when a band command leaves for the amplifier.
class TimedLink : public MemorySerialLink {
public:
    void setOutput(const QString& text) override {
        MemorySerialLink::setOutput(text);
        if (text.startsWith(QLatin1String("BAND"))) {
            bandAt = Clock::now();
            if (waiting)
                waiting->quit();
        }
    }
    Clock::time_point bandAt;
    QEventLoop* waiting = nullptr;
};

void runEventLoopFor(std::chrono::milliseconds ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// rigctld with the dummy rig, an amplifier on standby on an in-memory link, and the links.
struct Station {
    bool start() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        port = probe.serverPort();
        probe.close();
        rigctld.start(QStringLiteral("rigctld"),
                      {"-m", "1", "-P", "RIG", "-T", "127.0.0.1", "-t", QString::number(port)});
        if (!rigctld.waitForStarted())
            return false;
        runEventLoopFor(300ms);
        DriverEnvironment env;
        env.makeLink = [this] {
            auto l = std::make_unique<TimedLink>();
            link = l.get();
            return l;
        };
        driver = std::make_unique<FerroDriver>(env);
        driver->Initialize(hub, 0);
        link->receive(QStringLiteral("STATE = STANDBY\r\nBAND 3 SEGMENT 1 FREQUENCY 7050\r\n"));
        rig = std::make_unique<RigctldClient>(QStringLiteral("127.0.0.1"), port, kPoll);
        items = std::make_unique<RigItems>(hub, *rig);
        bands = std::make_unique<BandSwitch>(AmplifierItems(hub, 0));
        follower = std::make_unique<BandFollower>(hub, *bands);
        rig->start();
        runEventLoopFor(500ms);
        return rig->state() == RigClient::State::Up;
    }
    ~Station() {
        follower.reset();
        bands.reset();
        items.reset();
        rig.reset();
        if (driver)
            driver->Terminate();
        rigctld.kill();
        rigctld.waitForFinished();
    }
    // What a logger or a panel does to the radio: a client of its own.
    bool tune(qint64 hz) const {
        QTcpSocket s;
        s.connectToHost(QHostAddress::LocalHost, port);
        if (!s.waitForConnected(2000))
            return false;
        s.write("F " + QByteArray::number(hz) + "\n");
        return s.waitForReadyRead(2000) && s.readAll() == "RPRT 0\n";
    }

    QProcess rigctld;
    quint16 port = 0;
    HubPtr hub = Hub::create();
    TimedLink* link = nullptr;
    std::unique_ptr<FerroDriver> driver;
    std::unique_ptr<RigctldClient> rig;
    std::unique_ptr<RigItems> items;
    std::unique_ptr<BandSwitch> bands;
    std::unique_ptr<BandFollower> follower;
};

void BM_RigToBandLatency(benchmark::State& state) {
    Station station;
    if (!station.start()) {
        state.SkipWithError("rigctld did not come up (is libhamlib-utils installed?)");
        return;
    }
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> phaseMs(0, static_cast<int>(kPoll.count()));
    std::vector<double> samples;
    int turn = 0;
    for (auto _ : state) {
        // 20 m and 40 m in turn; the amplifier confirms each so the next is a fresh change.
        const bool twenty = turn++ % 2 == 0;
        runEventLoopFor(std::chrono::milliseconds(phaseMs(rng)));
        const auto before = Clock::now();
        station.link->bandAt = {};
        bool tuned = false;
        std::thread client([&] { tuned = station.tune(twenty ? 14'200'000 : 7'100'000); });
        QEventLoop loop;
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        station.link->waiting = &loop;
        loop.exec();
        station.link->waiting = nullptr;
        client.join();
        if (!tuned || station.link->bandAt == Clock::time_point{}) {
            state.SkipWithError("the rig change never reached the amplifier");
            return;
        }
        const double ms =
            std::chrono::duration<double, std::milli>(station.link->bandAt - before).count();
        samples.push_back(ms);
        state.SetIterationTime(ms / 1000);
        station.link->receive(twenty ? QStringLiteral("BAND 5 SEGMENT 2 FREQUENCY 14200\r\n")
                                     : QStringLiteral("BAND 3 SEGMENT 2 FREQUENCY 7100\r\n"));
    }
    std::sort(samples.begin(), samples.end());
    state.counters["median_ms"] = samples[samples.size() / 2];
    state.counters["max_ms"] = samples.back();
}
BENCHMARK(BM_RigToBandLatency)->Iterations(15)->UseManualTime()->Unit(benchmark::kMillisecond);

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void BM_RigPollingCpu(benchmark::State& state) {
    const auto wall = std::chrono::seconds(state.range(0));
    Station station;
    if (!station.start()) {
        state.SkipWithError("rigctld did not come up (is libhamlib-utils installed?)");
        return;
    }
    for (auto _ : state) {
        const qint64 ignoredBefore = station.hub->GetItem("rig.ignored")->Value().toLong();
        const double cpu0 = processCpuSeconds();
        runEventLoopFor(wall);
        const double cpu = processCpuSeconds() - cpu0;
        state.SetIterationTime(cpu);
        state.counters["cpu_ms"] = cpu * 1000;
        state.counters["cpu_percent"] = 100 * cpu / double(wall.count());
        state.counters["polls"] = double(wall / kPoll);
        state.counters["ignored_replies"] =
            double(station.hub->GetItem("rig.ignored")->Value().toLong() - ignoredBefore);
    }
}
BENCHMARK(BM_RigPollingCpu)
    ->Arg(60)
    ->ArgName("seconds")
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Asks for mains off on a connection of its own; returns when it was asked.
Clock::time_point askOff(quint16 port) {
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    if (!s.waitForConnected(2000))
        return {};
    const auto asked = Clock::now();
    s.write("\\set_powerstat 0\n");
    s.waitForBytesWritten(2000);
    s.waitForReadyRead(2000);
    return asked;
}

void BM_OffWhileAClientFloods(benchmark::State& state) {
    constexpr int kCharactersPerSecond = 480;
    for (auto _ : state) {
        MemoryAmplifier amp(QStringLiteral("STATE = OPERATE"));
        const HubPtr& hub = amp.hub;
        MemorySerialLink* link = amp.link;
        link->setLineRate(kCharactersPerSecond);
        BandSwitch bands(AmplifierItems(hub, 0));
        AmpctlServer server(AmplifierItems(hub, 0), bands);
        if (!server.listen(QHostAddress::LocalHost, 0, nullptr)) {
            state.SkipWithError("no port for the server");
            return;
        }
        const quint16 port = server.port();
        std::atomic<bool> over{false};
        std::thread flood([&] {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, port);
            if (!s.waitForConnected(2000))
                return;
            s.write(QByteArray("\\set_powerstat 2\n\\set_powerstat 4\n").repeated(500));
            while (!over && s.state() == QAbstractSocket::ConnectedState) {
                s.waitForBytesWritten(10);
                s.waitForReadyRead(10);
                s.readAll();
            }
        });
        const auto start = Clock::now();
        double worst = 0;
        for (const auto at : {50ms, 200ms, 500ms, 1000ms, 2000ms}) {
            runEventLoopFor(std::chrono::duration_cast<std::chrono::milliseconds>(
                std::max(Clock::duration::zero(), start + at - Clock::now())));
            hub->GetItem(QStringLiteral("0ac"))->setValue(true); // mains on again, by a panel
            link->clearWritten();
            Clock::time_point asked;
            std::atomic<bool> answered{false};
            std::thread off([&] {
                asked = askOff(port);
                answered = true;
            });
            Clock::time_point left;
            QEventLoop loop;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
                if (left == Clock::time_point{} &&
                    link->written().contains(QStringLiteral("AC OFF")))
                    left = Clock::now();
                if (answered && left != Clock::time_point{})
                    loop.quit();
            });
            poll.start(1);
            QTimer::singleShot(30000, &loop, &QEventLoop::quit);
            loop.exec();
            off.join();
            if (asked == Clock::time_point{} || left == Clock::time_point{}) {
                over = true;
                flood.join();
                state.SkipWithError("mains off never left");
                return;
            }
            worst =
                std::max(worst, std::chrono::duration<double, std::milli>(left - asked).count());
        }
        over = true;
        flood.join();
        state.SetIterationTime(worst / 1000);
        state.counters["worst_off_delay_ms"] = worst;
    }
}
BENCHMARK(BM_OffWhileAClientFloods)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace
} // namespace tarvex::bench

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return tarvex::bench::runAll(argc, argv);
}
