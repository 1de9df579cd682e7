#include "rig_items.h"

#include "core/band_table.h"
#include "core/guard.h"
#include "station_log.h"

#include <limits>

namespace tarvex {

namespace {

ItemPtr makeItem(const HubPtr& hub, const QString& name, const ItemInfo& info,
                 const Variant& initial) {
    ItemPtr it = hub->AttachItem(name);
    it->setInfo(std::make_shared<ItemInfo>(info));
    it->setValue(initial);
    return it;
}

ItemInfo typed(int type) {
    ItemInfo info;
    info.Metrics = type;
    return info;
}

std::int16_t pttValue(RigPtt ptt) {
    return static_cast<std::int16_t>(ptt);
}

void assign(const ItemPtr& it, const Variant& v) {
    guarded(lcStation(), "rig item", [&] { it->setValue(v); });
}

void add(const ItemPtr& it, qint64 n) {
    assign(it, static_cast<std::int32_t>(std::min<qint64>(
                   it->Value().toLong() + n, std::numeric_limits<std::int32_t>::max())));
}

} // namespace

RigItems::RigItems(const HubPtr& hub, RigClient& client, QObject* parent)
    : QObject(parent), mClient(client),
      mLink(makeItem(hub, QStringLiteral("rig.link"), typed(ItemInfo::kStr), linkText(client))),
      mFreq(makeItem(hub, QStringLiteral("rig.freq"), typed(ItemInfo::kLong), std::int32_t{0})),
      mPtt(makeItem(hub, QStringLiteral("rig.ptt"),
                    ItemInfo{0, 3, ItemInfo::kInt, 0,
                             QStringLiteral("Receiving,Transmitting,Unknown,Not reported")},
                    pttValue(RigPtt::Unknown))),
      mIgnored(
          makeItem(hub, QStringLiteral("rig.ignored"), typed(ItemInfo::kLong), std::int32_t{0})),
      mDropped(
          makeItem(hub, QStringLiteral("rig.dropped"), typed(ItemInfo::kLong), std::int32_t{0})) {
    connect(&client, &RigClient::stateChanged, this, &RigItems::client_stateChanged);
    connect(&client, &RigClient::frequencyRead, this, &RigItems::client_frequencyRead);
    connect(&client, &RigClient::pttRead, this,
            [this](RigPtt ptt) { assign(mPtt, pttValue(ptt)); });
    connect(&client, &RigClient::repliesIgnored, this, [this](int count, const QByteArray& last) {
        qCDebug(lcStation) << "rig replies ignored:" << count << "the last:" << last;
        add(mIgnored, count);
    });
    connect(&client, &RigClient::inputDropped, this, [this](qint64 bytes) {
        qCDebug(lcStation) << "rig input dropped unread:" << bytes << "bytes";
        add(mDropped, bytes);
    });
}

void RigItems::client_frequencyRead(qint64 hz) {
    // Beyond the item's range is far beyond any band the amplifier has: unknown.
    const std::int32_t value =
        hz <= std::numeric_limits<std::int32_t>::max() ? static_cast<std::int32_t>(hz) : 0;
    const std::optional<int> band = BandTable::bandOf(value);
    if (band != BandTable::bandOf(mFreq->Value().toLong()) && mNewBand != band) {
        mNewBand = band; // once is not yet a band change
        return;
    }
    mNewBand.reset();
    assign(mFreq, value);
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
    const std::pair<const char*, Variant> values[] = {{"rig.ptt", pttValue(RigPtt::NotReported)},
                                                      {"rig.freq", std::int32_t{0}},
                                                      {"rig.link", QStringLiteral("off")}};
    for (const auto& [name, value] : values) {
        if (const ItemPtr it = hub->GetItem(QLatin1String(name)))
            assign(it, value);
    }
}

bool RigItems::allowsBandChange(const HubPtr& hub) {
    const ItemPtr ptt = hub ? hub->GetItem(QStringLiteral("rig.ptt")) : nullptr;
    return !ptt || allowsBandChange(ptt->Value());
}

bool RigItems::allowsBandChange(const Variant& ptt) {
    std::int32_t v = 0;
    return ptt.tryToLong(v) == 0 &&
           (v == static_cast<int>(RigPtt::Receiving) || v == static_cast<int>(RigPtt::NotReported));
}

void RigItems::client_stateChanged() {
    // While the link is down nobody knows where the radio is, nor whether it transmits, and
    // nothing may follow a frequency it has left since.
    if (mClient.state() != RigClient::State::Up) {
        mNewBand.reset();
        assign(mFreq, std::int32_t{0});
        assign(mPtt, pttValue(RigPtt::Unknown));
    }
    assign(mLink, linkText(mClient));
}

} // namespace tarvex
