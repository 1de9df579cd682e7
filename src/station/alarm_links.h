#pragma once

#include "alarm_clock.h"

#include "core/alarm_settings.h"
#include "core/hub.h"
#include "core/server_object.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

namespace tarvex {

class AlarmMonitor;
class AmplifierGuard;
class RigClient;

// An alarm monitor and a guard for each amplifier, following the server through its restarts
// as the station links do. The settings of each come from settingsOf (by module index), read
// again by reload() when the operator saved new ones.
class AlarmLinks : public QObject {
    Q_OBJECT

public:
    using SettingsOf = std::function<AlarmSettings(int index)>;

    AlarmLinks(ServerObject& server, SettingsOf settingsOf, std::function<RigClient*()> rig,
               AlarmClock clock = AlarmClock::system(), QObject* parent = nullptr);
    ~AlarmLinks() override;

    void reload();
    // The monitor of the amplifier at this module index; null when there is none.
    AlarmMonitor* monitor(int index) const;
    AmplifierGuard* guard(int index) const;

signals:
    // index: the module index. "Amplifier 1 (Name)" as title.
    void raised(int index, const QString& title, int level, const QString& text);
    void textChanged(int index, const QString& title, const QString& text);

private:
    struct Amplifier;

    void attach();
    void detach();

    QPointer<ServerObject> mServer;
    SettingsOf mSettingsOf;
    std::function<RigClient*()> mRig;
    AlarmClock mClock;
    HubPtr mHub;
    std::vector<std::unique_ptr<Amplifier>> mAmplifiers;
};

} // namespace tarvex
