// Latency from a write on a pseudo-terminal to the item change in the driver: a writer thread
// writes a metering line to the master side while the driver, on a real QSerialPort opened on
// the slave side, waits in its event loop. Each sample is the time from just before write() to
// the forward-power item's ValueChange.
//
// A pseudo-terminal does not pace bytes at the baud rate, so these figures are what the program
// and the kernel add on top of the line's own transmission time, which the runner prints
// beside them.
#include "core/hub.h"
#include "driver/ferro_driver.h"
#include "driver/port_names.h"
#include "driver/qt_serial_link.h"

#include "run_all.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tarvex::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSamples = 600;

// A master descriptor and its slave's path; the driver's QSerialPort opens the slave.
struct Pty {
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            return;
        char name[128];
        if (ptsname_r(master, name, sizeof name) == 0)
            slave = QString::fromLocal8Bit(name);
    }
    ~Pty() {
        if (master >= 0)
            ::close(master);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
    int master = -1;
    QString slave;
};

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const auto at = static_cast<std::size_t>(p * double(v.size() - 1) + 0.5);
    return v[std::min(at, v.size() - 1)];
}

// Runs the event loop the way the program does: asleep until something arrives.
void runEventLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void BM_PtyToItemLatency(benchmark::State& state) {
    const int baud = static_cast<int>(state.range(0));
    Pty pty;
    if (pty.slave.isEmpty()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    PortNames names;
    names.setOverride(1, pty.slave);
    DriverEnvironment env;
    env.makeLink = [&names] { return std::make_unique<QtSerialLink>(names); };
    auto hub = Hub::create();
    FerroDriver driver(env);
    driver.setAmpSettings(QStringLiteral("%1,n,8,1").arg(baud));
    driver.Initialize(hub, 0);
    if (!driver.link() || !driver.link()->portOpen()) {
        state.SkipWithError("the driver could not open the slave side");
        driver.Terminate();
        return;
    }

    // Forward power is the square of the first digit times the calibration, so the digit that
    // alternates between samples changes the item every time.
    const auto pfwd = hub->GetItem(QStringLiteral("0pfwd"));
    int expected = -1;
    bool arrived = false;
    Clock::time_point arrivedAt;
    QEventLoop* waiting = nullptr;
    QObject::connect(pfwd.get(), &Item::ValueChange, [&] {
        if (pfwd->Value().toInteger() == expected) {
            arrivedAt = Clock::now();
            arrived = true;
            if (waiting)
                waiting->quit();
        }
    });

    auto writeLine = [&](const std::string& line) {
        return ::write(pty.master, line.data(), line.size()) == ssize_t(line.size());
    };
    auto drainCommands = [&] {
        char sink[4096];
        const int flags = fcntl(pty.master, F_GETFL);
        fcntl(pty.master, F_SETFL, flags | O_NONBLOCK);
        while (::read(pty.master, sink, sizeof sink) > 0) {
        }
        fcntl(pty.master, F_SETFL, flags);
    };

    // Calibration of 0x0100 makes forward power digit squared: 4 or 9 at digits 2 and 3.
    runEventLoopFor(50);
    drainCommands();
    writeLine("B79D = 0100\r\nRM 00000\r\n");
    runEventLoopFor(200);
    if (driver.calibration(FerroDriver::kCalFwd) != 0x0100) {
        state.SkipWithError("the calibration reply did not reach the driver");
        driver.Terminate();
        return;
    }

    std::vector<double> samples;
    samples.reserve(kSamples);
    bool failed = false;
    for (auto _ : state) {
        samples.clear();
        std::mt19937 rng(42);
        std::uniform_int_distribution<int> pauseUs(300, 1500);
        for (int i = 0; i < kSamples && !failed; ++i) {
            const int digit = 2 + (i % 2);
            expected = digit * digit;
            arrived = false;
            Clock::time_point writtenAt;
            // The writer sleeps first, so the driver's thread is asleep in its event loop
            // when the line arrives, as between an amplifier's reports.
            const std::string line = "RM " + std::to_string(digit) + "5555\r\n";
            const auto pause = std::chrono::microseconds(pauseUs(rng));
            std::atomic<bool> writeFailed{false};
            std::thread writer([&] {
                std::this_thread::sleep_for(pause);
                writtenAt = Clock::now();
                if (!writeLine(line))
                    writeFailed = true;
            });
            QEventLoop loop;
            QTimer::singleShot(1000, &loop, &QEventLoop::quit);
            waiting = &loop;
            if (!arrived)
                loop.exec();
            waiting = nullptr;
            writer.join();
            if (!arrived || writeFailed) {
                failed = true;
                break;
            }
            samples.push_back(
                std::chrono::duration<double, std::micro>(arrivedAt - writtenAt).count());
        }
        if (failed)
            break;
        state.SetIterationTime(percentile(samples, 0.5) / 1e6);
    }
    drainCommands();
    driver.Terminate();
    if (failed) {
        state.SkipWithError("a written line never changed the item");
        return;
    }
    state.counters["p50_us"] = percentile(samples, 0.5);
    state.counters["p99_us"] = percentile(samples, 0.99);
    state.counters["max_us"] = percentile(samples, 1.0);
    state.counters["samples"] = double(samples.size());
}
BENCHMARK(BM_PtyToItemLatency)
    ->Arg(4800)
    ->Arg(57600)
    ->ArgName("baud")
    ->Iterations(1)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tarvex::bench

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return tarvex::bench::runAll(argc, argv);
}
