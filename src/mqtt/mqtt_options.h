#pragma once

#include <QString>

#include <optional>

namespace tarvex {

// Where and how the station's state goes to an MQTT broker.
struct MqttOptions {
    static constexpr quint16 kPlainPort = 1883;
    static constexpr quint16 kTlsPort = 8883;

    QString host;
    quint16 port = kPlainPort;
    bool tls = false;
    QString caFile; // empty: the system's certificate authorities
    QString user;
    QString password;
    QString prefix = QStringLiteral("tarvex");
    bool discovery = false; // Home Assistant's configuration messages
    bool commands = false;  // accept …/set/oper and …/set/power

    // "mqtt://HOST[:PORT]" or "mqtts://HOST[:PORT]" into host, port and tls; false with *error
    // for anything else.
    bool setUrl(const QString& url, QString* error);
    QString url() const;
    // Whether the broker is on this computer, where nothing travels over a network.
    bool loopback() const;
    // A prefix a topic can start with: no wildcards, no empty level, no leading '$'. Empty when
    // the text cannot be one.
    static QString checkedPrefix(const QString& text);
};

} // namespace tarvex
