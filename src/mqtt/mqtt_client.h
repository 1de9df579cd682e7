#pragma once

#include "mqtt_options.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <algorithm>
#include <memory>

struct mosquitto;
struct mosquitto_message;
class QSocketNotifier;

namespace tarvex {

// One connection to an MQTT broker, run on the Qt event loop: the socket's readiness drives
// the library's reads and writes, a slow timer its keep-alive, and a lost or refused connection
// is tried again after 1 s, doubling to 30 s, with nothing running in between.
class MqttClient : public QObject {
    Q_OBJECT

public:
    static constexpr int kFirstRetryMs = 1000;
    static constexpr int kLongestRetryMs = 30000;
    static constexpr int kKeepAliveSeconds = 30;

    // The will is what the broker publishes (retained) when the connection ends without a
    // goodbye.
    MqttClient(const MqttOptions& options, QString willTopic, QByteArray willPayload,
               QObject* parent = nullptr);
    ~MqttClient() override;

    // Connects, and keeps connecting until stopped.
    void start();
    // Says goodbye to the broker (so the will is not published) and stops trying.
    void stop();

    bool isConnected() const { return mConnected; }
    // Whether bytes already handed to the library still wait for the socket: whoever publishes
    // holds back until drained() rather than pile messages up.
    bool congested() const;
    // QoS 0; false (nothing queued) while not connected.
    bool publish(const QString& topic, const QByteArray& payload, bool retain);
    bool subscribe(const QString& pattern);
    // The wait before the next attempt after a failure.
    int retryDelayMs() const { return mDelayMs; }
    // The wait after the one given, when that attempt failed too.
    static int nextRetryMs(int waitedMs) { return std::min(waitedMs * 2, kLongestRetryMs); }

signals:
    void connected();
    // The connection ended or could not be made; the next attempt is in retryMs.
    void disconnected(const QString& why, int retryMs);
    void messageReceived(const QString& topic, const QByteArray& payload, bool retained);
    // What was waiting for the socket is written.
    void drained();

private:
    static void onConnect(mosquitto* m, void* self, int rc);
    static void onMessage(mosquitto* m, void* self, const mosquitto_message* message);

    void connectNow();
    void watchSocket();
    void dropSocket();
    void readable();
    void writable();
    void housekeeping();
    // After the library ran: a failure ends the connection, else the write notifier follows
    // what waits.
    void settle(int rc);
    void lose(const QString& why);

    MqttOptions mOptions;
    mosquitto* mMosq = nullptr;
    std::unique_ptr<QSocketNotifier> mRead;
    std::unique_ptr<QSocketNotifier> mWrite;
    QTimer mRetry;
    QTimer mMisc;
    int mDelayMs = kFirstRetryMs;
    bool mRunning = false;
    bool mConnected = false;
    bool mWasCongested = false;
    QString mRefused; // the broker's refusal, set while the library runs
};

} // namespace tarvex
