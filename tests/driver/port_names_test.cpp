#include "driver/port_names.h"

#include <gtest/gtest.h>

#include <QSettings>

namespace tarvex {
namespace {

// The test harness points the per-user settings at a temporary directory.
class PortNamesSettings : public ::testing::Test {
protected:
    void TearDown() override { settings.remove(QStringLiteral("Ports")); }
    QSettings settings{QSettings::UserScope, QStringLiteral("Tarvex"), QStringLiteral("Tarvex")};
};

TEST_F(PortNamesSettings, OverrideBeatsSettingBeatsPlatformDefault) {
    settings.setValue("Ports/2", "/dev/ttyUSB0");
    settings.setValue("Ports/3", "/dev/ttyACM1");
    settings.setValue("Ports/4", "   "); // blank entries do not count
    settings.sync();
    PortNames names({{3, "/dev/pts/9"}});

    EXPECT_EQ(names.deviceFor(1), PortNames::platformDefault(1));
    EXPECT_EQ(names.deviceFor(2), "/dev/ttyUSB0");
    EXPECT_EQ(names.deviceFor(3), "/dev/pts/9");
    EXPECT_EQ(names.deviceFor(4), PortNames::platformDefault(4));

    // A setting changed while the program runs is seen at once.
    settings.setValue("Ports/2", " /dev/ttyUSB5 ");
    settings.sync();
    EXPECT_EQ(names.deviceFor(2), "/dev/ttyUSB5");

    names.setOverride(2, "/dev/ttyX");
    EXPECT_EQ(names.deviceFor(2), "/dev/ttyX");
}

TEST(PortNames, DefaultsCountFromOneAndOutOfRangeHasNoDevice) {
    const PortNames names({{0, "/dev/zero-port"}, {-1, "/dev/minus"}});
    EXPECT_EQ(names.deviceFor(0), std::nullopt);
    EXPECT_EQ(names.deviceFor(-1), std::nullopt);
    EXPECT_EQ(names.deviceFor(32768), std::nullopt);
    EXPECT_TRUE(names.deviceFor(32767).has_value());
#ifdef Q_OS_WIN
    EXPECT_EQ(names.deviceFor(12), "COM12");
#else
    EXPECT_EQ(names.deviceFor(1), "/dev/ttyS0");
    EXPECT_EQ(names.deviceFor(12), "/dev/ttyS11");
#endif
}

TEST(PortNamesOption, AcceptsNumberEqualsDevice) {
    QString error;
    auto option = PortNames::parseOption("1=/dev/ttyUSB0", &error);
    ASSERT_TRUE(option) << error.toStdString();
    EXPECT_EQ(option->port, 1);
    EXPECT_EQ(option->device, "/dev/ttyUSB0");

    // Everything after the first "=" is the device.
    option = PortNames::parseOption("32767=COM3=x");
    ASSERT_TRUE(option);
    EXPECT_EQ(option->port, 32767);
    EXPECT_EQ(option->device, "COM3=x");
}

TEST(PortNamesOption, RefusesWithAMessage) {
    for (const char* text :
         {"", "/dev/ttyUSB0", "=/dev/ttyS0", "0=/dev/ttyS0", "-1=/dev/ttyS0", "+1=/dev/ttyS0",
          " 1=/dev/ttyS0", "1 =/dev/ttyS0", "x=/dev/ttyS0", "32768=/dev/ttyS0", "999999=/dev/ttyS0",
          "1=", "1= /dev/ttyS0", "1=/dev/ttyS0 "}) {
        QString error;
        EXPECT_FALSE(PortNames::parseOption(QString::fromLatin1(text), &error)) << text;
        EXPECT_TRUE(error.startsWith("--port")) << text << ": " << error.toStdString();
    }
    QString error;
    PortNames::parseOption("1=", &error);
    EXPECT_TRUE(error.contains("no device")) << error.toStdString();
    PortNames::parseOption("0=/dev/ttyS0", &error);
    EXPECT_TRUE(error.contains("1 to 32767")) << error.toStdString();
}

} // namespace
} // namespace tarvex
