// The driver on a real QSerialPort, talking to the simulated amplifier over a pseudo-terminal.
#include "../support/wait_until.h"
#include "driver/ferro_driver.h"
#include "driver/port_names.h"
#include "driver/qt_serial_link.h"
#include "sim/amp_simulator.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <functional>

namespace tarvex {
namespace {

using test::waitUntil;

class FerroPtyTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::AmpSimulator::Options o;
        o.warmupMs = 150;
        ASSERT_TRUE(amp.start(o)) << amp.errorString().toStdString();
        names.setOverride(4, amp.devicePath());
        DriverEnvironment env;
        env.makeLink = [this] { return std::make_unique<QtSerialLink>(names); };
        driver = std::make_unique<FerroDriver>(env);
        driver->setAmpPort(4);
        driver->setAmpSettings("57600,n,8,1");
        driver->Initialize(hub, 0);
    }
    void TearDown() override { driver->Terminate(); }

    Variant value(const char* name) { return hub->GetItem(name)->Value(); }
    const std::vector<std::string>& received() { return amp.model().commandLog(); }

    HubPtr hub = Hub::create();
    PortNames names;
    sim::AmpSimulator amp;
    std::unique_ptr<FerroDriver> driver;
};

TEST_F(FerroPtyTest, StartupPowerOnOperateAndFaultEndToEnd) {
    ASSERT_TRUE(driver->link()->portOpen());
    const std::vector<std::string> startup{"AC",      "STAT",    "GPIO OFF", "EXT ON",
                                           "RM ON",   "DM B79D", "DM B799",  "DM B79B",
                                           "DM B791", "DM B7A1", "AUTOTUNE"};
    ASSERT_TRUE(waitUntil([&] { return received().size() >= startup.size(); }));
    EXPECT_EQ(std::vector<std::string>(received().begin(), received().begin() + 11), startup);
    EXPECT_EQ(amp.model().receivedBytes().substr(0, 8), "AC\rSTAT\r");

    // The calibration replies arrive and are stored.
    ASSERT_TRUE(waitUntil([&] { return driver->calibration(FerroDriver::kCalSpare) != 0; }));
    EXPECT_EQ(driver->calibration(FerroDriver::kCalFwd), amp.model().memory(0xB79D));

    // Mains on from the panel: the amplifier warms up and stands by.
    hub->GetItem("0ac")->setValue(true);
    ASSERT_TRUE(waitUntil([&] { return value("0warmup").toBoolean(); }));
    ASSERT_TRUE(
        waitUntil([&] { return value("0message").toString() == "Amp on and standing by"; }));
    EXPECT_FALSE(value("0warmup").toBoolean());

    hub->GetItem("0oper")->setValue(true);
    ASSERT_TRUE(waitUntil([&] { return value("0message").toString() == "Amp on and operating"; }));
    EXPECT_TRUE(value("0oper").toBoolean());

    amp.model().injectFault(12);
    ASSERT_TRUE(waitUntil([&] { return value("0fault").toInteger() == 12; }));
    EXPECT_EQ(value("0message").toString(), "12: High input refl power");

    hub->GetItem("0band")->setValue(std::int16_t{3});
    ASSERT_TRUE(waitUntil([&] { return amp.model().band() == 3; }));
    EXPECT_EQ(received().back().substr(0, 6), "BAND 3");
}

TEST(FerroPty, MissingDeviceSaysWhy) {
    PortNames names;
    names.setOverride(7, "/nonexistent/ttyQ7");
    DriverEnvironment env;
    env.makeLink = [&] { return std::make_unique<QtSerialLink>(names); };
    FerroDriver d(env);
    d.setAmpPort(7);
    auto hub = Hub::create();
    d.Initialize(hub, 0);
    EXPECT_EQ(hub->GetItem("0message")->Value().toString(),
              "/nonexistent/ttyQ7: No such file or directory");
    EXPECT_EQ(hub->GetItemCollection().size(), 27u);
    d.Terminate();
}

} // namespace
} // namespace tarvex
