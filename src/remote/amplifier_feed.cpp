#include "amplifier_feed.h"

#include "core/band_table.h"
#include "core/swr.h"

#include <QJsonArray>

namespace tarvex {

namespace {

QJsonValue orNull(const std::optional<int>& v) {
    return v ? QJsonValue(*v) : QJsonValue(QJsonValue::Null);
}

QJsonValue orNull(const std::optional<bool>& v) {
    return v ? QJsonValue(*v) : QJsonValue(QJsonValue::Null);
}

QString linkText(amp::Link link) {
    switch (link) {
    case amp::Link::Up:
        return QStringLiteral("up");
    case amp::Link::Silent:
        return QStringLiteral("silent");
    case amp::Link::Down:
        break;
    }
    return QStringLiteral("down");
}

QString stateText(amp::State state) {
    switch (state) {
    case amp::State::Off:
        return QStringLiteral("off");
    case amp::State::WarmUp:
        return QStringLiteral("warmup");
    case amp::State::Standby:
        return QStringLiteral("standby");
    case amp::State::Operate:
        return QStringLiteral("operate");
    case amp::State::Unknown:
        break;
    }
    return QStringLiteral("unknown");
}

// The desktop panel's three lights, as their captions read, from what the amplifier reported.
QJsonObject lights(amp::State state, const std::optional<int>& fault) {
    const bool on = state == amp::State::WarmUp || state == amp::State::Standby ||
                    state == amp::State::Operate;
    QString mode = QStringLiteral("OFF");
    if (state == amp::State::Operate)
        mode = QStringLiteral("OPER");
    else if (on)
        mode = QStringLiteral("STBY");
    QString ready = QStringLiteral("OFF");
    if (state == amp::State::WarmUp)
        ready = QStringLiteral("WAIT");
    else if (on)
        ready = QStringLiteral("READY");
    QString faultLight = on ? QStringLiteral("OK") : QStringLiteral("OFF");
    if (fault && *fault != 0)
        faultLight = QStringLiteral("FAULT");
    return {{QStringLiteral("operate"), mode},
            {QStringLiteral("fault"), faultLight},
            {QStringLiteral("warmup"), ready}};
}

} // namespace

AmplifierFeed::AmplifierFeed(HubPtr hub, int index, RemoteClock clock, QObject* parent)
    : QObject(parent), mAmp(std::move(hub), index), mClock(std::move(clock)),
      mForward(mAmp.item(QStringLiteral("pfwd"))) {
    for (const char* base :
         {"name", amp::kLink, amp::kState, "fault", amp::kFaultText, "message", amp::kReportedBand,
          amp::kReportedSegment, amp::kReportedFreq, amp::kReportedTune, amp::kReportedLoad,
          amp::kReportedHv, amp::kReportedTrim, amp::kAlarm, amp::kAlarmText, "prfl", "pinp",
          "ig", "ip"})
        follow(base);
    if (mForward) {
        connect(mForward.get(), &Item::ValueChange, this, [this] {
            // The peak needs every reading, not only the one a tick happens to see.
            std::int32_t w = 0;
            if (mForward->Value().tryToLong(w) == 0)
                mPeak.add(w, mClock());
            mDirty = true;
        });
    }
    mState = build(mClock());
    mDirty = false;
}

void AmplifierFeed::follow(const char* base) {
    if (const ItemPtr it = mAmp.item(QString::fromLatin1(base)))
        connect(it.get(), &Item::ValueChange, this, [this] { mDirty = true; });
}

QString AmplifierFeed::swrText(int forward, int reflected) {
    if (forward < kSwrMinForwardW)
        return QStringLiteral("—");
    return QString::number(swr(forward, reflected), 'f', 1);
}

QJsonObject AmplifierFeed::build(qint64 now) {
    const amp::State state = mAmp.state();
    const auto band = mAmp.number(QString::fromLatin1(amp::kReportedBand));
    const auto fault = mAmp.number(QStringLiteral("fault"));
    const int forward = mAmp.number(QStringLiteral("pfwd")).value_or(0);
    const int reflected = mAmp.number(QStringLiteral("prfl")).value_or(0);
    const auto meter = [&](const char* base) {
        return mAmp.number(QString::fromLatin1(base)).value_or(0);
    };
    // A band or frequency of 0 is the driver's "not reported yet".
    const auto known = [](std::optional<int> v) {
        return v && *v > 0 ? v : std::nullopt;
    };
    return {
        {QStringLiteral("number"), mAmp.number()},
        {QStringLiteral("name"), mAmp.text(QStringLiteral("name"))},
        {QStringLiteral("link"), linkText(mAmp.link())},
        {QStringLiteral("state"), stateText(state)},
        {QStringLiteral("lights"), lights(state, fault)},
        {QStringLiteral("band"), orNull(known(band))},
        {QStringLiteral("bandName"),
         known(band) ? BandTable::name(*band) : QString()},
        {QStringLiteral("segment"),
         orNull(known(mAmp.number(QString::fromLatin1(amp::kReportedSegment))))},
        {QStringLiteral("freq"), orNull(known(mAmp.number(QString::fromLatin1(amp::kReportedFreq))))},
        {QStringLiteral("tune"), orNull(mAmp.number(QString::fromLatin1(amp::kReportedTune)))},
        {QStringLiteral("load"), orNull(mAmp.number(QString::fromLatin1(amp::kReportedLoad)))},
        {QStringLiteral("high"), orNull(mAmp.flag(QString::fromLatin1(amp::kReportedHv)))},
        {QStringLiteral("autoTune"), orNull(mAmp.flag(QString::fromLatin1(amp::kReportedTrim)))},
        {QStringLiteral("message"), mAmp.text(QStringLiteral("message"))},
        {QStringLiteral("fault"), fault.value_or(0)},
        {QStringLiteral("faultText"), mAmp.text(QString::fromLatin1(amp::kFaultText))},
        {QStringLiteral("meters"),
         QJsonObject{{QStringLiteral("fwd"), forward},
                     {QStringLiteral("rfl"), reflected},
                     {QStringLiteral("inp"), meter("pinp")},
                     {QStringLiteral("ig"), meter("ig")},
                     {QStringLiteral("ip"), meter("ip")},
                     {QStringLiteral("peak"), mPeak.peak(now)},
                     {QStringLiteral("swr"), swrText(forward, reflected)}}},
        {QStringLiteral("pending"), mWatch.toJson()},
        {QStringLiteral("alarm"),
         QJsonObject{{QStringLiteral("level"),
                      amp::alarmName(mAmp.number(QString::fromLatin1(amp::kAlarm)).value_or(0))
                          .toLower()},
                     {QStringLiteral("text"), mAmp.text(QString::fromLatin1(amp::kAlarmText))}}},
    };
}

QJsonObject AmplifierFeed::takeChanges(qint64 now) {
    if (!mWatch.empty() && mWatch.evaluate(mAmp, now))
        mDirty = true;
    if (!mDirty && !mPeak.falling(now))
        return {};
    mDirty = false;
    QJsonObject next = build(now);
    QJsonObject changes;
    for (auto it = next.constBegin(); it != next.constEnd(); ++it) {
        const QJsonValue before = mState.value(it.key());
        if (before == it.value())
            continue;
        if (it.key() == u"meters") {
            // Only the meters that moved: these change many times a second.
            const QJsonObject was = before.toObject();
            const QJsonObject is = it.value().toObject();
            QJsonObject moved;
            for (auto m = is.constBegin(); m != is.constEnd(); ++m) {
                if (was.value(m.key()) != m.value())
                    moved.insert(m.key(), m.value());
            }
            changes.insert(it.key(), moved);
        } else {
            changes.insert(it.key(), it.value());
        }
    }
    mState = next;
    if (!changes.isEmpty())
        changes.insert(QStringLiteral("number"), mAmp.number());
    return changes;
}

} // namespace tarvex
