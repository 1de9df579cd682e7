// The whole program as a user runs it: `tarvex` as a process of its own on the offscreen
// platform, with two simulated amplifiers on pseudo-terminals served by this process.
//
// Idle: once both amplifiers have received the program's start-up commands and the replies
// have settled, the CPU time the process uses over 10 s (utime + stime from /proc/PID/stat,
// and the scheduler's exact run time where /proc/PID/task/*/schedstat exists) and how often its
// threads were woken. The amplifiers send nothing unasked, so all of it is the program's own.
//
// Start-up: `tarvex --screenshot FILE --settle 0` renders the whole main window (both
// amplifiers' panels) and writes it as a PNG; the time from fork to the PNG's modification
// time is the start-up to a painted window. Peak memory is the child's maximum resident set.
#include "core/server_object.h"
#include "driver/ferro_driver.h"
#include "sim/amp_simulator.h"

#include "run_all.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <array>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace tarvex::bench {
namespace {

constexpr int kIdleSeconds = 10;
constexpr int kStartupCommands = 11; // what the driver sends when its port opens

void runEventLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Two silent simulated amplifiers and a working directory whose list names them as ports 1
// and 2.
struct Stage {
    Stage() {
        for (auto& amp : amps) {
            amp = std::make_unique<sim::AmpSimulator>();
            sim::AmpSimulator::Options o;
            o.meterIntervalMs = 0;
            if (!amp->start(o)) {
                error = "simulator: " + amp->errorString().toStdString();
                return;
            }
        }
        QDir(dir.path()).mkpath(QStringLiteral("config"));
        ModuleList modules;
        for (int i = 0; i < 2; ++i) {
            auto driver = std::make_shared<FerroDriver>(DriverEnvironment{});
            driver->setAmpPort(static_cast<std::int16_t>(i + 1));
            driver->setDeviceName(QStringLiteral("Amp %1").arg(i + 1));
            modules.push_back(driver);
        }
        QString why;
        if (!ServerObject::writeModuleList(dir.filePath(QStringLiteral("server.dat")), modules,
                                           &why))
            error = "server.dat: " + why.toStdString();
    }

    std::vector<std::string> arguments(const std::vector<std::string>& extra) const {
        std::vector<std::string> args{TARVEX_EXECUTABLE};
        for (int i = 0; i < 2; ++i)
            args.insert(args.end(), {"--port", std::to_string(i + 1) + "=" +
                                                   amps[i]->devicePath().toStdString()});
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }

    // Starts the program in the stage's directory; -1 when it could not be started.
    pid_t spawn(const std::vector<std::string>& args) const {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string var(*e);
            if (var.rfind("QT_QPA_PLATFORM=", 0) != 0 && var.rfind("XDG_CONFIG_HOME=", 0) != 0)
                env.push_back(var);
        }
        env.push_back("QT_QPA_PLATFORM=offscreen");
        env.push_back("XDG_CONFIG_HOME=" + dir.filePath(QStringLiteral("config")).toStdString());
        std::vector<char*> argv, envp;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        for (const auto& e : env)
            envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        const std::string cwd = dir.path().toStdString();
        const std::string log = dir.filePath(QStringLiteral("tarvex.log")).toStdString();
        const pid_t pid = fork();
        if (pid == 0) {
            // Qt's start-up notes go to a log in the stage, not into the benchmark's table.
            const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            if (out >= 0) {
                dup2(out, STDOUT_FILENO);
                dup2(out, STDERR_FILENO);
            }
            if (chdir(cwd.c_str()) == 0)
                execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        return pid;
    }

    bool bothStarted() const {
        return amps[0]->model().commandLog().size() >= kStartupCommands &&
               amps[1]->model().commandLog().size() >= kStartupCommands;
    }
    std::size_t commandsReceived() const {
        return amps[0]->model().commandLog().size() + amps[1]->model().commandLog().size();
    }

