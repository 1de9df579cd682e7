#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>
#include <utility>

class QSettings;

namespace tarvex {

// What the station links are asked to do. Both services are off unless a port is given.
struct StationOptions {
    static constexpr int kDefaultPollMs = 250;
    static constexpr int kMinPollMs = 50;
    static constexpr int kMaxPollMs = 60000;

    QString rigHost;
    quint16 rigPort = 0; // 0: no radio is followed
    int pollMs = kDefaultPollMs;
    quint16 ampctldPort = 0; // 0: no amplifier server
    // The protocol has no authentication: only this computer, unless the user says otherwise.
    QString bind = QStringLiteral("127.0.0.1");
    // Amplifier numbers (1 = first in the list) that do not follow the radio.
    QList<int> excluded;

    bool operator==(const StationOptions&) const = default;

    bool follows(int amplifierNumber) const { return !excluded.contains(amplifierNumber); }
    QString rigAddress() const;

    // "HOST:PORT", "[::1]:4532"; nullopt with *error when it is not that.
    static std::optional<std::pair<QString, quint16>> parseHostPort(const QString& text,
                                                                    QString* error);
    // A port 1..65535 or 0 (off); nullopt with *error otherwise.
    static std::optional<quint16> parsePort(const QString& text, QString* error);
    static std::optional<int> parsePollMs(const QString& text, QString* error);
    // An address to listen on; empty text when valid, else why not.
    static QString checkBind(const QString& text);

    // The "Station" group of the per-user settings; what cannot be read keeps its default.
    static StationOptions load(QSettings& settings);
    void save(QSettings& settings) const;
};

} // namespace tarvex
