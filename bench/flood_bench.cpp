// How long mains off takes to leave on a slow line after a flood of operate/standby changes:
// 1000 alternating changes of the operate item (as 1000 \set_powerstat 2/4 from station
// software make them), then mains off, on an in-memory line that drains at 4800 baud
// (480 characters a second). The figure is the time from asking for mains off until "AC OFF"
// has left on the line.
#include "memory_amplifier.h"
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
        MemoryAmplifier amp(QStringLiteral("STATE = STANDBY"));
        MemorySerialLink* link = amp.link;
        amp.set(QStringLiteral("0ac"), true);
        link->clearWritten();
        link->setLineRate(kCharactersPerSecond);
        for (int i = 0; i < kFlood; ++i)
            amp.set(QStringLiteral("0oper"), i % 2 == 0);
        QElapsedTimer sinceOff;
        sinceOff.start();
        amp.set(QStringLiteral("0ac"), false);
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
    }
}
BENCHMARK(BM_OffAfterFlood)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
} // namespace tarvex::bench

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return tarvex::bench::runAll(argc, argv);
}
