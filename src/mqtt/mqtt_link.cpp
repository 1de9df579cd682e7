#include "mqtt_link.h"

#include "discovery.h"
#include "mqtt_log.h"
#include "topic_names.h"

#include "core/amplifier_vocabulary.h"
#include "core/guard.h"
#include "core/remote_vocabulary.h"
#include "core/server_object.h"

namespace tarvex {

namespace {

const QByteArray kOnline = "online";
const QByteArray kOffline = "offline";

// A command's value: on or off, or nothing for text that is neither.
std::optional<bool> switchValue(const QString& control, const QByteArray& payload) {
    const QByteArray v = payload.trimmed().toLower();
    const QByteArray on = control == QLatin1String("oper") ? "operate" : "on";
    const QByteArray off = control == QLatin1String("oper") ? "standby" : "off";
    if (v == "1" || v == "on" || v == "true" || v == on)
        return true;
    if (v == "0" || v == "off" || v == "false" || v == off)
        return false;
    return std::nullopt;
}

} // namespace

MqttLink::MqttLink(ServerObject& server, const MqttOptions& options, QObject* parent)
    : QObject(parent), mServer(&server), mOptions(options),
      mClient(std::make_unique<MqttClient>(options, options.prefix + QStringLiteral("/status"),
                                           kOffline)) {
    // Queued: the library is still inside its read when it reports, and what is published
    // then goes out in one write afterwards.
    connect(mClient.get(), &MqttClient::connected, this, &MqttLink::connected,
            Qt::QueuedConnection);
    connect(mClient.get(), &MqttClient::disconnected, this, &MqttLink::disconnected);
    connect(mClient.get(), &MqttClient::drained, this, &MqttLink::flush);
    connect(mClient.get(), &MqttClient::messageReceived, this, &MqttLink::messageReceived,
            Qt::QueuedConnection);
    connect(&server, &ServerObject::Started, this, &MqttLink::attach);
    connect(&server, &ServerObject::Stopping, this, &MqttLink::detach);
    attach();
}

MqttLink::~MqttLink() {
    if (mClient->isConnected())
        mClient->publish(mOptions.prefix + QStringLiteral("/status"), kOffline, true);
    mClient->stop();
    detach();
}

void MqttLink::start() {
    mClient->start();
}

QStringList MqttLink::levels() const {
    QStringList out;
    for (const auto& a : mAmplifiers)
        out << a->level();
    return out;
}

void MqttLink::attach() {
    detach();
    if (!mServer || !mServer->hub() || !mServer->modules())
        return;
    mHub = mServer->hub();
    const ModuleList& modules = *mServer->modules();
    QStringList names;
    for (std::size_t i = 0; i < modules.size(); ++i) {
        QString name;
        if (const ItemPtr it = mHub->GetItem(QString::number(i) + QStringLiteral("name")))
            it->Value().tryToString(name);
        names << name;
    }
    const QStringList levels = TopicNames::levels(names);
    for (std::size_t i = 0; i < modules.size(); ++i) {
        if (!modules[i] || !modules[i]->isAmplifierDriver())
            continue;
        const QString base = mOptions.prefix + u'/' + levels[int(i)] + u'/';
        mAmplifiers.push_back(std::make_unique<AmplifierTopics>(
            mHub, int(i), names[int(i)], levels[int(i)],
            [this, base](const QString& topic, const QByteArray& payload, bool retain) {
                put(base + topic, payload, retain);
            }));
    }
    // Items that come later (the alarm monitor's) are followed as they come.
    connect(mHub.get(), &Hub::NewItem, this, [this] {
        for (const auto& a : mAmplifiers)
            a->bind();
    });
    if (mClient->isConnected())
        publishAll();
}

void MqttLink::detach() {
    if (mHub)
        disconnect(mHub.get(), nullptr, this, nullptr);
    mAmplifiers.clear();
    mHub.reset();
}

void MqttLink::connected() {
    if (!mClient->isConnected())
        return;
    mWasConnected = true;
    mReportedFailure = false;
    qCInfo(lcMqtt).noquote() << "connected to" << mOptions.url();
    emit connectionChanged(tr("MQTT: connected to %1").arg(mOptions.url()), true);
    if (mOptions.commands)
        mClient->subscribe(mOptions.prefix + QStringLiteral("/+/set/+"));
    publishAll();
}

void MqttLink::disconnected(const QString& why, int retryMs) {
    // Meters are stale by the time a broker is back, and the state is sent again whole.
    mOrder.clear();
    mPending.clear();
    const int seconds = (retryMs + 999) / 1000;
    if (mWasConnected) {
        mWasConnected = false;
        emit connectionChanged(
            tr("MQTT: lost %1 (%2); trying again in %3 s").arg(mOptions.url(), why).arg(seconds),
            false);
    } else if (!mReportedFailure) {
        // Said once: a broker that is down for hours is not news every 30 s.
        mReportedFailure = true;
        emit connectionChanged(tr("MQTT: cannot reach %1 (%2); trying again with growing "
                                  "pauses")
                                   .arg(mOptions.url(), why),
                               false);
    }
}

void MqttLink::publishAll() {
    put(mOptions.prefix + QStringLiteral("/status"), kOnline, true);
    for (const auto& a : mAmplifiers) {
        if (mOptions.discovery) {
            for (const Discovery::Message& m :
                 Discovery::messages(mOptions.prefix, a->level(), a->name(), mOptions.commands))
                put(m.topic, m.payload, true);
        }
        const QString base = mOptions.prefix + u'/' + a->level() + u'/';
        for (const auto& [topic, payload] : a->states())
            put(base + topic, payload, true);
    }
}

void MqttLink::put(const QString& topic, const QByteArray& payload, bool retain) {
    if (!mClient->isConnected())
        return;
    if (!mPending.contains(topic))
        mOrder << topic;
    mPending.insert(topic, {payload, retain});
    flush();
}

void MqttLink::flush() {
    while (!mOrder.isEmpty() && mClient->isConnected() && !mClient->congested()) {
        const QString topic = mOrder.takeFirst();
        const Pending p = mPending.take(topic);
        mClient->publish(topic, p.payload, p.retain);
    }
}

void MqttLink::messageReceived(const QString& topic, const QByteArray& payload, bool retained) {
    if (!mOptions.commands)
        return;
    const QString head = mOptions.prefix + u'/';
    const QStringList parts = topic.mid(head.size()).split(u'/');
    if (!topic.startsWith(head) || parts.size() != 3 || parts[1] != QLatin1String("set"))
        return;
    AmplifierTopics* amp = nullptr;
    for (const auto& a : mAmplifiers) {
        if (a->level() == parts[0])
            amp = a.get();
    }
    if (!amp) {
        emit commandReceived(-1, tr("%1: refused: there is no amplifier %2").arg(topic, parts[0]));
        return;
    }
    if (retained) {
        // It would act again at every connection, long after anyone meant it.
        emit commandReceived(amp->index(),
                             tr("%1: refused: a retained command is not obeyed").arg(topic));
        return;
    }
    emit commandReceived(amp->index(), command(*amp, parts[2], payload));
}

QString MqttLink::command(AmplifierTopics& amp, const QString& control, const QByteArray& payload) {
    const int number = amp.index() + 1;
    const bool oper = control == QLatin1String("oper");
    if (!oper && control != QLatin1String("power"))
        return tr("set/%1 on amplifier %2: refused: only oper and power are commands")
            .arg(control)
            .arg(number);
    const std::optional<bool> on = switchValue(control, payload);
    if (!on)
        return tr("set/%1 on amplifier %2: refused: \"%3\" is neither on nor off")
            .arg(control)
            .arg(number)
            .arg(QString::fromUtf8(payload.left(32)));
    const QString asked =
        oper ? (*on ? tr("operate") : tr("standby")) : (*on ? tr("mains on") : tr("mains off"));
    const QString what = tr("%1 on amplifier %2").arg(asked).arg(number);
    const auto refused = [&](const QString& why) { return tr("%1: refused: %2").arg(what, why); };

    QString holder;
    if (const ItemPtr it = mHub ? mHub->GetItem(QLatin1String(remote::kControlItem)) : nullptr)
        it->Value().tryToString(holder);
    if (!holder.isEmpty())
        return refused(tr("remote user %1 holds control").arg(holder));
    if (amp.integer(QLatin1String(amp::kLink)) == int(amp::Link::Down))
        return refused(tr("amplifier %1 cannot be reached").arg(number));
    if (oper && amp.integer(QLatin1String(amp::kState)) == int(amp::State::Off))
        return refused(tr("amplifier %1 is off").arg(number));

    const ItemPtr it = mHub->GetItem(QString::number(amp.index()) +
                                     (oper ? QStringLiteral("oper") : QStringLiteral("ac")));
    if (!it)
        return refused(tr("amplifier %1 has no such control").arg(number));
    if (it->Value().equals(Variant(*on)).value_or(false))
        return tr("%1: asked already").arg(what);
    if (!guarded(lcMqtt(), "MQTT command", [&] { it->setValue(Variant(*on)); }))
        return refused(tr("the amplifier's control did not take it"));
    return tr("%1: asked").arg(what);
}

} // namespace tarvex
