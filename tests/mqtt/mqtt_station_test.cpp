// tarvex --headless with a simulated amplifier on a pseudo-terminal and a real mosquitto, read
// with mosquitto_sub as a dashboard reads it.
#include "broker.h"

#include "../support/printers.h"
#include "core/server_object.h"
#include "driver/ferro_driver.h"
#include "history/history_reader.h"
#include "sim/amp_simulator.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <algorithm>
#include <csignal>

namespace tarvex {
namespace {

using test::waitUntil;

class MqttStation : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(broker.start()) << "mosquitto did not start (scripts/install-deps)";
        auto tower = std::make_shared<FerroDriver>(DriverEnvironment{});
        tower->setDeviceName("Tower");
        tower->setAmpPort(1);
        ASSERT_TRUE(ServerObject::writeModuleList(dir.filePath("server.dat"), {tower}, nullptr));
        sim::AmpSimulator::Options o;
        o.warmupMs = 300;
        ASSERT_TRUE(amp.start(o)) << amp.errorString().toStdString();
    }
    void start(const QStringList& args) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        tarvex.setProcessEnvironment(env);
        tarvex.setWorkingDirectory(dir.path());
        tarvex.start(TARVEX_BINARY, QStringList{"--headless", "--port", "1=" + amp.devicePath(),
                                                "--mqtt", broker.url()} +
                                        args);
        ASSERT_TRUE(tarvex.waitForStarted());
    }
    // How often the run's log holds text, read as it comes, once it holds it times times.
    bool logged(const QString& text, int times = 1, int timeoutMs = 10000) {
        return waitUntil(
                   [&] {
                       log += QString::fromLocal8Bit(tarvex.readAllStandardError());
                       return log.count(text) >= times || tarvex.state() == QProcess::NotRunning;
                   },
                   timeoutMs) &&
               log.count(text) >= times;
    }
    bool received(const std::string& command) {
        const auto& log = amp.model().commandLog();
        return std::find(log.begin(), log.end(), command) != log.end();
    }

    QTemporaryDir dir;
    test::Broker broker;
    sim::AmpSimulator amp;
    QProcess tarvex;
    QString log;
};