    QTemporaryDir dir;
    std::array<std::unique_ptr<sim::AmpSimulator>, 2> amps;
    std::string error;
};

// Waits for the child while serving the amplifiers; returns whether it exited by itself.
bool reap(pid_t pid, int timeoutMs, int* status, rusage* usage) {
    for (int waited = 0; waited < timeoutMs; ++waited) {
        if (wait4(pid, status, WNOHANG, usage) == pid)
            return true;
        runEventLoopFor(1);
    }
    kill(pid, SIGKILL);
    wait4(pid, status, 0, usage);
    return false;
}

struct CpuSample {
    double ticks = 0;          // utime + stime, in clock ticks
    double runNs = -1;         // exact run time of all threads, when the kernel reports it
    long long switches = 0;    // voluntary + involuntary context switches of all threads
    long long highWaterKb = 0; // VmHWM
};

CpuSample sampleCpu(pid_t pid) {
    CpuSample s;
    const QString proc = QStringLiteral("/proc/%1").arg(pid);
    QFile stat(proc + QStringLiteral("/stat"));
    if (stat.open(QIODevice::ReadOnly)) {
        // The fields after the command name, which may itself hold spaces and parentheses.
        const QByteArray text = stat.readAll();
        const QList<QByteArray> f = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (f.size() > 12)
            s.ticks = f[11].toDouble() + f[12].toDouble(); // utime, stime: fields 14 and 15
    }
    bool haveRunTime = true;
    double runNs = 0;
    for (const QString& task :
         QDir(proc + QStringLiteral("/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString base = proc + QStringLiteral("/task/") + task;
        QFile sched(base + QStringLiteral("/schedstat"));
        if (sched.open(QIODevice::ReadOnly))
            runNs += sched.readAll().split(' ').value(0).toDouble();
        else
            haveRunTime = false;
        QFile status(base + QStringLiteral("/status"));
        if (status.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : status.readAll().split('\n')) {
                if (line.startsWith("voluntary_ctxt_switches:") ||
                    line.startsWith("nonvoluntary_ctxt_switches:"))
                    s.switches += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
            }
        }
    }
    if (haveRunTime)
        s.runNs = runNs;
    QFile status(proc + QStringLiteral("/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                s.highWaterKb = line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return s;
}

void BM_IdleTwoAmplifiers(benchmark::State& state) {
    Stage stage;
    if (!stage.error.empty()) {
        state.SkipWithError(stage.error.c_str());
        return;
    }
    const pid_t pid = stage.spawn(stage.arguments({}));
    if (pid < 0) {
        state.SkipWithError("fork failed");
        return;
    }
    for (int waited = 0; waited < 10000 && !stage.bothStarted(); waited += 10)
        runEventLoopFor(10);
    if (!stage.bothStarted()) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        state.SkipWithError("tarvex did not talk to both amplifiers");
        return;
    }
    runEventLoopFor(1000); // replies handled, first paint done
    const std::size_t commandsBefore = stage.commandsReceived();

    const long ticksPerSecond = sysconf(_SC_CLK_TCK);
    CpuSample before, after;
    for (auto _ : state) {
        before = sampleCpu(pid);
        runEventLoopFor(kIdleSeconds * 1000);
        after = sampleCpu(pid);
        state.SetIterationTime(kIdleSeconds);
    }
    const bool alive = waitpid(pid, nullptr, WNOHANG) == 0;
    // Starting up certainly took CPU time; reading none means /proc was not read.
    const bool readable = before.ticks > 0 || before.runNs > 0;
    const std::size_t sent = stage.commandsReceived() - commandsBefore;
    kill(pid, SIGTERM);
    int status = 0;
    rusage usage{};
    reap(pid, 5000, &status, &usage);
    if (!alive) {
        state.SkipWithError("tarvex ended while idle");
        return;
    }
    if (!readable) {
        state.SkipWithError("could not read the CPU time of tarvex from /proc");
        return;
    }
    if (sent != 0) {
        state.SkipWithError("tarvex sent commands while idle: it polls");
        return;
    }
    state.counters["cpu_ms"] = (after.ticks - before.ticks) * 1000.0 / double(ticksPerSecond);
    state.counters["tick_ms"] = 1000.0 / double(ticksPerSecond);
    if (before.runNs >= 0 && after.runNs >= 0)
        state.counters["run_ms"] = (after.runNs - before.runNs) / 1e6;
    state.counters["wakeups_per_s"] =
        double(after.switches - before.switches) / double(kIdleSeconds);
    state.counters["startup_cpu_ms"] = before.ticks * 1000.0 / double(ticksPerSecond);
    state.counters["hwm_mb"] = double(after.highWaterKb) / 1024.0;
}
BENCHMARK(BM_IdleTwoAmplifiers)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

double realtimeSeconds(const timespec& t) {
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void BM_StartupToPaintedWindow(benchmark::State& state) {
    Stage stage;
    if (!stage.error.empty()) {
        state.SkipWithError(stage.error.c_str());
        return;
    }
    const QString shot = stage.dir.filePath(QStringLiteral("shot.png"));
    const auto args = stage.arguments({"--screenshot", shot.toStdString(), "--settle", "0"});
    double maxRssMb = 0;
    double exitMs = 0;
    for (auto _ : state) {
        QFile::remove(shot);
        timespec start{};
        clock_gettime(CLOCK_REALTIME, &start);
        const pid_t pid = stage.spawn(args);
        int status = 0;
        rusage usage{};
        const bool exited = pid > 0 && reap(pid, 30000, &status, &usage);
        timespec end{};
        clock_gettime(CLOCK_REALTIME, &end);
        struct stat info {};
        if (!exited || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
            stat(shot.toLocal8Bit().constData(), &info) != 0 || info.st_size == 0) {
            state.SkipWithError("tarvex --screenshot failed or wrote no picture");
            return;
        }
        state.SetIterationTime(realtimeSeconds(info.st_mtim) - realtimeSeconds(start));
        maxRssMb = double(usage.ru_maxrss) / 1024.0;
        exitMs = (realtimeSeconds(end) - realtimeSeconds(start)) * 1000.0;
    }
    if (!stage.bothStarted()) {
        state.SkipWithError("tarvex did not open both amplifiers' ports");
        return;
    }
    state.counters["maxrss_mb"] = maxRssMb;
    state.counters["to_exit_ms"] = exitMs;
}
BENCHMARK(BM_StartupToPaintedWindow)
    ->Iterations(1)
    ->Repetitions(7)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tarvex::bench

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return tarvex::bench::runAll(argc, argv);
}
