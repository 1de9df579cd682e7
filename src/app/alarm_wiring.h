#pragma once

#include "desktop_notifier.h"

#include "core/alarm_settings.h"

#include <QObject>

#include <memory>

namespace tarvex {

class AlarmLinks;
class ServerObject;
class StationLinks;
class UserSink;

// Puts the alarms into a run: a monitor and a guard per amplifier with the "Alarms" settings,
// the station's rig link for the guard, every alarm told through the sink and, as the settings
// say, on the desktop.
class AlarmWiring : public QObject {
    Q_OBJECT

public:
    AlarmWiring(ServerObject& server, UserSink& sink, StationLinks& station,
                DesktopNotifier* notifier = nullptr);
    ~AlarmWiring() override;

    AlarmLinks& links() { return *mLinks; }
    // The Alarms dialog saved: every setting is read again.
    void reload();

private:
    UserSink& mSink;
    AlarmSignals mSignals;
    std::unique_ptr<DesktopNotifier> mOwnNotifier;
    DesktopNotifier* mNotifier;
    std::unique_ptr<AlarmLinks> mLinks;
};

} // namespace tarvex
