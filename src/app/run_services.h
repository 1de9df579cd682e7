#pragma once

#include "alarm_wiring.h"
#include "history_wiring.h"
#include "mqtt_wiring.h"
#include "remote_wiring.h"
#include "station_wiring.h"

namespace tarvex {

struct RunOptions;
class ServerObject;
class UserSink;

// The services that run beside the amplifiers, made in this one place for a run with a
// window and one without: the history, the station links, the alarms, the remote panel and the
// MQTT link. Each follows the server through its restarts and meets the amplifiers only through
// items; what the user must know goes to the sink.
class RunServices {
public:
    // history.db beside server.dat, in the run's data folder.
    RunServices(ServerObject& server, UserSink& sink, const RunOptions& options);

    HistoryWiring& history() { return mHistory; }
    StationWiring& station() { return mStation; }
    AlarmWiring& alarms() { return mAlarms; }
    RemoteWiring& remote() { return mRemote; }
    MqttWiring& mqtt() { return mMqtt; }

private:
    HistoryWiring mHistory;
    StationWiring mStation;
    // After the station links, whose rig link the guard uses; before the remote panel, which
    // serves the alarm items it makes.
    AlarmWiring mAlarms;
    // After the history, which records what its users do, and so gone before it.
    RemoteWiring mRemote;
    // After the remote panel, whose control it respects; records its commands too.
    MqttWiring mMqtt;
};

} // namespace tarvex
