// The remote panel's speed, with amplifiers played by hand on pseudo-terminals:
//
// - a command sent by a WebSocket client (as the page sends it) to its line leaving Tarvex on
//   the serial port, read on the pseudo-terminal's master side (real QSerialPort, real
//   RemotePanel, in this process);
// - a metering line written on the master side to the client receiving the frame that carries
//   it;
// - the CPU of `tarvex --headless` (a process of its own) with two amplifiers metering at the
//   full 57600-baud line rate, with no client and with 10 connected clients, and the memory
//   each client costs it.
#include "remote_rig.h"

#include "core/hub.h"
#include "core/server_object.h"
#include "driver/ferro_driver.h"
#include "driver/port_names.h"
#include "driver/qt_serial_link.h"
#include "remote/remote_panel.h"
#include "remote/remote_users.h"

#include "run_all.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTemporaryDir>

#include <memory>
#include <random>
#include <unistd.h>

namespace tarvex::bench {
namespace {

constexpr int kSamples = 100;
constexpr int kStartupCommands = 11; // what the driver sends when its port opens
const QString kUser = QStringLiteral("bench");
const QString kPassword = QStringLiteral("bench-password");

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// server.dat naming ports 1..n at 57600 baud, and a users file with one operator.
QString prepare(const QTemporaryDir& dir, int amplifiers) {
    ModuleList modules;
    for (int i = 0; i < amplifiers; ++i) {
        auto driver = std::make_shared<FerroDriver>(DriverEnvironment{});
        driver->setAmpPort(static_cast<std::int16_t>(i + 1));
        driver->setAmpSettings(QStringLiteral("57600,n,8,1"));
        driver->setDeviceName(QStringLiteral("Amp %1").arg(i + 1));
        modules.push_back(driver);
    }
    QString why;
    if (!ServerObject::writeModuleList(dir.filePath(QStringLiteral("server.dat")), modules, &why))
        return why;
    RemoteUsers users;
    if (!users.add(kUser, RemoteUsers::Role::Operate, kPassword, &why) ||
        !users.save(dir.filePath(QStringLiteral("remote-users")), &why))
        return why;
    QDir(dir.path()).mkpath(QStringLiteral("config"));
    return {};
}

// One amplifier, the server and the panel in this process, and one logged-in client.
struct PanelRig {
    PanelRig() {
        if (!amp.ok() || !(error = prepare(dir, 1).toStdString()).empty()) {
            error = error.empty() ? "no pseudo-terminal" : error;
            return;
        }
        names.setOverride(1, amp.slave());
        env.makeLink = [this] { return std::make_unique<QtSerialLink>(names); };
        server = std::make_unique<ServerObject>(
            ServerObject::Collaborators{
                [this] { return std::make_shared<FerroDriver>(env); }, {}, {}},
            dir.filePath(QStringLiteral("server.dat")));
        server->StartServer();
        RemoteOptions options;
        options.usersFile = dir.filePath(QStringLiteral("remote-users"));
        panel = std::make_unique<RemotePanel>(*server, options);
        QString why;
        if (!panel->listen(&why)) {
            error = why.toStdString();
            return;
        }
        const auto operating = [this] {
            const ItemPtr state = server->hub()->GetItem(QStringLiteral("0state"));
            return state && state->Value().toLong() == 4;
        };
        if (!runUntil(operating, 5000)) {
            error = "the amplifier did not report operate";
            return;
        }
        const QByteArray cookie = FeedClient::logIn(panel->port(), kUser, kPassword);
        client = std::make_unique<FeedClient>(panel->port(), cookie);
        if (cookie.isEmpty() || !runUntil([this] { return client->helloSeen(); }, 5000))
            error = "the client was not let in";
    }
    ~PanelRig() {
        client.reset();
        panel.reset();
        if (server)
            server->StopServer();
    }

