#include "../support/printers.h"
#include "core/user_settings.h"
#include "driver/port_names.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <unistd.h>

namespace tarvex {
namespace {

// The test harness points the per-user settings at a temporary directory.
TEST(PortNames, OverrideBeatsSettingBeatsPlatformDefault) {
    QSettings settings = userSettings();
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

// ttyA and ttyB stand in for devices, in a directory with links to them as udev makes them.
TEST(PortNames, DevicesGoByTheirStableLinkAndLinksToUnlistedDevicesAreOffered) {
    QTemporaryDir root;
    const auto at = [&](const QString& name) { return root.filePath(name); };
    QFile(at("ttyA")).open(QIODevice::WriteOnly);
    QFile(at("ttyB")).open(QIODevice::WriteOnly);
    const std::pair<const char*, const char*> links[] = {
        {"a-first", "ttyA"}, {"b-second", "ttyA"}, {"c-gone", "ttyGone"}, {"d-other", "ttyB"}};
    for (const auto& [link, target] : links)
        ASSERT_TRUE(QFile::link(at(target), at(link)));
    const QList<PortNames::SystemPort> system = {{at("ttyA"), "USB UART", "Acme", "A1"},
                                                 {at("ttyC"), "", "", "7"}};
    EXPECT_EQ(PortNames::listDevices(system, root.path()),
              PortNames::DeviceList({{at("a-first"), "USB UART, Acme, serial A1 on " + at("ttyA")},
                                     {at("ttyC"), "serial 7"},
                                     {at("d-other"), at("ttyB")}}));
}

TEST(PortNames, AccessTellsDeniedHeldAndStaleApart) {
    using enum PortNames::Access;
    QTemporaryDir dir;
    const QString device = dir.filePath("ttyX");
    QFile(device).open(QIODevice::WriteOnly);
    // Refused though nothing is wrong with our rights: someone holds it exclusively.
    EXPECT_EQ(PortNames::refusedMessage(device),
              device + ": in use by another program; close it there first");
    // Lock files as serial programs leave them: the holder's pid first.
    QFile lock(dir.filePath("LCK.." + QFileInfo(device).canonicalFilePath().replace('/', '_')));
    const std::pair<qint64, PortNames::Access> holders[] = {
        {::getppid(), InUse}, {::getpid(), InUseHere}, {0x7ffffff0, Usable}};
    for (const auto& [pid, expected] : holders) {
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly | QIODevice::Truncate));
        lock.write(QByteArray::number(pid) + "\ntarvex\n");
        lock.close();
        EXPECT_EQ(PortNames::probeAccess(device, {dir.path()}), expected) << pid;
    }
    if (::geteuid() != 0) { // root may open anything
        QFile::setPermissions(device, {});
        EXPECT_EQ(PortNames::probeAccess(device, {dir.path()}), Denied);
    }
    EXPECT_EQ(PortNames::accessMessage("/dev/ttyUSB0", Denied),
              "/dev/ttyUSB0: permission denied; add yourself to the dialout group "
              "(sudo usermod -aG dialout $USER) and log in again");
}

} // namespace
} // namespace tarvex
