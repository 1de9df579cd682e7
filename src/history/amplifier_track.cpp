#include "amplifier_track.h"

#include "core/amplifier_vocabulary.h"
#include "core/band_table.h"

#include <utility>

namespace tarvex {

namespace {

const QString kNoAnswer = QStringLiteral("No answer from the amplifier");
const QString kRestored = QStringLiteral("Link restored");
// A port down with no reason given by the time it is said (a network port still connecting).
const QString kNotOpen = QStringLiteral("The port is not open");

constexpr int kUp = static_cast<int>(amp::Link::Up);
constexpr int kDown = static_cast<int>(amp::Link::Down);

} // namespace

AmplifierTrack::AmplifierTrack(int amplifier)
    : mAmplifier(amplifier), mReadings(amplifier), mTrips(amplifier) {}

void AmplifierTrack::add(HistoryBatch& out, qint64 timeMs, const char* kind,
                         std::optional<int> code, const QString& text) {
    out.events.push_back({timeMs, mAmplifier, mName, QLatin1String(kind), code, text});
    mEventInPass = true;
}

void AmplifierTrack::forgetSaid() {
    mSaidState.clear();
    mSaidFault = 0;
    mSaidBand = 0;
    mLinkSaid = LinkSaid::Fine;
    mLinkSaidText.clear();
}

void AmplifierTrack::set(Field field, std::size_t meter, const Value& value, qint64 timeMs,
                         bool asChange, HistoryBatch& out) {
    switch (field) {
    case Field::Name:
        // Another amplifier at this index: what the record said was of the one before.
        if (!value.text.isEmpty() && !mName.isEmpty() && value.text != mName)
            forgetSaid();
        if (!value.text.isEmpty())
            mName = value.text;
        mTrips.setName(mName);
        return;
    case Field::Message:
        mMessage = value.text;
        // The reason of a port that went down before it was given.
        if (mLink == kDown && mNotHeardSince && !mMessage.isEmpty()) {
            sayLink(LinkSaid::Down, mMessage, *mNotHeardSince, out);
            mNotHeardSince.reset();
        }
        if (asChange && !value.text.isEmpty())
            mMessageEvent = HistoryEvent{timeMs,       mAmplifier, mName, QStringLiteral("message"),
                                         std::nullopt, value.text};
        return;
    case Field::FaultText:
        mFaultText = value.text;
        mTrips.faultText(value.text);
        return;
    case Field::AlarmText:
        mTrips.alarmText(value.text);
        return;
    case Field::Alarm:
        mTrips.alarm(value.number, timeMs, asChange);
        return;
    case Field::State: {
        const auto state = static_cast<amp::State>(value.number);
        if (state < amp::State::Off || state > amp::State::Operate)
            return; // unknown: the link is down, or the amplifier has not said yet
        // The driver reports a standing fault before the state; a state with none means none.
        if (mFault == 0)
            mSaidFault = 0;
        const QString name = amp::stateName(value.number);
        if (name != mSaidState)
            add(out, timeMs, "state", std::nullopt, name);
        mSaidState = name;
        return;
    }
    case Field::Fault:
        mTrips.fault(value.number, timeMs, asChange);
        mFault = value.number;
        if (mFault == 0) {
            // A fault item's first 0 is a driver that has not heard yet, not a cleared fault.
            if (asChange)
                mSaidFault = 0;
            return;
        }
        if (mFault != mSaidFault)
            add(out, timeMs, "fault", mFault, mFaultText);
        mSaidFault = mFault;
        return;
    case Field::ReportedBand:
        // 0 is "not known" (the amplifier is off): where it was is still where it was.
        if (value.number != 0 && value.number != mSaidBand) {
            add(out, timeMs, "band", value.number, BandTable::name(value.number));
            mSaidBand = value.number;
        }
        return;
    case Field::Link:
        link(value.number, timeMs, out);
        return;
    case Field::Meter:
        mReadings.set(meter, value.number, timeMs, out.readings);
        mTrips.meter(meter, value.number, timeMs);
        return;
    }
}

void AmplifierTrack::link(int value, qint64 timeMs, HistoryBatch& out) {
    const std::optional<int> before = std::exchange(mLink, value);
    mReadings.setLive(value == kUp, timeMs, out.readings);
    if (value == kUp) {
        mNotHeardSince.reset();
        if (mLinkSaid != LinkSaid::Fine)
            add(out, timeMs, "link", std::nullopt, kRestored);
        mLinkSaid = LinkSaid::Fine;
        mLinkSaidText.clear();
    } else if (value == kDown && !mMessage.isEmpty()) {
        // The driver writes the reason just before it lets the link go down.
        mNotHeardSince.reset();
        sayLink(LinkSaid::Down, mMessage, timeMs, out);
    } else if (before == kUp) {
        mNotHeardSince.reset();
        sayLink(LinkSaid::NoAnswer, kNoAnswer, timeMs, out);
    } else if (!mNotHeardSince) {
        mNotHeardSince = timeMs;
    }
}

void AmplifierTrack::sayLink(LinkSaid said, const QString& text, qint64 timeMs, HistoryBatch& out) {
    if (said == mLinkSaid && text == mLinkSaidText)
        return;
    add(out, timeMs, "link", std::nullopt, text);
    mLinkSaid = said;
    mLinkSaidText = text;
}

void AmplifierTrack::settle(HistoryBatch& out) {
    if (mMessageEvent) {
        // A text that once came with an event restates one when it comes back on its own
        // (the operate text again after another message came and went).
        if (mEventInPass && mRestating.size() < kMaxRestating)
            mRestating.insert(mMessageEvent->text);
        else if (!mEventInPass && !mRestating.contains(mMessageEvent->text))
            out.events.push_back(std::move(*mMessageEvent));
    }
    mMessageEvent.reset();
    mEventInPass = false;
    mTrips.settle();
}

void AmplifierTrack::close(qint64 timeMs, HistoryBatch& out) {
    if (mNotHeardSince && timeMs - *mNotHeardSince >= kNotHeardForMs) {
        const qint64 at = *mNotHeardSince + kNotHeardForMs;
        mNotHeardSince.reset();
        if (mLink == kDown)
            sayLink(LinkSaid::Down, mMessage.isEmpty() ? kNotOpen : mMessage, at, out);
        else
            sayLink(LinkSaid::NoAnswer, kNoAnswer, at, out);
    }
    mReadings.closeUpTo(timeMs, out.readings);
    mTrips.close(timeMs, out.trips);
}

void AmplifierTrack::leaveHub(qint64 timeMs, HistoryBatch& out) {
    mReadings.setLive(false, timeMs, out.readings);
    mReadings.closeUpTo(timeMs, out.readings);
    mReadings.forgetValues();
    mTrips.leaveHub(out.trips);
    mLink.reset();
    mNotHeardSince.reset();
    mMessage.clear();
    mFaultText.clear();
    mFault = 0;
}

} // namespace tarvex
