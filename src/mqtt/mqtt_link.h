#pragma once

#include "amplifier_topics.h"
#include "mqtt_client.h"
#include "mqtt_options.h"

#include "core/hub.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>
#include <vector>

namespace tarvex {

class ServerObject;

// The station on an MQTT broker: each amplifier's state and meters under PREFIX/<amplifier>/,
// PREFIX/status online (and offline by the broker's last will), Home Assistant's discovery
// when asked, and the operate and power commands when asked. It follows the server through its
// restarts and meets the amplifiers only through items.
//
// Nothing piles up while the broker is slow or away: a topic waiting to go holds only its
// latest message, meters are not kept while disconnected, and every retained topic is sent
// again on each connection.
class MqttLink : public QObject {
    Q_OBJECT

public:
    MqttLink(ServerObject& server, const MqttOptions& options, QObject* parent = nullptr);
    // Says offline and goodbye to the broker.
    ~MqttLink() override;

    void start();
    const MqttOptions& options() const { return mOptions; }
    MqttClient& client() { return *mClient; }
    // The topic level of each amplifier followed, in list order.
    QStringList levels() const;

signals:
    // A command that came over MQTT, carried out or refused, as the record says it
    // ("operate on amplifier 1: asked"); the index counts from 0, -1 for no amplifier.
    void commandReceived(int amplifierIndex, const QString& text);
    // The connection came (up) or went, in words for the user.
    void connectionChanged(const QString& text, bool up);

private:
    struct Pending {
        QByteArray payload;
        bool retain = false;
    };

    void attach();
    void detach();
    void connected();
    void disconnected(const QString& why, int retryMs);
    void publishAll();
    void put(const QString& topic, const QByteArray& payload, bool retain);
    void flush();
    void messageReceived(const QString& topic, const QByteArray& payload, bool retained);
    // What became of a command, for the record.
    QString command(AmplifierTopics& amp, const QString& control, const QByteArray& payload);

    QPointer<ServerObject> mServer;
    MqttOptions mOptions;
    std::unique_ptr<MqttClient> mClient;
    HubPtr mHub;
    std::vector<std::unique_ptr<AmplifierTopics>> mAmplifiers;
    QStringList mOrder; // topics waiting, oldest first
    QHash<QString, Pending> mPending;
    bool mWasConnected = false;
    bool mReportedFailure = false;
};

} // namespace tarvex
