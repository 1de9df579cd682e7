#include "rig_items.h"

#include "core/guard.h"
#include "station_log.h"

#include <limits>

namespace tarvex {

namespace {

ItemPtr makeItem(const HubPtr& hub, const QString& name, int type, const Variant& initial) {
    auto info = std::make_shared<ItemInfo>();
    info->Metrics = type;
    ItemPtr it = hub->AttachItem(name);
    it->setInfo(info);
    it->setValue(initial);
    return it;
}

void assign(const ItemPtr& it, const Variant& v) {
    guarded(lcStation(), "rig item", [&] { it->setValue(v); });
}

} // namespace

RigItems::RigItems(const HubPtr& hub, RigClient& client, QObject* parent)
    : QObject(parent), mClient(client),
      mLink(makeItem(hub, QStringLiteral("rig.link"), ItemInfo::kStr, linkText(client))),
      mFreq(makeItem(hub, QStringLiteral("rig.freq"), ItemInfo::kLong, std::int32_t{0})),
      mPtt(makeItem(hub, QStringLiteral("rig.ptt"), ItemInfo::kBool, false)),
      mIgnored(makeItem(hub, QStringLiteral("rig.ignored"), ItemInfo::kLong, std::int32_t{0})) {
    connect(&client, &RigClient::stateChanged, this, &RigItems::client_stateChanged);
    connect(&client, &RigClient::frequencyRead, this, [this](qint64 hz) {
        // Beyond the item's range is far beyond any band the amplifier has: unknown.
        assign(mFreq, hz <= std::numeric_limits<std::int32_t>::max() ? static_cast<std::int32_t>(hz)
                                                                     : std::int32_t{0});
    });
    connect(&client, &RigClient::pttRead, this, [this](bool on) { assign(mPtt, on); });
    connect(&client, &RigClient::replyIgnored, this, [this](const QByteArray& line) {
        qCDebug(lcStation) << "rig reply ignored:" << line;
        assign(mIgnored, mIgnored->Value().toLong() + 1);
    });
}

QString RigItems::linkText(const RigClient& client) {
    switch (client.state()) {
    case RigClient::State::Up:
        return QStringLiteral("up");
    case RigClient::State::Connecting:
        return QStringLiteral("connecting to %1").arg(client.detail());
    case RigClient::State::Lost:
        return QStringLiteral("lost (%1); retrying").arg(client.detail());
    case RigClient::State::Off:
        break;
    }
    return QStringLiteral("off");
}

void RigItems::clear(const HubPtr& hub) {
    if (!hub)
        return;
    const std::pair<const char*, Variant> values[] = {
        {"rig.ptt", false}, {"rig.freq", std::int32_t{0}}, {"rig.link", QStringLiteral("off")}};
    for (const auto& [name, value] : values) {
        if (const ItemPtr it = hub->GetItem(QLatin1String(name)))
            assign(it, value);
    }
}

void RigItems::client_stateChanged() {
    // While the link is down nobody knows where the radio is, and nothing may follow a
    // frequency it has left since.
    if (mClient.state() != RigClient::State::Up) {
        assign(mFreq, std::int32_t{0});
        assign(mPtt, false);
    }
    assign(mLink, linkText(mClient));
}

} // namespace tarvex
