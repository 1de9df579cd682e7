#include "desktop_notifier.h"

#include "core/amplifier_vocabulary.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QLoggingCategory>

namespace tarvex {

namespace {

Q_LOGGING_CATEGORY(lcNotify, "tarvex.notify", QtInfoMsg)

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

// The notification's urgency hint: 1 normal, 2 critical.
constexpr uchar kNormal = 1;
constexpr uchar kCritical = 2;

} // namespace

DesktopNotifier::DesktopNotifier(QDBusConnection bus, QObject* parent)
    : QObject(parent), mBus(std::move(bus)) {}

QString DesktopNotifier::summary(int index, int level) {
    return QStringLiteral("Tarvex: amplifier %1 %2")
        .arg(index + 1)
        .arg(amp::alarmName(level).toUpper());
}

void DesktopNotifier::cannot(const QString& why) {
    if (std::exchange(mTold, true))
        return;
    qCWarning(lcNotify).noquote() << "desktop notifications cannot be shown:" << why;
}

void DesktopNotifier::notify(int index, int level, const QString& text,
                             const AlarmSignals& choices) {
    if (!choices.notify)
        return;
    if (!mBus.isConnected()) {
        cannot(QStringLiteral("no session bus"));
        return;
    }
    const bool trip = level == static_cast<int>(amp::Alarm::Trip);
    QVariantMap hints{{QStringLiteral("urgency"), QVariant::fromValue(trip ? kCritical : kNormal)}};
    if (choices.sound)
        hints.insert(QStringLiteral("sound-name"), QStringLiteral("dialog-warning"));
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    call << QStringLiteral("Tarvex") << uint(0) << QStringLiteral("dialog-warning")
         << summary(index, level) << text << QStringList() << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(mBus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        if (w->isError())
            cannot(w->error().message());
        w->deleteLater();
    });
}

} // namespace tarvex
