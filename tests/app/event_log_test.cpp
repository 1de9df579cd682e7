// The log of a run without a window, against a real driver whose amplifier the test plays.
#include "../support/printers.h"
#include "../support/wait_until.h"
#include "app/event_log.h"
#include "driver/ferro_driver.h"
#include "driver/memory_serial_link.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

using namespace std::chrono_literals;

QStringList gLines;

// The event log's lines, "W " before a warning and "I " before the rest.
void keepEventLines(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (qstrcmp(context.category, "tarvex.events") == 0)
        gLines << (type == QtWarningMsg ? "W " : "I ") + text;
}

// One line an event, said once, from what the amplifier reported: a band a panel asked for,
// a value reported again and the unknown state of a lost link are no events.
TEST(EventLog, SaysEachReportedChangeOnceWithTheAmplifiersNumberAndName) {
    gLines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepEventLines);
    MemorySerialLink* link = nullptr;
    DriverEnvironment env;
    env.timings.retry = 0ms;
    env.timings.pollAfter = 10ms;
    env.timings.giveUpAfter = 10ms;
    env.makeLink = [&link] {
        auto made = std::make_unique<MemorySerialLink>();
        link = made.get();
        return made;
    };
    FerroDriver driver(env);
    driver.setDeviceName("Tower");
    const HubPtr hub = Hub::create();
    driver.Initialize(hub, 1);
    EventLog log;
    log.setHub(hub);
    for (const char* line : {"AMPLIFIER IS OFF", "STATE = WARMUP", "STATE = STANDBY", "BAND = 5",
                             "BAND = 5", "FAULT = 12", "STATE = OPERATE"})
        link->receive(QString::fromLatin1(line) + "\r\n");
    hub->GetItem("1band")->setValue(3); // asked for, not reported
    link->vanish("/dev/ttyUSB0: device removed");
    ASSERT_TRUE(test::waitUntil([&] { return link->portOpen(); }));
    link->receive("STATE = OPERATE\r\n");
    ASSERT_TRUE(test::waitUntil([] { return gLines.last().contains("silent"); }));
    link->receive("BAND = 5\r\n");
    link->receive("AMPLIFIER IS OFF\r\n");
    driver.Terminate();
    qInstallMessageHandler(previous);

    const QString a = "Amplifier 2 (Tower): ";
    EXPECT_EQ(
        gLines,
        QStringList({"I " + a + "port open; waiting for the amplifier to answer",
                     "I " + a + "link up", "I " + a + "power state Off",
                     "I " + a + "power state Warm-up", "I " + a + "power state Standby",
                     "I " + a + "band 20 m reported", "W " + a + "fault 12: High input refl power",
                     "I " + a + "fault cleared", "I " + a + "power state Operate",
                     "W " + a + "link down: /dev/ttyUSB0: device removed; retrying",
                     "I " + a + "port open; waiting for the amplifier to answer",
                     "I " + a + "link up again", "I " + a + "power state Operate",
                     "W " + a + "link silent: the amplifier stopped answering",
                     "I " + a + "link up again", "I " + a + "power state Off"}));
}

} // namespace
} // namespace tarvex
