#pragma once

#include "history_rows.h"
#include "meter_ring.h"

#include <QString>

#include <optional>

namespace tarvex {

// Keeps one amplifier's metering lines in a ring and, when an alarm rises or a fault comes,
// makes a trip of the five seconds before and the two after.
//
// The driver sets the five meters in order from each line, and an item announces a change only,
// so a line shows up as changes to some of them in that order. A change to a meter that comes
// no later in the order than the last one changed starts a new line (ip, the last, is always
// followed by one), and so does the end of a pass of the event loop (settle). Each line is one row
// with all five meters as they stand after it, kept on the receive path without allocating.
class TripTrack {
public:
    static constexpr qint64 kBeforeMs = 5000;
    static constexpr qint64 kAfterMs = 2000;

    explicit TripTrack(int amplifier);

    void setName(const QString& name) { mName = name; }
    void meter(std::size_t meter, int value, qint64 timeMs);
    // asChange false: where things stood when the record met the item, not a rise it saw.
    void alarmText(const QString& text) { mAlarmText = text; }
    void alarm(int level, qint64 timeMs, bool asChange);
    void faultText(const QString& text) { mFaultText = text; }
    void fault(int code, qint64 timeMs, bool asChange);
    // The end of a pass of the event loop: the line under way is complete.
    void settle() { mLineOpen = false; }
    // Hands over a trip whose two seconds after have passed by timeMs.
    void close(qint64 timeMs, std::vector<HistoryTrip>& out);
    // Hands over a trip under way with what it has (the program ends, the hub goes).
    void end(std::vector<HistoryTrip>& out);
    // The hub goes: its lines and meter values are forgotten.
    void leaveHub(std::vector<HistoryTrip>& out);

    bool capturing() const { return mCapture.has_value(); }
    const MeterRing& ring() const { return mRing; }

private:
    struct Capture {
        qint64 timeMs;
        QString cause;
    };
    // A second alarm or fault during the two seconds after belongs to the trip under way.
    void trip(qint64 timeMs, const QString& cause);
    void hand(qint64 untilMs, std::vector<HistoryTrip>& out);

    int mAmplifier;
    QString mName;
    MeterRing mRing;
    std::array<int, kMeterCount> mMeters{};
    bool mLineOpen = false;
    std::size_t mLastMeter = 0;
    int mAlarm = 0;
    int mFault = 0;
    QString mAlarmText;
    QString mFaultText;
    std::optional<Capture> mCapture;
    // Trips whose two seconds after had passed when the next began, before close() came by.
    std::vector<HistoryTrip> mDone;
};

} // namespace tarvex
