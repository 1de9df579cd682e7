#include "amplifier_track.h"

namespace tarvex {

namespace {

// The texts the driver shows while it cannot hear the amplifier: a port being reopened
// ("<reason>; retrying") or an amplifier that stopped answering.
const QString kRetrying = QStringLiteral("; retrying");
const QString kNoAnswer = QStringLiteral("No answer from the amplifier");
const QString kRestored = QStringLiteral("Link restored");

bool isLinkProblem(const QString& text) {
    return text.endsWith(kRetrying) || text == kNoAnswer;
}

// The driver shows a fault as "<code>: <description>".
QString faultDescription(const QString& message) {
    const qsizetype colon = message.indexOf(QStringLiteral(": "));
    return colon < 0 ? message : message.mid(colon + 2);
}

} // namespace

AmplifierTrack::AmplifierTrack(int amplifier)
    : mAmplifier(amplifier), mState(state()), mReadings(amplifier) {}

QString AmplifierTrack::state() const {
    if (!mAc)
        return QStringLiteral("Off");
    if (mWarmup)
        return QStringLiteral("Warm-up");
    return mOper ? QStringLiteral("Operate") : QStringLiteral("Standby");
}

void AmplifierTrack::add(HistoryBatch& out, qint64 timeMs, const char* kind,
                         std::optional<int> code, const QString& text) const {
    out.events.push_back({timeMs, mAmplifier, mName, QLatin1String(kind), code, text});
}

void AmplifierTrack::set(Field field, std::size_t meter, const Value& value, qint64 timeMs,
                         bool record, HistoryBatch& out) {
    switch (field) {
    case Field::Ac:
        mAc = value.flag;
        break;
    case Field::Oper:
        mOper = value.flag;
        break;
    case Field::Warmup:
        mWarmup = value.flag;
        break;
    case Field::Fault:
        if (record && value.number != 0) {
            close(timeMs, out); // a fault still waiting for its text goes first
            mFault = PendingFault{timeMs, value.number};
        }
        return;
    case Field::Band:
        // Band 0 is the driver's "not known" (an amplifier switched off).
        if (record && value.number != 0)
            add(out, timeMs, "band", value.number, QString());
        return;
    case Field::Message:
        if (record)
            message(value.text, timeMs, out);
        return;
    case Field::Name:
        mName = value.text;
        return;
    case Field::Meter:
        mReadings.set(meter, value.number, timeMs, out.readings);
        return;
    }
    const QString now = state();
    if (record && now != mState)
        add(out, timeMs, "state", std::nullopt, now);
    mState = now;
}

void AmplifierTrack::message(const QString& text, qint64 timeMs, HistoryBatch& out) {
    if (mFault) {
        add(out, mFault->timeMs, "fault", mFault->code, faultDescription(text));
        mFault.reset();
        return;
    }
    if (isLinkProblem(text)) {
        if (text != mLinkProblem)
            add(out, timeMs, "link", std::nullopt, text);
        mLinkProblem = text;
        return;
    }
    if (!mLinkProblem.isEmpty()) {
        add(out, timeMs, "link", std::nullopt, kRestored);
        mLinkProblem.clear();
    }
    if (!text.isEmpty())
        add(out, timeMs, "message", std::nullopt, text);
}

void AmplifierTrack::close(qint64 timeMs, HistoryBatch& out) {
    if (mFault) {
        add(out, mFault->timeMs, "fault", mFault->code, QString());
        mFault.reset();
    }
    mReadings.closeUpTo(timeMs, out.readings);
}

} // namespace tarvex