    QTemporaryDir dir;
    HandAmplifier amp;
    PortNames names;
    DriverEnvironment env;
    std::unique_ptr<ServerObject> server;
    std::unique_ptr<RemotePanel> panel;
    std::unique_ptr<FeedClient> client;
    std::string error;
};

void report(benchmark::State& state, const std::vector<double>& samples) {
    state.counters["p50_ms"] = percentile(samples, 0.5);
    state.counters["p90_ms"] = percentile(samples, 0.9);
    state.counters["max_ms"] = percentile(samples, 1.0);
    state.counters["samples"] = double(samples.size());
}

void BM_RemoteCommandToSerial(benchmark::State& state) {
    PanelRig rig;
    if (!rig.error.empty()) {
        state.SkipWithError(rig.error.c_str());
        return;
    }
    std::mt19937 rng(7);
    // Above the page's ten requests a second, so that none is refused for its rate.
    std::uniform_int_distribution<int> pauseMs(110, 160);
    std::vector<double> samples;
    for (auto _ : state) {
        samples.clear();
        for (int i = 0; i < kSamples; ++i) {
            // Standby, operate, standby, ...: each one a change the amplifier then confirms.
            const bool operate = i % 2 == 1;
            const std::string line = operate ? "OPER ON" : "OPER OFF";
            const std::uint64_t since = rig.amp.serial();
            Clock::time_point arrived;
            const auto sent = Clock::now();
            rig.client->send({{"id", i},
                              {"type", "command"},
                              {"amplifier", 1},
                              {"control", "operate"},
                              {"value", operate}});
            if (!runUntil([&] { return rig.amp.arrivedAfter(since, line, &arrived); }, 2000)) {
                state.SkipWithError("a command never reached the serial line");
                return;
            }
            samples.push_back(ms(arrived - sent));
            runEventLoopFor(pauseMs(rng));
        }
        state.SetIterationTime(percentile(samples, 0.5) / 1000);
    }
    report(state, samples);
}
BENCHMARK(BM_RemoteCommandToSerial)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_RemoteLineToFrame(benchmark::State& state) {
    PanelRig rig;
    if (!rig.error.empty()) {
        state.SkipWithError(rig.error.c_str());
        return;
    }
    int expected = -1;
    bool arrived = false;
    Clock::time_point arrivedAt;
    rig.client->onMessage = [&](const QJsonObject& m) {
        if (m.value(u"type").toString() != u"update" || arrived)
            return;
        for (const QJsonValue& a : m.value(u"amplifiers").toArray()) {
            if (a[u"meters"][u"fwd"].toInt(-1) == expected) {
                arrivedAt = Clock::now();
                arrived = true;
            }
        }
    };
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> pauseMs(20, 90);
    std::vector<double> samples;
    for (auto _ : state) {
        samples.clear();
        for (int i = 0; i < kSamples; ++i) {
            // 30 W per digit squared: 750 W and 1080 W in turn.
            const int digit = 5 + i % 2;
            expected = 30 * digit * digit;
            arrived = false;
            Clock::time_point written;
            // Written from another thread after a pause, so that the line finds the program
            // asleep in its event loop, as between an amplifier's reports.
            std::thread writer([&, pause = pauseMs(rng)] {
                std::this_thread::sleep_for(std::chrono::milliseconds(pause));
                written = Clock::now();
                rig.amp.write("RM " + std::to_string(digit) + "1111");
            });
            const bool ok = runUntil([&] { return arrived; }, 3000);
            writer.join();
            if (!ok) {
                state.SkipWithError("a metering line never reached the client");
                return;
            }
            samples.push_back(ms(arrivedAt - written));
        }
        state.SetIterationTime(percentile(samples, 0.5) / 1000);
    }
    report(state, samples);
}
BENCHMARK(BM_RemoteLineToFrame)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// utime + stime of a process, in clock ticks.
long cpuTicks(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = f.readAll();
    // The fields after the command name, which may hold spaces, from its closing parenthesis.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLong() + fields.value(12).toLong();
}

long residentKb(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

quint16 freePort() {
    QTcpServer probe;
    while (!probe.listen(QHostAddress::LocalHost,
                         quint16(20000 + QRandomGenerator::global()->bounded(12000))))
        ;
    return probe.serverPort();
}

void BM_RemoteClientsCpu(benchmark::State& state) {
    constexpr int kClients = 10;
    constexpr int kWindowMs = 10000;
    QTemporaryDir dir;
    HandAmplifier amps[2];
    if (!amps[0].ok() || !amps[1].ok()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    if (const QString why = prepare(dir, 2); !why.isEmpty()) {
        state.SkipWithError(why.toStdString().c_str());
        return;
    }
    const quint16 port = freePort();
    QProcess tarvex;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    env.insert("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")));
    tarvex.setProcessEnvironment(env);
    tarvex.setWorkingDirectory(dir.path());
    tarvex.setProcessChannelMode(QProcess::MergedChannels);
    tarvex.start(QStringLiteral(TARVEX_EXECUTABLE),
                 {"--headless", "--port", "1=" + amps[0].slave(), "--port", "2=" + amps[1].slave(),
                  "--remote-port", QString::number(port)});
    QByteArray log;
    const bool listening = runUntil(
        [&] {
            log += tarvex.readAll();
            return log.contains("Remote panel listening at");
        },
        10000);
    if (!listening || !runUntil(
                          [&] {
                              return amps[0].linesHeard() >= kStartupCommands &&
                                     amps[1].linesHeard() >= kStartupCommands;
                          },
                          5000)) {
        state.SkipWithError(("tarvex did not start: " + log).constData());
        return;
    }
    const qint64 pid = tarvex.processId();
    const double ticksPerSecond = double(sysconf(_SC_CLK_TCK));
    const auto percentOf = [&](long ticks) {
        return 100.0 * ticks / ticksPerSecond * 1000 / kWindowMs;
    };
    for (HandAmplifier& amp : amps)
        amp.startMetering(57600);
    runEventLoopFor(2000);

    for (auto _ : state) {
        const long idle0 = cpuTicks(pid);
        runEventLoopFor(kWindowMs);
        const long idle = cpuTicks(pid) - idle0;
        const long before = residentKb(pid);

        const QByteArray cookie = FeedClient::logIn(port, kUser, kPassword);
        std::vector<std::unique_ptr<FeedClient>> clients;
        for (int i = 0; i < kClients; ++i)
            clients.push_back(std::make_unique<FeedClient>(port, cookie));
        const bool all = runUntil(
            [&] {
                return std::all_of(clients.begin(), clients.end(),
                                   [](const auto& c) { return c->helloSeen(); });
            },
            5000);
        if (cookie.isEmpty() || !all) {
            state.SkipWithError("the clients were not let in");
            break;
        }
        runEventLoopFor(2000);
        const long after = residentKb(pid);
        const long busy0 = cpuTicks(pid);
        runEventLoopFor(kWindowMs);
        const long busy = cpuTicks(pid) - busy0;
        clients.clear();
        runEventLoopFor(1000);

        state.SetIterationTime(double(busy - idle) / ticksPerSecond);
        state.counters["cpu_pct_no_client"] = percentOf(idle);
        state.counters["cpu_pct_10_clients"] = percentOf(busy);
        state.counters["cpu_pct_added"] = percentOf(busy - idle);
        state.counters["kb_per_client"] = double(after - before) / kClients;
    }
    for (HandAmplifier& amp : amps)
        amp.stopMetering();
    tarvex.terminate();
    tarvex.waitForFinished(5000);
}
BENCHMARK(BM_RemoteClientsCpu)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tarvex::bench

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return tarvex::bench::runAll(argc, argv);
}
