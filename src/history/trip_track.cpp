#include "trip_track.h"

#include <limits>

namespace tarvex {

TripTrack::TripTrack(int amplifier) : mAmplifier(amplifier) {}

void TripTrack::meter(std::size_t meter, int value, qint64 timeMs) {
    // An item's first value (empty to 0) is no change of what the meter showed.
    if (meter >= kMeterCount || (value == mMeters[meter] && !mRing.empty()))
        return;
    mMeters[meter] = value;
    if (mLineOpen && meter > mLastMeter)
        mRing.amendNewest(mMeters);
    else
        mRing.push({timeMs, mMeters});
    mLastMeter = meter;
    mLineOpen = true;
}

void TripTrack::alarm(int level, qint64 timeMs, bool asChange) {
    // A warning that becomes a trip rises too; a level falling or acknowledged does not.
    if (asChange && level > mAlarm && level > 0)
        trip(timeMs, mAlarmText);
    mAlarm = level;
}

void TripTrack::fault(int code, qint64 timeMs, bool asChange) {
    if (asChange && code != 0 && code != mFault)
        trip(timeMs, mFaultText);
    mFault = code;
}

void TripTrack::trip(qint64 timeMs, const QString& cause) {
    // The trip under way may have ended between two calls of close().
    if (mCapture && timeMs > mCapture->timeMs + kAfterMs)
        hand(mCapture->timeMs + kAfterMs, mDone);
    if (!mCapture)
        mCapture = Capture{timeMs, cause};
}

void TripTrack::close(qint64 timeMs, std::vector<HistoryTrip>& out) {
    for (HistoryTrip& done : mDone)
        out.push_back(std::move(done));
    mDone.clear();
    if (mCapture && timeMs >= mCapture->timeMs + kAfterMs)
        hand(mCapture->timeMs + kAfterMs, out);
}

void TripTrack::end(std::vector<HistoryTrip>& out) {
    close(std::numeric_limits<qint64>::min(), out);
    if (mCapture)
        hand(mCapture->timeMs + kAfterMs, out);
}

void TripTrack::hand(qint64 untilMs, std::vector<HistoryTrip>& out) {
    const Capture c = *std::exchange(mCapture, std::nullopt);
    out.push_back(
        {0, c.timeMs, mAmplifier, mName, c.cause, mRing.between(c.timeMs - kBeforeMs, untilMs)});
}

void TripTrack::leaveHub(std::vector<HistoryTrip>& out) {
    end(out);
    mRing.clear();
    mMeters = {};
    mLineOpen = false;
    mAlarm = 0;
    mFault = 0;
    mAlarmText.clear();
    mFaultText.clear();
}

} // namespace tarvex
