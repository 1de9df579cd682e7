// What publishing to an MQTT broker costs `tarvex --headless` (a process of its own) while two
// amplifiers, played by hand on pseudo-terminals, meter at the full 57600-baud line rate: its
// CPU with and without --mqtt, and the messages a second the broker receives from it (read
// with mosquitto_sub on every topic). The broker is a real mosquitto on a free loopback port.
#include "remote_rig.h"

#include "core/server_object.h"
#include "driver/ferro_driver.h"

#include "run_all.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <unistd.h>

namespace tarvex::bench {
namespace {

constexpr int kStartupCommands = 11; // what the driver sends when its port opens
constexpr int kWindowMs = 10000;

long cpuTicks(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = f.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLong() + fields.value(12).toLong();
}

quint16 freePort() {
    QTcpServer probe;
    while (!probe.listen(QHostAddress::LocalHost,
                         quint16(20000 + QRandomGenerator::global()->bounded(12000))))
        ;
    return probe.serverPort();
}

// Runs tarvex on both amplifiers (with extra arguments) and returns its CPU, in per cent of
// one core, over the window once metering runs; empty with *why when it did not start.
std::optional<double> measure(const QTemporaryDir& dir, HandAmplifier (&amps)[2],
                              const QStringList& extra, const QByteArray& ready,
                              const std::function<void()>& windowStart, QString* why) {
    QProcess tarvex;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    env.insert("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")));
    tarvex.setProcessEnvironment(env);
    tarvex.setWorkingDirectory(dir.path());
    tarvex.setProcessChannelMode(QProcess::MergedChannels);
    const std::size_t heard0 = amps[0].linesHeard();
    const std::size_t heard1 = amps[1].linesHeard();
    tarvex.start(QStringLiteral(TARVEX_EXECUTABLE),
                 QStringList{"--headless", "--port", "1=" + amps[0].slave(), "--port",
                             "2=" + amps[1].slave()} +
                     extra);
    QByteArray log;
    const bool started = runUntil(
        [&] {
            log += tarvex.readAll();
            return log.contains(ready) && amps[0].linesHeard() >= heard0 + kStartupCommands &&
                   amps[1].linesHeard() >= heard1 + kStartupCommands;
        },
        10000);
    if (!started) {
        *why = QStringLiteral("tarvex did not start: ") + QString::fromLocal8Bit(log);
        return std::nullopt;
    }
    for (HandAmplifier& amp : amps)
        amp.startMetering(57600);
    runEventLoopFor(2000);
    const qint64 pid = tarvex.processId();
    windowStart();
    const long before = cpuTicks(pid);
    runEventLoopFor(kWindowMs);
    const long ticks = cpuTicks(pid) - before;
    for (HandAmplifier& amp : amps)
        amp.stopMetering();
    tarvex.terminate();
    tarvex.waitForFinished(5000);
    return 100.0 * double(ticks) / double(sysconf(_SC_CLK_TCK)) * 1000 / kWindowMs;
}

void BM_MqttPublishCpu(benchmark::State& state) {
    QTemporaryDir dir;
    HandAmplifier amps[2];
    if (!amps[0].ok() || !amps[1].ok()) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    ModuleList modules;
    for (int i = 0; i < 2; ++i) {
        auto driver = std::make_shared<FerroDriver>(DriverEnvironment{});
        driver->setAmpPort(static_cast<std::int16_t>(i + 1));
        driver->setAmpSettings(QStringLiteral("57600,n,8,1"));
        driver->setDeviceName(QStringLiteral("Amp %1").arg(i + 1));
        modules.push_back(driver);
    }
    QString why;
    if (!ServerObject::writeModuleList(dir.filePath(QStringLiteral("server.dat")), modules, &why)) {
        state.SkipWithError(why.toStdString().c_str());
        return;
    }
    const quint16 port = freePort();
    QFile config(dir.filePath(QStringLiteral("mosquitto.conf")));
    if (!config.open(QIODevice::WriteOnly)) {
        state.SkipWithError("cannot write the broker's configuration");
        return;
    }
    config.write(
        QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\n").arg(port).toUtf8());
    config.close();
    QProcess broker;
    QString mosquitto = QStandardPaths::findExecutable(QStringLiteral("mosquitto"));
    if (mosquitto.isEmpty())
        mosquitto = QStandardPaths::findExecutable(QStringLiteral("mosquitto"), {"/usr/sbin"});
    broker.start(mosquitto, {"-c", config.fileName()});
    if (mosquitto.isEmpty() || !broker.waitForStarted()) {
        state.SkipWithError("mosquitto did not start (scripts/install-deps)");
        return;
    }
    const bool listening = runUntil(
        [&] {
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, port);
            return probe.waitForConnected(200);
        },
        5000);
    if (!listening) {
        state.SkipWithError("mosquitto does not listen");
        return;
    }
    QProcess sub;
    sub.start(QStringLiteral("mosquitto_sub"),
              {"-h", "127.0.0.1", "-p", QString::number(port), "-t", "#"});
    const QString url = QStringLiteral("mqtt://127.0.0.1:%1").arg(port);

    for (auto _ : state) {
        const auto without = measure(
            dir, amps, {}, "Serving", [] {}, &why);
        qsizetype messages = 0;
        const auto with = measure(
            dir, amps, {"--mqtt", url, "--mqtt-discovery"}, "MQTT: connected",
            [&] { messages = sub.readAllStandardOutput().count('\n'); }, &why);
        messages = sub.readAllStandardOutput().count('\n');
        if (!without || !with) {
            state.SkipWithError(why.toStdString().c_str());
            break;
        }
        state.SetIterationTime((*with - *without) / 100.0 * kWindowMs / 1000);
        state.counters["cpu_pct_without_mqtt"] = *without;
        state.counters["cpu_pct_with_mqtt"] = *with;
        state.counters["cpu_pct_added"] = *with - *without;
        state.counters["broker_msgs_per_s"] = double(messages) * 1000 / kWindowMs;
        // Ten bytes of ten bits a metering line, on both ports.
        state.counters["meter_lines_per_s"] = 2 * 57600.0 / 100;
    }
    sub.kill();
    sub.waitForFinished();
    broker.kill();
    broker.waitForFinished();
}
BENCHMARK(BM_MqttPublishCpu)
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
