#pragma once

#include "core/alarm_settings.h"

#include <QDBusConnection>
#include <QObject>

namespace tarvex {

// Tells the desktop of an alarm through the freedesktop notification service on the session
// bus. Without a bus or a service the call goes nowhere: that is logged once, and the run goes
// on. The call does not wait for an answer.
class DesktopNotifier : public QObject {
    Q_OBJECT

public:
    explicit DesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus(),
                             QObject* parent = nullptr);

    // index: the module index; level as "<index>alarm" holds it.
    void notify(int index, int level, const QString& text, const AlarmSignals& choices);

    // "Tarvex: amplifier 1 TRIP".
    static QString summary(int index, int level);

private:
    void cannot(const QString& why);

    QDBusConnection mBus;
    bool mTold = false;
};

} // namespace tarvex
