#pragma once

#include "mqtt/mqtt_options.h"

#include <QObject>

#include <memory>
#include <optional>

class QCommandLineParser;

namespace tarvex {

class HistoryRecorder;
class MqttLink;
class ServerObject;
class UserSink;

// Puts the MQTT link into a run: its command-line options over the "Mqtt" settings, the
// connection's comings and goings through the sink, and every command that came over MQTT in
// the history (kind "remote", by the user "mqtt").
class MqttWiring : public QObject {
    Q_OBJECT

public:
    static constexpr const char* kUser = "mqtt";

    static void addOptions(QCommandLineParser& parser);
    // Nothing in *options when no broker is named. False with *error when an option given is
    // not valid, or asks for commands from a broker beyond this computer without TLS and a
    // user: anyone on the way could switch the amplifier.
    static bool readOptions(const QCommandLineParser& parser, std::optional<MqttOptions>& options,
                            QString* error);

    MqttWiring(ServerObject& server, UserSink& sink, const std::optional<MqttOptions>& options,
               HistoryRecorder& recorder);
    ~MqttWiring() override;

    // Null when MQTT is off.
    MqttLink* link() const { return mLink.get(); }

private:
    std::unique_ptr<MqttLink> mLink;
    bool mShowing = false; // the sink shows the lost broker
};

} // namespace tarvex
