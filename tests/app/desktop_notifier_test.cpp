// Desktop notifications on a private session bus of our own, with a notification service in
// this process that records what it was sent.
#include "../support/wait_until.h"

#include "app/desktop_notifier.h"

#include <QDBusConnection>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace tarvex {

class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList said; // summary, body, urgency and sound of each

public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap& hints, int) {
        said << summary + " / " + body + " / " + QString::number(hints.value("urgency").toInt()) +
                    " / " + hints.value("sound-name", "silent").toString();
        return uint(said.size());
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
    QDBusConnection serviceBus = QDBusConnection::connectToBus(address, "service");
    NotificationService service;
    ASSERT_TRUE(serviceBus.registerObject("/org/freedesktop/Notifications", &service,
                                          QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(serviceBus.registerService("org.freedesktop.Notifications"));

    DesktopNotifier notifier(QDBusConnection::connectToBus(address, "tarvex"));
    notifier.notify(0, 2, "SWR 3.4:1 for 200 ms: standby", {.sound = true, .notify = true});
    notifier.notify(1, 1, "switched off", {.sound = true, .notify = false});
    notifier.notify(1, 1, "SWR 2.2:1 for 200 ms", {.sound = false, .notify = true});
    ASSERT_TRUE(test::waitUntil([&] { return service.said.size() == 2; }));
    EXPECT_EQ(service.said,
              QStringList({"Tarvex: amplifier 1 TRIP / SWR 3.4:1 for 200 ms: standby / 2 / "
                           "dialog-warning",
                           "Tarvex: amplifier 2 WARNING / SWR 2.2:1 for 200 ms / 1 / silent"}));
    daemon.kill(), daemon.waitForFinished();
}

} // namespace
} // namespace tarvex

#include "desktop_notifier_test.moc"