TEST_F(MqttStation, RetainedStateCommandsToTheSerialLineAndMetersTwiceASecond) {
    start({"--mqtt-commands", "--mqtt-discovery"});
    ASSERT_TRUE(logged("MQTT: connected to " + broker.url())) << log.toStdString();
    test::Subscriber live(broker, "tarvex/#");
    ASSERT_TRUE(live.waitFor("*", "tarvex/Tower/state", "off"))
        << live.lines().join('\n').toStdString();

    // A dashboard that comes later finds the state waiting for it.
    test::Subscriber late(broker, "#");
    EXPECT_TRUE(late.waitFor("1", "tarvex/Tower/power", "off"));
    ASSERT_TRUE(late.waitFor("1", "tarvex/Tower/state", "off"));
    const QString switchTopic = "homeassistant/switch/tarvex_Tower/operate/config";
    ASSERT_TRUE(waitUntil([&] { return !late.on(switchTopic).isEmpty(); }));
    const QJsonObject config =
        QJsonDocument::fromJson(late.on(switchTopic)[0].section(u' ', 2).toUtf8()).object();
    EXPECT_EQ(config["command_topic"].toString(), "tarvex/Tower/set/oper");
    EXPECT_EQ(config["device"].toObject()["name"].toString(), "Tower");

    ASSERT_TRUE(broker.publish("tarvex/Tower/set/power", "on"));
    EXPECT_TRUE(waitUntil([&] { return received("AC ON"); }));
    ASSERT_TRUE(live.waitFor("*", "tarvex/Tower/state", "standby"));
    ASSERT_TRUE(broker.publish("tarvex/Tower/set/oper", "operate"));
    EXPECT_TRUE(waitUntil([&] { return received("OPER ON"); }));
    ASSERT_TRUE(live.waitFor("*", "tarvex/Tower/state", "operate"));

    // The amplifier meters every 5 ms, forward power swinging between two readings.
    int line = 0;
    QTimer meter;
    QObject::connect(&meter, &QTimer::timeout, [&] {
        const int swing = (line++ % 2) ? 9 : 2;
        amp.model().emitMeter({swing, 1, 3, 2, swing});
    });
    meter.start(5);
    EXPECT_TRUE(waitUntil([&] { return live.on("tarvex/Tower/meters").size() >= 6; }, 10000));
    meter.stop();
    // Each message 0.5 s after the one before (less what delivery under load may shift), and
    // each after the first holding both readings.
    const QStringList meters = live.lines().filter(" tarvex/Tower/meters ");
    for (qsizetype i = 1; i < meters.size(); ++i) {
        EXPECT_GE(meters[i].section(u' ', 0, 0).toDouble() -
                      meters[i - 1].section(u' ', 0, 0).toDouble(),
                  0.25);
        const QJsonObject fwd = QJsonDocument::fromJson(meters[i].section(u' ', 3).toUtf8())
                                    .object()["pfwd"]
                                    .toObject();
        EXPECT_GT(fwd["peak"].toDouble(), fwd["mean"].toDouble()) << meters[i].toStdString();
    }

    ::kill(static_cast<pid_t>(tarvex.processId()), SIGTERM);
    ASSERT_TRUE(tarvex.waitForFinished(10000));
    QStringList remote;
    for (const HistoryEvent& e : HistoryReader(dir.filePath("history.db")).events({})) {
        if (e.kind == "remote")
            remote.prepend(e.text);
    }
    const QString who = "mqtt from " + broker.url() + ": ";
    EXPECT_EQ(remote, QStringList({who + "mains on on amplifier 1: asked",
                                   who + "operate on amplifier 1: asked"}));
}

TEST_F(MqttStation, CommandsAreNotObeyedUnlessAskedFor) {
    start({});
    ASSERT_TRUE(logged("MQTT: connected to " + broker.url())) << log.toStdString();
    test::Subscriber live(broker, "tarvex/#");
    ASSERT_TRUE(live.waitFor("*", "tarvex/Tower/state", "off"));
    ASSERT_TRUE(broker.publish("tarvex/Tower/set/power", "on"));
    // What the amplifier reports after the command has come round through Tarvex and the
    // broker: had the command been obeyed, it would have reached the serial line by then.
    amp.model().injectFault(12);
    ASSERT_TRUE(live.waitFor("*", "tarvex/Tower/fault", "12"));
    EXPECT_FALSE(received("AC ON"));
    EXPECT_FALSE(amp.model().acOn());
}

TEST_F(MqttStation, ABrokerBackGetsTheStateAgainAndAKilledTarvexLeavesItsWill) {
    start({});
    ASSERT_TRUE(logged("MQTT: connected to " + broker.url())) << log.toStdString();
    broker.kill();
    ASSERT_TRUE(logged("MQTT: lost " + broker.url())) << log.toStdString();
    ASSERT_TRUE(broker.start());
    // Within the first waits of the backoff (1 s, then 2 s).
    ASSERT_TRUE(logged("MQTT: connected to " + broker.url(), 2, 6000)) << log.toStdString();
    // The restarted broker kept nothing: what it has came again from Tarvex.
    test::Subscriber late(broker, "tarvex/#");
    ASSERT_TRUE(late.waitFor("*", "tarvex/Tower/state", "off"));

    tarvex.kill();
    EXPECT_TRUE(late.waitFor("0", "tarvex/status", "offline"));
    test::Subscriber after(broker, "tarvex/#");
    EXPECT_TRUE(after.waitFor("1", "tarvex/status", "offline"));
    EXPECT_TRUE(after.waitFor("1", "tarvex/Tower/state", "off"));
}

} // namespace
} // namespace tarvex
