#include "amplifier_topics.h"

#include "core/amplifier_vocabulary.h"
#include "core/band_table.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace tarvex {

namespace {

// Which items each state topic is made of.
struct StateTopic {
    const char* topic;
    const char* item;
};
constexpr std::array<StateTopic, 10> kStates{{
    {"link", amp::kLink},
    {"power", amp::kState},
    {"state", amp::kState},
    {"band", amp::kReportedBand},
    {"segment", amp::kReportedSegment},
    {"frequency", amp::kReportedFreq},
    {"fault", "fault"},
    {"faulttext", amp::kFaultText},
    {"alarm", amp::kAlarm},
    {"alarmtext", amp::kAlarmText},
}};

QByteArray lower(const QString& text) {
    return text.toLower().toUtf8();
}

// A reading that is zero until the amplifier reported one says nothing yet.
QByteArray positive(int v) {
    return v > 0 ? QByteArray::number(v) : QByteArray();
}

double rounded(double v) {
    return std::round(v * 10.0) / 10.0;
}

} // namespace

const QStringList& AmplifierTopics::stateTopics() {
    static const QStringList topics = [] {
        QStringList out;
        for (const StateTopic& s : kStates)
            out << QLatin1String(s.topic);
        return out;
    }();
    return topics;
}

AmplifierTopics::AmplifierTopics(HubPtr hub, int index, QString name, QString level,
                                 Publish publish, QObject* parent)
    : QObject(parent), mHub(std::move(hub)), mIndex(index), mName(std::move(name)),
      mLevel(std::move(level)), mPublish(std::move(publish)) {
    mClock.start();
    for (auto& w : mWindows)
        w.restart(0, 0);
    mMeterTimer.setSingleShot(true);
    connect(&mMeterTimer, &QTimer::timeout, this, &AmplifierTopics::publishMeters);
    bind();
}

void AmplifierTopics::bind() {
    if (!mHub)
        return;
    const auto follow = [&](const QString& base, auto handler) {
        if (mItems.contains(base))
            return false;
        const ItemPtr it = mHub->GetItem(QString::number(mIndex) + base);
        if (!it)
            return false;
        mItems.insert(base, it);
        connect(it.get(), &Item::ValueChange, this, handler);
        return true;
    };
    for (const StateTopic& s : kStates) {
        const QString base = QLatin1String(s.item);
        if (follow(base, [this, base] { itemChanged(base); }))
            itemChanged(base); // a topic that had no item has one now
    }
    for (std::size_t m = 0; m < kMeters.size(); ++m) {
        const QString base = QLatin1String(kMeters[m]);
        if (follow(base, [this, m] { meterChanged(m); }))
            mWindows[m].restart(integer(base), mClock.elapsed());
    }
}

Variant AmplifierTopics::value(const QString& base) const {
    const ItemPtr it = mItems.value(base);
    return it ? it->Value() : Variant();
}

int AmplifierTopics::integer(const QString& base) const {
    std::int32_t out = 0;
    return value(base).tryToLong(out) == 0 ? out : 0;
}

QByteArray AmplifierTopics::stateText(const QString& topic) const {
    const auto text = [&](const char* base) {
        QString out;
        value(QLatin1String(base)).tryToString(out);
        return out.toUtf8();
    };
    if (topic == QLatin1String("link")) {
        const QString name = amp::linkName(integer(QLatin1String(amp::kLink)));
        return name.isEmpty() ? lower(amp::linkName(0)) : lower(name);
    }
    const int state = integer(QLatin1String(amp::kState));
    if (topic == QLatin1String("state")) {
        const QString name = amp::stateName(state);
        return name.isEmpty() ? lower(amp::stateName(0)) : lower(name);
    }
    if (topic == QLatin1String("power")) {
        if (state == int(amp::State::Off))
            return "off";
        return state > int(amp::State::Off) && state <= int(amp::State::Operate) ? "on" : "unknown";
    }
    if (topic == QLatin1String("band")) {
        const int band = integer(QLatin1String(amp::kReportedBand));
        return band > 0 ? BandTable::name(band).toUtf8() : QByteArray();
    }
    if (topic == QLatin1String("segment"))
        return positive(integer(QLatin1String(amp::kReportedSegment)));
    if (topic == QLatin1String("frequency"))
        return positive(integer(QLatin1String(amp::kReportedFreq)));
    if (topic == QLatin1String("fault"))
        return QByteArray::number(integer(QStringLiteral("fault")));
    if (topic == QLatin1String("faulttext"))
        return text(amp::kFaultText);
    if (topic == QLatin1String("alarm")) {
        const QString name = amp::alarmName(integer(QLatin1String(amp::kAlarm)));
        return name.isEmpty() ? lower(amp::alarmName(0)) : lower(name);
    }
    return text(amp::kAlarmText);
}

std::vector<std::pair<QString, QByteArray>> AmplifierTopics::states() const {
    std::vector<std::pair<QString, QByteArray>> out;
    for (const QString& topic : stateTopics())
        out.emplace_back(topic, stateText(topic));
    return out;
}

void AmplifierTopics::itemChanged(const QString& base) {
    for (const StateTopic& s : kStates) {
        if (base != QLatin1String(s.item))
            continue;
        const QString topic = QLatin1String(s.topic);
        const QByteArray text = stateText(topic);
        const auto last = mLastSent.constFind(topic);
        if (last != mLastSent.cend() && *last == text)
            continue;
        mLastSent.insert(topic, text);
        mPublish(topic, text, true);
    }
}

void AmplifierTopics::meterChanged(std::size_t meter) {
    const qint64 now = mClock.elapsed();
    if (!mMeterTimer.isActive() && now - mLastMeters > kMeterIntervalMs) {
        // After a quiet spell the next message speaks of the meters from now, not of how long
        // they stood still before.
        for (auto& w : mWindows)
            w.restart(w.current(), now);
    }
    mWindows[meter].add(integer(QLatin1String(kMeters[meter])), now);
    if (mMeterTimer.isActive())
        return;
    mMeterTimer.start(int(std::max<qint64>(0, mLastMeters + kMeterIntervalMs - now)));
}

void AmplifierTopics::publishMeters() {
    const qint64 now = mClock.elapsed();
    QJsonObject all;
    bool settled = true;
    for (std::size_t m = 0; m < kMeters.size(); ++m) {
        MeterWindow& w = mWindows[m];
        const double mean = rounded(w.mean(now));
        settled = settled && w.peak() == w.current() && mean == rounded(w.current());
        all.insert(QLatin1String(kMeters[m]),
                   QJsonObject{{QStringLiteral("peak"), w.peak()}, {QStringLiteral("mean"), mean}});
        w.restart(w.current(), now);
    }
    mLastMeters = now;
    mPublish(QStringLiteral("meters"), QJsonDocument(all).toJson(QJsonDocument::Compact), false);
    // Meters that then stand still change nothing, so a dashboard would keep a mean and peak of
    // the moment they moved: one more message says where they came to rest.
    if (!settled)
        mMeterTimer.start(kMeterIntervalMs);
}

} // namespace tarvex
