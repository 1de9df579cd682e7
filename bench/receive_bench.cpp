// Receive-path throughput: lines fed through an in-memory link into the driver, first with the
// driver and hub alone, then with the panels of both amplifiers bound and shown in a real main
// window on the offscreen platform.
//
// `--fixed-lines=N` skips Google Benchmark and feeds exactly N lines of the mix through the
// driver alone; the runner executes that under callgrind at two line counts and divides the
// difference in instructions by the difference in lines, which cancels start-up and teardown.
#include "line_mix.h"
#include "window_rig.h"

#include "core/hub.h"
#include "driver/ferro_driver.h"
#include "driver/memory_serial_link.h"

#include "run_all.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace tarvex::bench {
namespace {

constexpr int kMixLines = 1000;
// Painting is let through at most once per display frame (60 Hz), as an event loop that is
// never idle would do; update() calls in between coalesce.
constexpr qint64 kFrameNs = 16'000'000;

const LineMix& mix() {
    static const LineMix m = makeLineMix(kMixLines);
    return m;
}

// One driver on a hub, with one hub listener counting value changes.
struct DriverRig {
    DriverRig() {
        driver = std::make_unique<FerroDriver>(memoryEnvironment(links));
        driver->Initialize(hub, 0);
        QObject::connect(hub.get(), &Hub::ItemChangedValue, [this] { ++events; });
        writtenAtStart = links.front()->written().size();
    }
    ~DriverRig() { driver->Terminate(); }
    MemorySerialLink& link() { return *links.front(); }

    HubPtr hub = Hub::create();
    std::vector<MemorySerialLink*> links;
    std::unique_ptr<FerroDriver> driver;
    qint64 events = 0;
    qsizetype writtenAtStart = 0;
};

// Reports lost work as an error instead of a figure: a driver that stopped parsing would
// otherwise look very fast.
bool checkDriverWorked(benchmark::State& state, const HubPtr& hub, std::int16_t index,
                       qint64 events, qint64 lines, qsizetype newlyWritten) {
    const QString prefix = QString::number(index);
    const int band = hub->GetItem(prefix + QStringLiteral("band"))->Value().toInteger();
    if (band != mix().lastBand) {
        state.SkipWithError(("band item reads " + std::to_string(band) + ", the lines said " +
                             std::to_string(mix().lastBand))
                                .c_str());
        return false;
    }
    // Most lines change at least one value; far fewer events means reports were dropped.
    if (events < lines / 2) {
        state.SkipWithError("too few item events for the lines received");
        return false;
    }
    // Reports are the amplifier's own news: echoing them back as commands would be a fault.
    if (newlyWritten != 0) {
        state.SkipWithError("the driver wrote to the port while only receiving");
        return false;
    }
    return true;
}

void BM_ReceivePath(benchmark::State& state) {
    const auto chunks = cutIntoChunks(mix().text, static_cast<int>(state.range(0)));
    DriverRig rig;
    for (auto _ : state) {
        for (const QString& chunk : chunks)
            rig.link().receive(chunk);
    }
    const qint64 lines = state.iterations() * mix().lines.size();
    if (!checkDriverWorked(state, rig.hub, 0, rig.events, lines,
                           rig.link().written().size() - rig.writtenAtStart))
        return;
    state.SetItemsProcessed(lines);
    state.counters["lines_per_s"] = benchmark::Counter(double(lines), benchmark::Counter::kIsRate);
    state.counters["events_per_line"] = double(rig.events) / double(lines);
    state.counters["mean_line_bytes"] = mix().meanLineBytes;
}
BENCHMARK(BM_ReceivePath)
    ->Arg(8)
    ->Arg(64)
    ->ArgName("chunk_bytes")
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->MinTime(0.5);

void BM_ReceiveWithPanels(benchmark::State& state) {
    const auto chunks = cutIntoChunks(mix().text, static_cast<int>(state.range(0)));
    WindowRig rig;
    if (!rig.ok) {
        state.SkipWithError(rig.error.toStdString().c_str());
        return;
    }
    qint64 events = 0;
    QObject::connect(rig.window->hub().get(), &Hub::ItemChangedValue, [&events] { ++events; });
    const qsizetype written0 = rig.links[0]->written().size();
    const qsizetype written1 = rig.links[1]->written().size();
    const qint64 paintsAtStart = rig.painter.paints;
    QElapsedTimer frame;
    frame.start();
    for (auto _ : state) {
        for (const QString& chunk : chunks) {
            rig.links[0]->receive(chunk);
            rig.links[1]->receive(chunk);
            if (frame.nsecsElapsed() >= kFrameNs) {
                QCoreApplication::processEvents();
                frame.restart();
            }
        }
    }
    QCoreApplication::processEvents(); // the last frame, so the figures include its drawing
    const qint64 lines = state.iterations() * mix().lines.size() * 2;
    const qsizetype newlyWritten =
        rig.links[0]->written().size() - written0 + rig.links[1]->written().size() - written1;
    if (!checkDriverWorked(state, rig.window->hub(), 0, events, lines, newlyWritten) ||
        !checkDriverWorked(state, rig.window->hub(), 1, events, lines, 0))
        return;
    // The panels must show what the drivers hold, or nothing was bound.
    if (!rig.gaugesShowItems()) {
        state.SkipWithError("a forward-power gauge does not show its item");
        return;
    }
    const qint64 paints = rig.painter.paints - paintsAtStart;
    if (paints == 0) {
        state.SkipWithError("nothing was painted");
        return;
    }
    state.SetItemsProcessed(lines);
    state.counters["lines_per_s"] = benchmark::Counter(double(lines), benchmark::Counter::kIsRate);
    state.counters["events_per_line"] = double(events) / double(lines);
    state.counters["paints_per_s"] =
        benchmark::Counter(double(paints), benchmark::Counter::kIsRate);
    state.counters["mean_line_bytes"] = mix().meanLineBytes;
}
BENCHMARK(BM_ReceiveWithPanels)
    ->Arg(64)
    ->ArgName("chunk_bytes")
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->MinTime(1.0);

// Feeds exactly `lines` lines (rounded up to whole passes of the mix) through the driver alone.
int runFixedLines(long lines) {
    const auto chunks = cutIntoChunks(mix().text, 64);
    DriverRig rig;
    const long passes = (lines + kMixLines - 1) / kMixLines;
    for (long p = 0; p < passes; ++p) {
        for (const QString& chunk : chunks)
            rig.link().receive(chunk);
    }
    std::printf("lines=%ld events=%lld\n", passes * kMixLines, static_cast<long long>(rig.events));
    return rig.events > 0 ? 0 : 1;
}

} // namespace
} // namespace tarvex::bench

int main(int argc, char** argv) {
    constexpr const char* kFixed = "--fixed-lines=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kFixed, std::strlen(kFixed)) == 0) {
            QCoreApplication app(argc, argv);
            return tarvex::bench::runFixedLines(std::atol(argv[i] + std::strlen(kFixed)));
        }
    }
    // Offscreen, and away from the user's own settings of the main window.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return tarvex::bench::runAll(argc, argv);
}
