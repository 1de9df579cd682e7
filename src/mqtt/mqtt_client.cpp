#include "mqtt_client.h"

#include "mqtt_log.h"

#include <mosquitto.h>

#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tarvex {

namespace {

QString libraryError(int rc) {
    if (rc == MOSQ_ERR_ERRNO)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QString::fromUtf8(mosquitto_strerror(rc));
}

} // namespace

MqttClient::MqttClient(const MqttOptions& options, QString willTopic, QByteArray willPayload,
                       QObject* parent)
    : QObject(parent), mOptions(options) {
    mosquitto_lib_init();
    // A clean session: commands sent while Tarvex was away are not delivered later.
    mMosq = mosquitto_new(nullptr, true, this);
    if (!mMosq)
        return;
    mosquitto_int_option(mMosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(mMosq, &MqttClient::onConnect);
    mosquitto_message_callback_set(mMosq, &MqttClient::onMessage);
    const QByteArray will = willTopic.toUtf8();
    mosquitto_will_set(mMosq, will.constData(), int(willPayload.size()), willPayload.constData(), 1,
                       true);
    if (!mOptions.user.isEmpty()) {
        mosquitto_username_pw_set(
            mMosq, mOptions.user.toUtf8().constData(),
            mOptions.password.isEmpty() ? nullptr : mOptions.password.toUtf8().constData());
    }
    if (mOptions.tls) {
        const QByteArray caFile = mOptions.caFile.toLocal8Bit();
        const int rc = mosquitto_tls_set(mMosq, caFile.isEmpty() ? nullptr : caFile.constData(),
                                         caFile.isEmpty() ? "/etc/ssl/certs" : nullptr, nullptr,
                                         nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS)
            qCWarning(lcMqtt).noquote() << "TLS setup:" << libraryError(rc);
    }
    mRetry.setSingleShot(true);
    connect(&mRetry, &QTimer::timeout, this, &MqttClient::connectNow);
    mMisc.setInterval(1000);
    connect(&mMisc, &QTimer::timeout, this, &MqttClient::housekeeping);
}

MqttClient::~MqttClient() {
    stop();
    if (mMosq)
        mosquitto_destroy(mMosq);
    mosquitto_lib_cleanup();
}

void MqttClient::start() {
    mRunning = true;
    mDelayMs = kFirstRetryMs;
    connectNow();
}

void MqttClient::stop() {
    mRunning = false;
    mRetry.stop();
    mMisc.stop();
    if (mMosq && mRead) {
        mosquitto_disconnect(mMosq);
        // Whatever the socket takes now; a broker that does not listen publishes the will.
        mosquitto_loop_write(mMosq, 1);
    }
    dropSocket();
    mConnected = false;
}

bool MqttClient::congested() const {
    return mMosq && mRead && mosquitto_want_write(mMosq);
}

bool MqttClient::publish(const QString& topic, const QByteArray& payload, bool retain) {
    if (!mConnected)
        return false;
    const int rc = mosquitto_publish(mMosq, nullptr, topic.toUtf8().constData(),
                                     int(payload.size()), payload.constData(), 0, retain);
    // A write that failed shows as a lost connection on the next read.
    mWasCongested = mosquitto_want_write(mMosq);
    if (mWrite)
        mWrite->setEnabled(mWasCongested);
    return rc == MOSQ_ERR_SUCCESS;
}

bool MqttClient::subscribe(const QString& pattern) {
    if (!mConnected)
        return false;
    return mosquitto_subscribe(mMosq, nullptr, pattern.toUtf8().constData(), 1) == MOSQ_ERR_SUCCESS;
}

void MqttClient::onConnect(mosquitto*, void* self, int rc) {
    auto* client = static_cast<MqttClient*>(self);
    if (rc != 0) {
        client->mRefused = QStringLiteral("the broker refused the connection: %1")
                               .arg(QString::fromUtf8(mosquitto_connack_string(rc)));
        return;
    }
    client->mConnected = true;
    client->mDelayMs = kFirstRetryMs;
    emit client->connected();
}

void MqttClient::onMessage(mosquitto*, void* self, const mosquitto_message* message) {
    auto* client = static_cast<MqttClient*>(self);
    emit client->messageReceived(
        QString::fromUtf8(message->topic),
        QByteArray(static_cast<const char*>(message->payload), message->payloadlen),
        message->retain);
}

void MqttClient::connectNow() {
    if (!mRunning)
        return;
    if (!mMosq) {
        lose(QStringLiteral("the MQTT library could not start"));
        return;
    }
    dropSocket();
    mRefused.clear();
    const int rc = mosquitto_connect_async(mMosq, mOptions.host.toUtf8().constData(), mOptions.port,
                                           kKeepAliveSeconds);
    if (rc != MOSQ_ERR_SUCCESS) {
        lose(libraryError(rc));
        return;
    }
    watchSocket();
    mMisc.start();
}

void MqttClient::watchSocket() {
    const int fd = mosquitto_socket(mMosq);
    if (fd < 0)
        return;
    mRead = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(mRead.get(), &QSocketNotifier::activated, this, &MqttClient::readable);
    mWrite = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    connect(mWrite.get(), &QSocketNotifier::activated, this, &MqttClient::writable);
    // The connect request waits for the socket to connect.
    mWrite->setEnabled(mosquitto_want_write(mMosq));
}

void MqttClient::dropSocket() {
    // Before the library closes the descriptor, which the next socket may reuse.
    mRead.reset();
    mWrite.reset();
}

void MqttClient::readable() {
    settle(mosquitto_loop_read(mMosq, 1));
}

void MqttClient::writable() {
    settle(mosquitto_loop_write(mMosq, 1));
}

void MqttClient::housekeeping() {
    settle(mosquitto_loop_misc(mMosq));
}

void MqttClient::settle(int rc) {
    if (!mRead)
        return;
    if (!mRefused.isEmpty()) {
        lose(mRefused);
        return;
    }
    if (rc != MOSQ_ERR_SUCCESS) {
        lose(rc == MOSQ_ERR_CONN_LOST || rc == MOSQ_ERR_NO_CONN
                 ? QStringLiteral("the broker closed the connection")
                 : libraryError(rc));
        return;
    }
    const bool waiting = mosquitto_want_write(mMosq);
    if (mWrite)
        mWrite->setEnabled(waiting);
    if (mWasCongested && !waiting && mConnected)
        emit drained();
    mWasCongested = waiting;
}

void MqttClient::lose(const QString& why) {
    dropSocket();
    mMisc.stop();
    if (mMosq)
        mosquitto_disconnect(mMosq); // closes what the failure left open
    const bool wasConnected = mConnected;
    mConnected = false;
    mWasCongested = false;
    const int retry = mDelayMs;
    mDelayMs = nextRetryMs(mDelayMs);
    if (mRunning)
        mRetry.start(retry);
    qCInfo(lcMqtt).noquote() << "connection to" << mOptions.url() << "ended:" << why;
    if (wasConnected || mRunning)
        emit disconnected(why, retry);
}

} // namespace tarvex
