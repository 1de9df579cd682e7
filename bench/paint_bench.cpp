// What showing the meters costs: both amplifiers of a shown main window receive the line mix at
// the pace a 57600 baud line carries it (about 411 lines/s each), in the small pieces a serial
// port hands over, while the event loop runs as in the program: asleep until a piece arrives or
// a paint is due. The figure is the CPU time of the whole process (receive path, binding,
// painting and the flush to the display) as a percentage of one core over the wall time.
//
// It runs on the platform the environment selects; run-benchmarks starts it under Xvfb when
// that is installed, so that the flush goes to a real X server, and offscreen otherwise.
#include "line_mix.h"
#include "window_rig.h"

#include "core/hub.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <ctime>

namespace tarvex::bench {
namespace {

constexpr int kMixLines = 1000;
constexpr int kBaud = 57600;
// What a port reports at a time: at this rate a USB serial adapter hands over a packet about
// every 10 ms, and the project's simulator paces its output in ticks of that length.
constexpr int kPieceMs = 10;
constexpr int kWarmUpMs = 500;
constexpr int kMeasureMs = 5000;

const LineMix& mix() {
    static const LineMix m = makeLineMix(kMixLines);
    return m;
}

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Hands one link the text that a serial line has carried since start, in the pieces a port
// reports, cycling through the mix.
class LinePacer {
public:
    explicit LinePacer(MemorySerialLink* link) : mLink(link) {
        mTimer.setTimerType(Qt::PreciseTimer);
        mTimer.setInterval(kPieceMs);
        QObject::connect(&mTimer, &QTimer::timeout, [this] { deliver(); });
        mClock.start();
        mTimer.start();
    }
    qint64 bytesSent() const { return mSent; }

private:
    void deliver() {
        const qint64 due = mClock.nsecsElapsed() * (kBaud / 10) / 1'000'000'000;
        const QString& text = mix().text;
        while (mSent < due) {
            const qsizetype at = mSent % text.size();
            const QString piece = text.mid(at, std::min<qint64>(due - mSent, text.size() - at));
            mLink->receive(piece);
            mSent += piece.size();
        }
    }

    MemorySerialLink* mLink;
    QTimer mTimer;
    QElapsedTimer mClock;
    qint64 mSent = 0;
};

void runEventLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// shown:1 is the figure; shown:0 runs the same load with the window hidden, which is what the
// receive path and the bindings cost without any painting.
void BM_MeteringIntoWindow(benchmark::State& state) {
    const bool shown = state.range(0) != 0;
    WindowRig rig;
    if (!rig.ok) {
        state.SkipWithError(rig.error.toStdString().c_str());
        return;
    }
    if (!shown)
        rig.window->hide();
    // Two ports that do not deliver in step.
    LinePacer first(rig.links[0]);
    runEventLoopFor(kPieceMs / 2);
    LinePacer second(rig.links[1]);
    runEventLoopFor(kWarmUpMs); // first paints, glyph caches, the panels' static parts

    double cpu = 0;
    double wall = 0;
    qint64 paints = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        const qint64 paints0 = rig.painter.paints;
        const qint64 bytes0 = first.bytesSent();
        QElapsedTimer clock;
        clock.start();
        const double cpu0 = processCpuSeconds();
        runEventLoopFor(kMeasureMs);
        cpu = processCpuSeconds() - cpu0;
        wall = double(clock.nsecsElapsed()) / 1e9;
        paints = rig.painter.paints - paints0;
        bytes = first.bytesSent() - bytes0;
        state.SetIterationTime(wall);
    }
    if (!rig.gaugesShowItems()) {
        state.SkipWithError("a forward-power gauge does not show its item");
        return;
    }
    if (bytes == 0 || (shown && paints == 0)) {
        state.SkipWithError("no lines were delivered or nothing was painted");
        return;
    }
    state.SetLabel(QGuiApplication::platformName().toStdString());
    state.counters["cpu_percent"] = cpu / wall * 100.0;
    state.counters["lines_per_s_each"] = double(bytes) / mix().meanLineBytes / wall;
    state.counters["paints_per_s"] = double(paints) / wall;
}
BENCHMARK(BM_MeteringIntoWindow)
    ->Arg(1)
    ->Arg(0)
    ->ArgName("shown")
    ->Iterations(1)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tarvex::bench

int main(int argc, char** argv) {
    // Away from the user's own settings of the main window.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
