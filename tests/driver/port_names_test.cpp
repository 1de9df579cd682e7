#include "../support/printers.h"
#include "driver/port_names.h"

#include <gtest/gtest.h>

#include <QSettings>

namespace tarvex {
namespace {

// The test harness points the per-user settings at a temporary directory.
TEST(PortNames, OverrideBeatsSettingBeatsPlatformDefault) {
    QSettings settings(QSettings::UserScope, QStringLiteral("Tarvex"), QStringLiteral("Tarvex"));
    settings.setValue("Ports/2", " /dev/ttyUSB0 "); // trimmed
    settings.setValue("Ports/3", "/dev/ttyACM1");
    settings.setValue("Ports/4", "   "); // blank entries do not count
    PortNames names({{3, "/dev/pts/9"}, {0, "/dev/zero-port"}});

    EXPECT_EQ(names.deviceFor(2), "/dev/ttyUSB0");
    EXPECT_EQ(names.deviceFor(3), "/dev/pts/9");
    EXPECT_EQ(names.deviceFor(4), PortNames::platformDefault(4));
    EXPECT_EQ(names.deviceFor(0), std::nullopt);
    EXPECT_EQ(names.deviceFor(32768), std::nullopt);
    EXPECT_TRUE(names.deviceFor(32767).has_value());
#ifndef Q_OS_WIN
    EXPECT_EQ(names.deviceFor(1), "/dev/ttyS0");
#endif
    settings.remove(QStringLiteral("Ports"));
}

TEST(PortNames, OptionIsNumberEqualsDevice) {
    const auto option = PortNames::parseOption("32767=COM3=x"); // the device is all after "="
    ASSERT_TRUE(option);
    EXPECT_EQ(std::pair(option->port, option->device), std::pair(32767, QString("COM3=x")));

    const std::pair<const char*, const char*> refused[] = {
        {"/dev/ttyUSB0", "--port expects"},     {"0=/dev/ttyS0", "1 to 32767"},
        {"+1=/dev/ttyS0", "1 to 32767"},        {"32768=/dev/ttyS0", "1 to 32767"},
        {"999999=/dev/ttyS0", "1 to 32767"},    {"1=", "no device"},
        {"1= /dev/ttyS0", "surrounding spaces"}};
    for (const auto& [text, why] : refused) {
        QString error;
        EXPECT_FALSE(PortNames::parseOption(QString::fromLatin1(text), &error)) << text;
        EXPECT_TRUE(error.contains(QLatin1String(why))) << text << ": " << error.toStdString();
    }
}

} // namespace
} // namespace tarvex
