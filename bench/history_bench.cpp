// What keeping the history costs: (a) the CPU and disk of one amplifier metering at 57600 baud
// for a simulated hour, fed through the hub with the recorder's clock moved along with the
// lines; (b) the time the History window takes to open a month of per-second readings.
#include "history/history_recorder.h"
#include "history/history_store.h"
#include "ui/history/frm_history.h"

#include "core/hub.h"
#include "core/item_info.h"

#include "run_all.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <array>
#include <ctime>

namespace tarvex::bench {
namespace {

constexpr qint64 kStart = 1'714'521'600'000; // 2024-05-01T00:00:00Z
constexpr qint64 kDay = 24LL * 3600 * 1000;
// "RM ddddd" with CR LF is ten bytes, ten bits each on the wire.
constexpr double kMeterLinesPerSecond = 57600.0 / 10 / 10;

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The five meter items of amplifier 0 as the driver makes them, with its link up, and an hour
// of metering lines through them: every line sets all five, as the driver does for "RM" lines.
struct MeteredHour {
    HubPtr hub = Hub::create();
    std::array<ItemPtr, 5> meters;
    ItemPtr link;
    qint64 now = kStart;

    MeteredHour() {
        const char* names[] = {"0pfwd", "0prfl", "0pinp", "0ig", "0ip"};
        for (std::size_t i = 0; i < meters.size(); ++i) {
            meters[i] = hub->AttachItem(QLatin1String(names[i]));
            meters[i]->setInfo(std::make_shared<ItemInfo>());
            meters[i]->setValue(Variant());
        }
        link = hub->AttachItem(QStringLiteral("0link"));
        link->setInfo(std::make_shared<ItemInfo>());
        link->setValue(std::int16_t{1}); // the driver's "up": only then is power read
    }
    // Returns the CPU seconds it took; flush is what the recorder's timer does twice a second.
    double feed(const std::function<void()>& flush) {
        const double start = processCpuSeconds();
        const auto lines = static_cast<long long>(kMeterLinesPerSecond * 3600);
        std::uint32_t noise = 1;
        qint64 nextFlush = kStart + 500;
        for (long long n = 0; n < lines; ++n) {
            now = kStart + static_cast<qint64>(double(n) * 1000.0 / kMeterLinesPerSecond);
            noise = noise * 1664525u + 1013904223u;
            const int d = static_cast<int>(noise >> 28); // 0..15, a speaking voice's envelope
            meters[0]->setValue(std::int16_t(d * 90));
            meters[1]->setValue(std::int16_t(d * 3));
            meters[2]->setValue(std::int16_t(d * 4));
            meters[3]->setValue(std::int16_t(d * 2));
            meters[4]->setValue(std::int16_t(d * 60));
            if (now >= nextFlush) {
                flush();
                nextFlush += 500;
            }
        }
        flush();
        return processCpuSeconds() - start;
    }
};

void BM_WriteCostPerHour(benchmark::State& state) {
    for (auto _ : state) {
        const double without = MeteredHour().feed([] {});
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("history.db"));
        MeteredHour hour;
        const double start = processCpuSeconds(); // the writer thread's work included
        {
            HistoryRecorder recorder(path, [&hour] { return hour.now; });
            recorder.start();
            recorder.setHub(hour.hub);
            hour.feed([&recorder] { recorder.flush(); });
            recorder.waitForWriter();
        }
        const double with = processCpuSeconds() - start;
        state.SetIterationTime(with);
        state.counters["cpu_s_per_hour_without_history"] = without;
        state.counters["cpu_s_per_hour_with_history"] = with;
        state.counters["history_cpu_s_per_hour"] = with - without;
        state.counters["db_bytes_per_hour"] = double(QFileInfo(path).size());
    }
}
BENCHMARK(BM_WriteCostPerHour)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// A month of one amplifier on the air every second, written as the recorder writes it but in
// a few large transactions, with a fault and a few state changes a day.
QString seedMonth(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("history.db"));
    HistoryStore store(path);
    if (!store.open(kStart))
        return {};
    for (int day = 0; day < 30; ++day) {
        HistoryBatch b;
        b.readings.reserve(86'400);
        for (int s = 0; s < 86'400; ++s) {
            HistoryReading r;
            r.timeMs = kStart + day * kDay + s * 1000LL;
            r.peak = {1000 + s % 300, 20 + s % 7, 50, 100, 1500};
            r.mean = {900.5, 18.2, 45.1, 90.3, 1400.2};
            b.readings.push_back(r);
        }
        for (int e = 0; e < 24; ++e)
            b.events.push_back({kStart + day * kDay + e * 3'600'000LL, 0, QStringLiteral("Tower"),
                                e % 6 ? QStringLiteral("state") : QStringLiteral("fault"),
                                e % 6 ? std::nullopt : std::optional<int>(14),
                                QStringLiteral("Operate")});
        if (!store.write(b))
            return {};
    }
    return path;
}

void BM_OpenAMonth(benchmark::State& state) {
    static QTemporaryDir dir;
    static const QString path = seedMonth(dir);
    if (path.isEmpty()) {
        state.SkipWithError("the month could not be written");
        return;
    }
    const qint64 end = kStart + 30 * kDay;
    for (auto _ : state) {
        // As the user does it: the window, a range of the whole month, and what it reads.
        frmHistory window(path, [end] { return end; });
        window.spanBox()->setCurrentIndex(frmHistory::kRange);
        window.findChild<QDateTimeEdit*>(QStringLiteral("dtpFrom"))
            ->setDateTime(QDateTime::fromMSecsSinceEpoch(kStart));
        window.findChild<QDateTimeEdit*>(QStringLiteral("dtpTo"))
            ->setDateTime(QDateTime::fromMSecsSinceEpoch(end));
        QElapsedTimer t;
        t.start();
        window.refresh();
        state.SetIterationTime(double(t.nsecsElapsed()) / 1e9);
        state.counters["rows"] = 30.0 * 86'400;
    }
}
BENCHMARK(BM_OpenAMonth)
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tarvex::bench

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return tarvex::bench::runAll(argc, argv);
}
