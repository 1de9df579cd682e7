#include "mqtt_wiring.h"

#include "event_log.h"
#include "user_sink.h"

#include "core/printable.h"
#include "core/user_settings.h"
#include "history/history_recorder.h"
#include "mqtt/mqtt_link.h"

#include <QCommandLineParser>
#include <QFile>
#include <QSettings>

#include <cstdio>
#include <utility>

namespace tarvex {

namespace {

const QString kUrl = QStringLiteral("mqtt");
const QString kPrefix = QStringLiteral("mqtt-prefix");
const QString kUserOption = QStringLiteral("mqtt-user");
const QString kPasswordFile = QStringLiteral("mqtt-password-file");
const QString kCa = QStringLiteral("mqtt-ca");
const QString kDiscovery = QStringLiteral("mqtt-discovery");
const QString kCommands = QStringLiteral("mqtt-commands");

} // namespace

void MqttWiring::addOptions(QCommandLineParser& parser) {
    parser.addOption({kUrl,
                      QStringLiteral("Publish the amplifiers' state and meters to the MQTT broker "
                                     "at URL: mqtt://HOST:PORT, or mqtts://HOST:PORT for TLS."),
                      QStringLiteral("URL")});
    parser.addOption({kPrefix, QStringLiteral("The topics' first level (default tarvex)."),
                      QStringLiteral("PREFIX")});
    parser.addOption(
        {kUserOption, QStringLiteral("The user name at the MQTT broker."), QStringLiteral("NAME")});
    parser.addOption({kPasswordFile,
                      QStringLiteral("Read the MQTT broker's password from the first line of "
                                     "FILE (else the Mqtt/Password setting)."),
                      QStringLiteral("FILE")});
    parser.addOption({kCa,
                      QStringLiteral("Trust the mqtts:// broker's certificate when this PEM "
                                     "certificate authority signed it (default: the system's)."),
                      QStringLiteral("FILE")});
    parser.addOption(
        {kDiscovery, QStringLiteral("Announce the amplifiers to Home Assistant (retained "
                                    "configurations under homeassistant/).")});
    parser.addOption(
        {kCommands, QStringLiteral("Obey PREFIX/<amplifier>/set/oper and .../set/power, "
                                   "unless a remote user holds control.")});
}

bool MqttWiring::readOptions(const QCommandLineParser& parser, std::optional<MqttOptions>& options,
                             QString* error) {
    const auto refuse = [error](const QString& why) {
        *error = why;
        return false;
    };
    QSettings settings = userSettings();
    settings.beginGroup(QStringLiteral("Mqtt"));
    const QString url =
        parser.isSet(kUrl) ? parser.value(kUrl) : settings.value(QStringLiteral("Url")).toString();
    if (url.trimmed().isEmpty()) {
        for (const QString& name :
             {kPrefix, kUserOption, kPasswordFile, kCa, kDiscovery, kCommands}) {
            if (parser.isSet(name))
                return refuse(QStringLiteral("--%1 needs --mqtt").arg(name));
        }
        options.reset();
        return true;
    }
    MqttOptions o;
    QString why;
    if (!o.setUrl(url, &why))
        return refuse(QStringLiteral("--mqtt: ") + why);
    const QString prefixText = parser.isSet(kPrefix)
                                   ? parser.value(kPrefix)
                                   : settings.value(QStringLiteral("Prefix"), o.prefix).toString();
    o.prefix = MqttOptions::checkedPrefix(prefixText);
    if (o.prefix.isEmpty())
        return refuse(QStringLiteral("--mqtt-prefix: \"%1\" cannot begin a topic (no +, #, "
                                     "empty level or leading $)")
                          .arg(prefixText));
    o.user = parser.isSet(kUserOption) ? parser.value(kUserOption)
                                       : settings.value(QStringLiteral("User")).toString();
    o.password = settings.value(QStringLiteral("Password")).toString();
    if (parser.isSet(kPasswordFile)) {
        QFile file(parser.value(kPasswordFile));
        if (!file.open(QIODevice::ReadOnly))
            return refuse(QStringLiteral("--mqtt-password-file: cannot read %1: %2")
                              .arg(file.fileName(), file.errorString()));
        o.password = QString::fromUtf8(file.readLine().trimmed());
    }
    o.caFile =
        parser.isSet(kCa) ? parser.value(kCa) : settings.value(QStringLiteral("CaFile")).toString();
    o.discovery = parser.isSet(kDiscovery) || settings.value(QStringLiteral("Discovery")).toBool();
    o.commands = parser.isSet(kCommands) || settings.value(QStringLiteral("Commands")).toBool();
    if (!o.loopback()) {
        if (o.commands && (!o.tls || o.user.isEmpty()))
            return refuse(QStringLiteral("commands over MQTT from %1 need mqtts:// and a user: "
                                         "anyone on the way could switch the amplifier")
                              .arg(o.url()));
        if (!o.tls)
            std::fprintf(stderr,
                         "tarvex: warning: %s is reached without TLS; the amplifiers' state and "
                         "any password cross the network readable by anyone on the way\n",
                         qPrintable(o.url()));
    }
    options = o;
    return true;
}

MqttWiring::MqttWiring(ServerObject& server, UserSink& sink,
                       const std::optional<MqttOptions>& options, HistoryRecorder& recorder) {
    if (!options)
        return;
    mLink = std::make_unique<MqttLink>(server, *options);
    const QString who = QStringLiteral("%1 from %2").arg(QLatin1String(kUser), options->url());
    connect(mLink.get(), &MqttLink::commandReceived, &recorder,
            [&recorder, who](int index, const QString& text) {
                const QString line = who + QStringLiteral(": ") + text;
                recorder.recordEvent(index, QStringLiteral("remote"), line);
                qCInfo(lcEvents).noquote() << printable(line);
            });
    // A lost broker is a lasting condition, shown until it is back; its return is only logged,
    // and clears what this link showed, not another service's condition.
    connect(mLink.get(), &MqttLink::connectionChanged, this,
            [this, &sink](const QString& text, bool up) {
                if (!up) {
                    mShowing = true;
                    sink.status(text);
                    return;
                }
                qCInfo(lcEvents).noquote() << text;
                if (std::exchange(mShowing, false))
                    sink.status({});
            });
    mLink->start();
}

MqttWiring::~MqttWiring() = default;

} // namespace tarvex
