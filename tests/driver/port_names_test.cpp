#include "../support/printers.h"
#include "driver/port_names.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <unistd.h>

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

// ttyA and ttyB stand in for devices; by-id holds links to them, as udev makes them.
TEST(PortNames, DevicesGoByTheirStableLinkAndLinksToUnlistedDevicesAreOffered) {
    QTemporaryDir root;
    const auto at = [&](const QString& name) { return root.filePath(name); };
    QFile(at("ttyA")).open(QIODevice::WriteOnly);
    QFile(at("ttyB")).open(QIODevice::WriteOnly);
    QDir(root.path()).mkdir("by-id");
    const std::pair<const char*, const char*> links[] = {
        {"a-first", "ttyA"}, {"b-second", "ttyA"}, {"c-gone", "ttyGone"}, {"d-other", "ttyB"}};
    for (const auto& [link, target] : links)
        ASSERT_TRUE(QFile::link(at(target), at("by-id/") + link));
    const QList<PortNames::SystemPort> system = {{at("ttyA"), "USB UART", "Acme", "A1"},
                                                 {at("ttyC"), "", "", "7"}};
    EXPECT_EQ(
        PortNames::listDevices(system, at("by-id")),
        PortNames::DeviceList({{at("by-id/a-first"), "USB UART, Acme, serial A1 on " + at("ttyA")},
                               {at("ttyC"), "serial 7"},
                               {at("by-id/d-other"), at("ttyB")}}));
    EXPECT_EQ(PortNames::listDevices(system, at("none")).front().first, at("ttyA"));
}

TEST(PortNames, DeviceNameIsAPathOrTcpHostAndPort) {
    const std::pair<const char*, bool> names[] = {
        {"/dev/ttyUSB0", true}, {"tcp://ser.local:4001", true}, {"tcp://[::1]:65535", true},
        {" ", false},           {"tcp://ser.local", false},     {"tcp://:4001", false},
        {"tcp://h:0", false},   {"tcp://h:65536", false},       {"udp://h:4001", false}};
    for (const auto& [name, ok] : names)
        EXPECT_EQ(PortNames::checkDeviceName(name).isEmpty(), ok) << name;
}

TEST(PortNames, AccessTellsMissingDeniedHeldAndStaleApart) {
    using enum PortNames::Access;
    QTemporaryDir dir;
    const QString device = dir.filePath("ttyX");
    // Compared as the messages they give, so a failure reads as text.
    const auto message = [](PortNames::Access a) { return PortNames::accessMessage("d", a); };
    const auto probe = [&] { return message(PortNames::probeAccess(device, {dir.path()})); };
    EXPECT_EQ(probe(), message(Missing));
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
        EXPECT_EQ(probe(), message(expected)) << pid;
    }
    if (::geteuid() != 0) { // root may open anything
        QFile::setPermissions(device, {});
        EXPECT_EQ(probe(), message(Denied));
    }
    EXPECT_EQ(message(Denied).replace("d: ", "/dev/ttyUSB0: "),
              "/dev/ttyUSB0: permission denied; add yourself to the dialout group "
              "(sudo usermod -aG dialout $USER) and log in again");
}

} // namespace
} // namespace tarvex
