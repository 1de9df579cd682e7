// How long mains off takes to leave on a slow line after a flood of operate/standby changes:
// 1000 alternating changes of the operate item (as 1000 \set_powerstat 2/4 from station
// software make them), then mains off, on an in-memory line that drains at 4800 baud
// (480 characters a second). The figure is the time from asking for mains off until "AC OFF"
// has left on the line.
#include "core/hub.h"
#include "driver/ferro_driver.h"
#include "driver/memory_serial_link.h"

#include "run_all.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace tarvex::bench {
namespace {

constexpr int kCharactersPerSecond = 480;
constexpr int kFlood = 1000;

void BM_OffAfterFlood(benchmark::State& state) {
    for (auto _ : state) {
        HubPtr hub = Hub::create();
        MemorySerialLink* link = nullptr;
        DriverEnvironment env;
        env.makeLink = [&link] {
            auto l = std::make_unique<MemorySerialLink>();
            link = l.get();
            return l;
        };
        FerroDriver driver(env);
        driver.Initialize(hub, 0);
        link->receive(QStringLiteral("STATE = STANDBY\r\n"));
        hub->GetItem(QStringLiteral("0ac"))->setValue(true);
        link->clearWritten();
        link->setLineRate(kCharactersPerSecond);
        for (int i = 0; i < kFlood; ++i)
            hub->GetItem(QStringLiteral("0oper"))->setValue(i % 2 == 0);
        QElapsedTimer sinceOff;
        sinceOff.start();
        hub->GetItem(QStringLiteral("0ac"))->setValue(false);
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (link->written().contains(QStringLiteral("AC OFF")) || sinceOff.elapsed() > 120000)
                loop.quit();
        });
        poll.start(1);
        loop.exec();
        const double seconds = static_cast<double>(sinceOff.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        state.counters["off_delay_ms"] = seconds * 1000;
        driver.Terminate();
    }
}
BENCHMARK(BM_OffAfterFlood)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
} // namespace tarvex::bench

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return tarvex::bench::runAll(argc, argv);
}
