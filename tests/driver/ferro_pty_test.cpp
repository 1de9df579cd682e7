// The driver on a real QSerialPort, talking over a pseudo-terminal to the simulated amplifier
// or to a recorded session (format in tests/data/README.md) replayed through one.
#include "../support/printers.h"
#include "../support/wait_until.h"
#include "driver/ferro_driver.h"
#include "driver/port_names.h"
#include "driver/qt_serial_link.h"
#include "driver/resolving_serial_link.h"
#include "sim/amp_simulator.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tarvex {
namespace {

using test::waitUntil;

TEST(FerroPty, StartupPowerOnOperateFaultAndBandWithTheSimulator) {
    sim::AmpSimulator amp;
    sim::AmpSimulator::Options o;
    o.warmupMs = 150;
    ASSERT_TRUE(amp.start(o)) << amp.errorString().toStdString();
    PortNames names({{1, amp.devicePath()}});
    DriverEnvironment env;
    env.makeLink = [&] { return std::make_unique<QtSerialLink>(names); };
    FerroDriver driver(env);
    driver.setAmpSettings("57600,n,8,1");
    const HubPtr hub = Hub::create();
    driver.Initialize(hub, 0);
    auto value = [&](const char* name) { return hub->GetItem(name)->Value(); };

    // The start-up list arrives in order; the calibration replies come back and are stored.
    ASSERT_TRUE(waitUntil([&] { return driver.calibration(FerroDriver::kCalSpare) != 0; }));
    EXPECT_EQ(amp.model().receivedBytes().substr(0, 8), "AC\rSTAT\r");
    EXPECT_EQ(driver.calibration(FerroDriver::kCalFwd), amp.model().memory(0xB79D));

    hub->GetItem("0ac")->setValue(true);
    ASSERT_TRUE(waitUntil([&] { return value("0warmup").toBoolean(); }));
    ASSERT_TRUE(
        waitUntil([&] { return value("0message").toString() == "Amp on and standing by"; }));
    EXPECT_FALSE(value("0warmup").toBoolean());

    hub->GetItem("0oper")->setValue(true);
    ASSERT_TRUE(waitUntil([&] { return value("0message").toString() == "Amp on and operating"; }));

    amp.model().injectFault(12);
    ASSERT_TRUE(waitUntil([&] { return value("0fault").toInteger() == 12; }));
    EXPECT_EQ(value("0message").toString(), "12: High input refl power");

    hub->GetItem("0band")->setValue(std::int16_t{3});
    ASSERT_TRUE(waitUntil([&] { return amp.model().band() == 3; }));
    driver.Terminate();
}

// The adapter pulled and plugged back under the same name: each time the driver says why the
// port is down, reopens it and asks again, and no descriptor is left behind.
TEST(FerroPty, AReturningDeviceIsReopenedAndAskedAgainWithoutLeakingDescriptors) {
    QTemporaryDir dir;
    sim::AmpSimulator amp;
    sim::AmpSimulator::Options o;
    o.linkPath = dir.filePath("amp");
    ASSERT_TRUE(amp.start(o)) << amp.errorString().toStdString();
    PortNames names({{1, o.linkPath}});
    DriverEnvironment env;
    env.makeLink = [&] { return std::make_unique<ResolvingSerialLink>(names); };
    env.timings.retry = std::chrono::milliseconds(1);
    FerroDriver driver(env);
    const HubPtr hub = Hub::create();
    driver.Initialize(hub, 0);
    const auto asked = [&] { return amp.model().receivedBytes().ends_with("AUTOTUNE\r"); };
    ASSERT_TRUE(waitUntil(asked));
    const auto descriptors = [] { return QDir(QStringLiteral("/proc/self/fd")).count(); };
    const auto before = descriptors();
    // Each open of a serial port syncs its lock file to disk: a few cycles are enough here.
    for (int cycle = 0; cycle < 20; ++cycle) {
        amp.stop();
        amp.model().clearLog();
        ASSERT_TRUE(waitUntil([&] {
            return hub->GetItem("0message")->Value().toString() ==
                   o.linkPath + ": device removed; retrying";
        }));
        ASSERT_TRUE(amp.start(o));
        ASSERT_TRUE(waitUntil(asked)) << "cycle " << cycle;
    }
    EXPECT_EQ(descriptors(), before);
}

// The real link, counting what the driver takes, so that a check knows the driver has seen
// everything sent before it and compares at once (waiting for the value could let a wrong
// intermediate value pass).
class CountingLink : public QtSerialLink {
public:
    CountingLink(const PortNames& names, qint64& taken) : QtSerialLink(names), mTaken(taken) {}
    QString input() override {
        QString text = QtSerialLink::input();
        mTaken += text.size();
        return text;
    }

private:
    qint64& mTaken;
};

TEST(TranscriptReplay, RecordedSessionYieldsTheRecordedValues) {
    QFile file(QStringLiteral(TARVEX_TEST_DATA_DIR "/startup_fault_band_change.transcript"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    sim::PtyPort amp;
    ASSERT_TRUE(amp.open({})) << amp.errorString().toStdString();
    QByteArray fromDriver;
    QObject::connect(&amp, &sim::PtyPort::received, [&](const QByteArray& b) { fromDriver += b; });
    PortNames names({{1, amp.slavePath()}});
    qint64 taken = 0;
    DriverEnvironment env;
    env.makeLink = [&] { return std::make_unique<CountingLink>(names, taken); };
    FerroDriver driver(env);
    const HubPtr hub = Hub::create();
    driver.Initialize(hub, 0);
    ASSERT_TRUE(waitUntil([&] { return fromDriver.endsWith("AUTOTUNE\r"); }));
    fromDriver.clear();

    qint64 sent = 0;
    int checks = 0;
    const QList<QByteArray> entries = file.readAll().split('\n');
    for (qsizetype n = 0; n < entries.size(); ++n) {
        const QByteArray& e = entries[n];
        const qsizetype space = e.indexOf(' ', 2);
        if (e.startsWith('+')) {
            // Only order and splitting matter to the driver: short gaps keep chunks apart,
            // long ones (the warm-up) are shortened.
            waitUntil([] { return false; }, std::min(e.mid(1, space - 1).toInt(), 20));
            QByteArray bytes = e.mid(space + 1);
            amp.write(bytes.replace("\\r", "\r").replace("\\n", "\n"));
            sent += bytes.size();
        } else if (e.startsWith("= ")) {
            ASSERT_TRUE(waitUntil([&] { return taken == sent; })) << "line " << n + 1;
            const QString item = QString::fromLatin1(e.mid(2, space < 0 ? -1 : space - 2));
            EXPECT_EQ(hub->GetItem("0" + item)->Value().toString(),
                      space < 0 ? QString() : QString::fromLatin1(e.mid(space + 1)))
                << "line " << n + 1;
            ++checks;
        }
    }
    EXPECT_GT(checks, 50);
    // Reports never become commands; only the power-on notice is answered (operate is already
    // off, so only the mains command goes out).
    EXPECT_EQ(fromDriver, "AC ON\r");
}

} // namespace
} // namespace tarvex
