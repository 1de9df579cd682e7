// What showing the panels costs: both amplifiers of a shown main window send 411 lines a second
// each (what a 57600 baud line carries of the mix), in the pieces a serial port reports, while
// the event loop runs as in the program: asleep until a piece arrives or a paint is due. The
// figure is the CPU time of the whole process (receive path, binding, painting and the flush to
// the display) as a percentage of one core over the wall time.
//
// Two loads: metering lines only (the mix's RM lines after its calibration replies, so every
// line moves the four bars), and the whole mix, whose other reports also change the tuning
// read-outs, band and segment lists, switches and lights several times a second. The mix also
// runs with the window hidden: what receiving costs without painting. Metering also runs with
// each line handed over on its own, as the worst USB serial adapters do: every line is then a
// wake-up of its own, with its own pass through the receive path and its own paint request.
//
// It runs on the platform the environment selects; run-benchmarks starts it under Xvfb when
// that is installed, so that the flush goes to a real X server, and offscreen otherwise.
#include "line_mix.h"
#include "window_rig.h"

#include "app/log_sink.h"
#include "app/run_options.h"
#include "app/run_services.h"
#include "core/hub.h"
#include "ui/display_setup.h"

#include "run_all.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
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

// The mix's calibration replies, then only its metering lines.
const LineMix& meteringOnly() {
    static const LineMix m = [] {
        LineMix only;
        for (const QString& line : mix().lines) {
            if (line.startsWith(QLatin1String("RM ")) || only.lines.size() < 5)
                only.lines << line;
        }
        for (const QString& line : std::as_const(only.lines))
            only.text += line + QStringLiteral("\r\n");
        only.meanLineBytes = double(only.text.size()) / double(only.lines.size());
        return only;
    }();
    return m;
}

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Hands one link `linesPerSecond` lines of `load`, cycling through it, in the pieces a port
// reports, or each line on its own.
class LinePacer {
public:
    LinePacer(MemorySerialLink* link, const LineMix& load, double linesPerSecond, bool perLine)
        : mLink(link), mText(load.text), mBytesPerSecond(linesPerSecond * load.meanLineBytes),
          mPerLine(perLine) {
        mTimer.setTimerType(Qt::PreciseTimer);
        // Per line: woken when the next line is due, as a port that hands over each line on
        // its own wakes its reader once a line; a wake-up with no line would be the runner's
        // cost, not the program's.
        mTimer.setSingleShot(perLine);
        mTimer.setInterval(kPieceMs);
        QObject::connect(&mTimer, &QTimer::timeout, [this] { deliver(); });
        mClock.start();
        mTimer.start();
    }
    qint64 bytesSent() const { return mSent; }

private:
    void deliver() {
        const auto due = static_cast<qint64>(double(mClock.nsecsElapsed()) * mBytesPerSecond / 1e9);
        while (mSent < due) {
            const qsizetype at = mSent % mText.size();
            qint64 length = std::min<qint64>(due - mSent, mText.size() - at);
            if (mPerLine) {
                const qsizetype end = mText.indexOf(QLatin1Char('\n'), at);
                length = (end < 0 ? mText.size() : end + 1) - at;
            }
            const QString piece = mText.mid(at, length);
            mLink->receive(piece);
            mSent += piece.size();
        }
        if (mPerLine) {
            // The next line is due once its first byte is.
            const auto dueNs = static_cast<qint64>(double(mSent + 1) * 1e9 / mBytesPerSecond);
            const qint64 waitNs = dueNs - mClock.nsecsElapsed();
            mTimer.start(int(std::max<qint64>(1, (waitNs + 999'999) / 1'000'000)));
        }
    }

    MemorySerialLink* mLink;
    const QString& mText;
    double mBytesPerSecond;
    bool mPerLine;
    QTimer mTimer;
    QElapsedTimer mClock;
    qint64 mSent = 0;
};

// What a window run adds on every metering line: the alarm monitors, the history with its trip
// ring (history.db in the rig's folder), the station links as configured (none).
std::unique_ptr<RunServices> startServices(WindowRig& rig, LogSink& sink) {
    QDir::setCurrent(rig.dir.path());
    return std::make_unique<RunServices>(*rig.window->server(), sink, RunOptions{});
}

void runEventLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// mix:0 sends metering lines only, mix:1 the whole mix; shown:0 hides the window; per_line:1
// hands each line over on its own instead of in 10 ms pieces.
void BM_LinePaceIntoWindow(benchmark::State& state) {
    const LineMix& load = state.range(0) != 0 ? mix() : meteringOnly();
    const bool shown = state.range(1) != 0;
    const bool perLine = state.range(2) != 0;
    const bool services = state.range(3) != 0;
    const double linesPerSecond = lineLimitPerSecond(kBaud, mix().meanLineBytes);
    WindowRig rig;
    if (!rig.ok) {
        state.SkipWithError(rig.error.toStdString().c_str());
        return;
    }
    if (!shown)
        rig.window->hide();
    LogSink sink;
    const std::unique_ptr<RunServices> run = services ? startServices(rig, sink) : nullptr;
    // Two ports that do not deliver in step.
    LinePacer first(rig.links[0], load, linesPerSecond, perLine);
    runEventLoopFor(kPieceMs / 2);
    LinePacer second(rig.links[1], load, linesPerSecond, perLine);
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
    state.counters["lines_per_s_each"] = double(bytes) / load.meanLineBytes / wall;
    state.counters["paints_per_s"] = double(paints) / wall;
}
BENCHMARK(BM_LinePaceIntoWindow)
    ->Args({0, 1, 0, 0})
    ->Args({0, 1, 1, 0})
    ->Args({0, 1, 0, 1})
    ->Args({0, 1, 1, 1})
    ->Args({1, 1, 0, 0})
    ->Args({1, 0, 0, 0})
    ->ArgNames({"mix", "shown", "per_line", "services"})
    ->Iterations(1)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Feeds `lines` metering lines (rounded up to whole passes) to both amplifiers of a hidden
// window, each line its own pass of the event loop, with or without a window run's services;
// nothing waits on the clock, so the runner can count instructions per line under callgrind.
int runFixedLines(long lines, bool services) {
    WindowRig rig;
    if (!rig.ok) {
        std::fprintf(stderr, "%s\n", qPrintable(rig.error));
        return 1;
    }
    rig.window->hide();
    LogSink sink;
    const std::unique_ptr<RunServices> run = services ? startServices(rig, sink) : nullptr;
    const QStringList& load = meteringOnly().lines;
    const long passes = (lines + load.size() - 1) / load.size();
    for (long p = 0; p < passes; ++p) {
        for (const QString& line : load) {
            const QString text = line + QStringLiteral("\r\n");
            rig.links[0]->receive(text);
            rig.links[1]->receive(text);
            QCoreApplication::sendPostedEvents();
        }
    }
    std::printf("lines=%ld\n", static_cast<long>(passes * load.size()));
    return rig.gaugesShowItems() ? 0 : 1;
}

} // namespace
} // namespace tarvex::bench

int main(int argc, char** argv) {
    long fixedLines = 0;
    bool services = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg.startsWith("--fixed-lines="))
            fixedLines = arg.mid(14).toLong();
        services = services || arg == "--services";
    }
    // Away from the user's own settings of the main window.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    tarvex::prepareDisplayForSmallRepaints(); // as the program does
    QApplication app(argc, argv);
    if (fixedLines > 0)
        return tarvex::bench::runFixedLines(fixedLines, services);
    return tarvex::bench::runAll(argc, argv);
}
