// The driver on a real QSerialPort, talking to the simulated amplifier over a pseudo-terminal.
#include "../support/wait_until.h"
#include "driver/ferro_driver.h"
#include "driver/port_names.h"
#include "driver/qt_serial_link.h"
#include "sim/amp_simulator.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace tarvex
