// Desktop notifications on a private session bus of our own, with a notification service in
// this process that records what it was sent.
#include "../support/wait_until.h"

#include "app/desktop_notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace tarvex {

class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Call {
        QString summary, body;
        QVariantMap hints;
    };
    std::vector<Call> calls;

public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap& hints, int) {
        calls.push_back({summary, body, hints});
        return uint(calls.size());
    }
};

namespace {

TEST(DesktopNotifier, AnAlarmReachesTheNotificationServiceAsTheSettingsSay) {
    ASSERT_FALSE(QStandardPaths::findExecutable("dbus-daemon").isEmpty())
        << "dbus-daemon is missing: run scripts/install-deps";
    QProcess daemon;
    daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
    ASSERT_TRUE(test::waitUntil([&] { return daemon.canReadLine(); }));
    const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
    {
        QDBusConnection serviceBus = QDBusConnection::connectToBus(address, "service");
        NotificationService service;
        ASSERT_TRUE(serviceBus.registerObject("/org/freedesktop/Notifications", &service,
                                              QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(serviceBus.registerService("org.freedesktop.Notifications"));

        DesktopNotifier notifier(QDBusConnection::connectToBus(address, "tarvex"));
        const QString text = "SWR 3.4:1 for 200 ms: transmission ended, standby";
        notifier.notify(0, 2, text, {.sound = true, .notify = true});
        notifier.notify(1, 1, "ignored", {.sound = true, .notify = false});
        notifier.notify(1, 1, "SWR 2.2:1 for 200 ms", {.sound = false, .notify = true});
        ASSERT_TRUE(test::waitUntil([&] { return service.calls.size() == 2; }));
        EXPECT_EQ(service.calls[0].summary, "Tarvex: amplifier 1 TRIP");
        EXPECT_EQ(service.calls[0].body, text);
        EXPECT_EQ(service.calls[0].hints.value("urgency").toInt(), 2);
        EXPECT_EQ(service.calls[0].hints.value("sound-name").toString(), "dialog-warning");
        EXPECT_EQ(service.calls[1].summary, "Tarvex: amplifier 2 WARNING");
        EXPECT_EQ(service.calls[1].body, "SWR 2.2:1 for 200 ms") << "not the one switched off";
        EXPECT_EQ(service.calls[1].hints.value("urgency").toInt(), 1);
        EXPECT_FALSE(service.calls[1].hints.contains("sound-name"));
    }
    QDBusConnection::disconnectFromBus("service");
    QDBusConnection::disconnectFromBus("tarvex");
    daemon.kill();
    daemon.waitForFinished();
}

} // namespace
} // namespace tarvex

#include "desktop_notifier_test.moc"
