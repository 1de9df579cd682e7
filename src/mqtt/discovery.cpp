#include "discovery.h"

#include "topic_names.h"

#include "tarvex/version.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tarvex {

namespace {

struct Sensor {
    const char* id;
    const char* title;
    const char* topic; // below the amplifier's level
    const char* meter; // the field of the meters message; null for a state topic
    const char* unit;  // null: none
    const char* deviceClass;
};

constexpr Sensor kSensors[] = {
    {"state", "State", "state", nullptr, nullptr, nullptr},
    {"link", "Link", "link", nullptr, nullptr, nullptr},
    {"band", "Band", "band", nullptr, nullptr, nullptr},
    {"frequency", "Frequency", "frequency", nullptr, "kHz", "frequency"},
    {"fault", "Fault", "faulttext", nullptr, nullptr, nullptr},
    {"alarm", "Alarm", "alarm", nullptr, nullptr, nullptr},
    {"forward", "Forward power", "meters", "pfwd", "W", "power"},
    {"reflected", "Reflected power", "meters", "prfl", "W", "power"},
    {"input", "Input power", "meters", "pinp", "W", "power"},
    {"grid_current", "Grid current", "meters", "ig", "mA", "current"},
    {"plate_current", "Plate current", "meters", "ip", "mA", "current"},
};

} // namespace

std::vector<Discovery::Message> Discovery::messages(const QString& prefix, const QString& level,
                                                    const QString& name, bool commands) {
    const QString node = TopicNames::identifier(prefix + u'_' + level);
    const QString base = prefix + u'/' + level + u'/';
    const QJsonObject device{{QStringLiteral("identifiers"), QJsonArray{node}},
                             {QStringLiteral("name"), name.isEmpty() ? level : name},
                             {QStringLiteral("model"), QStringLiteral("Linear amplifier")},
                             {QStringLiteral("sw_version"), QString::fromLatin1(version::kFull)}};
    const auto common = [&](const QString& id, const QString& title) {
        return QJsonObject{
            {QStringLiteral("name"), title},
            {QStringLiteral("unique_id"), node + u'_' + id},
            {QStringLiteral("object_id"), node + u'_' + id},
            {QStringLiteral("availability_topic"), prefix + QStringLiteral("/status")},
            {QStringLiteral("payload_available"), QStringLiteral("online")},
            {QStringLiteral("payload_not_available"), QStringLiteral("offline")},
            {QStringLiteral("device"), device}};
    };
    std::vector<Message> out;
    for (const Sensor& s : kSensors) {
        QJsonObject config = common(QLatin1String(s.id), QLatin1String(s.title));
        config.insert(QStringLiteral("state_topic"), base + QLatin1String(s.topic));
        if (s.meter) {
            // The peak since the last message, as a peak-reading meter shows it.
            config.insert(QStringLiteral("value_template"),
                          QStringLiteral("{{ value_json.%1.peak }}").arg(QLatin1String(s.meter)));
            config.insert(QStringLiteral("state_class"), QStringLiteral("measurement"));
        }
        if (s.unit)
            config.insert(QStringLiteral("unit_of_measurement"), QLatin1String(s.unit));
        if (s.deviceClass)
            config.insert(QStringLiteral("device_class"), QLatin1String(s.deviceClass));
        out.push_back({QStringLiteral("%1/sensor/%2/%3/config")
                           .arg(QLatin1String(kRoot), node, QLatin1String(s.id)),
                       QJsonDocument(config).toJson(QJsonDocument::Compact)});
    }
    // A switch only where a click can do something; otherwise the state sensor says it.
    const QString switchTopic =
        QStringLiteral("%1/switch/%2/operate/config").arg(QLatin1String(kRoot), node);
    if (!commands) {
        // An empty retained message removes a switch an earlier run announced.
        out.push_back({switchTopic, {}});
        return out;
    }
    QJsonObject sw = common(QStringLiteral("operate"), QStringLiteral("Operate"));
    sw.insert(QStringLiteral("state_topic"), base + QStringLiteral("state"));
    sw.insert(QStringLiteral("value_template"),
              QStringLiteral("{{ 'ON' if value == 'operate' else 'OFF' }}"));
    sw.insert(QStringLiteral("command_topic"), base + QStringLiteral("set/oper"));
    sw.insert(QStringLiteral("payload_on"), QStringLiteral("operate"));
    sw.insert(QStringLiteral("payload_off"), QStringLiteral("standby"));
    sw.insert(QStringLiteral("state_on"), QStringLiteral("ON"));
    sw.insert(QStringLiteral("state_off"), QStringLiteral("OFF"));
    out.push_back({switchTopic, QJsonDocument(sw).toJson(QJsonDocument::Compact)});
    return out;
}

} // namespace tarvex
