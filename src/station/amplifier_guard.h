#pragma once

#include "alarm_clock.h"
#include "amplifier_items.h"

#include "core/alarm_settings.h"

#include <QMetaObject>
#include <QObject>

#include <deque>
#include <functional>

namespace tarvex {

class RigClient;

// What protects one amplifier on a trip, when its settings ask for it: the radio stops
// transmitting first (through the station's rigctld, when one is linked), and once the forward
// power has fallen below the minimum, or kUnkeyWait has passed, the amplifier goes to standby.
// Unkeying the amplifier under RF would hot-switch its relays: the radio goes first. Then it
// stays in standby, or, when asked to, returns to operate after kResumeAfter, at most
// kMaxReturns times within kTripWindow: the trip after those stays until the alarm is
// acknowledged.
class AmplifierGuard : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kUnkeyWait{100};
    static constexpr std::chrono::milliseconds kResumeAfter{10000};
    static constexpr std::chrono::milliseconds kTripWindow{5 * 60 * 1000};
    static constexpr int kMaxReturns = 3;

    // rig: the station's rig link now, or null.
    AmplifierGuard(const AmplifierItems& amp, std::function<RigClient*()> rig, AlarmClock clock,
                   QObject* parent = nullptr);
    ~AmplifierGuard() override;

    // Acts on a trip as the settings say and returns what it does, in words for the alarm's
    // text ("transmission ended, standby; back to operate in 10 s"); empty when the guard is
    // off. stillHolds says whether the trip's condition holds, asked before returning to operate.
    QString trip(const AlarmSettings& settings, std::function<bool()> stillHolds);
    static inline const QString kEnded = QStringLiteral("transmission ended");
    // The operator has seen it: the latch is released.
    void acknowledge() { mLatched = false; }
    bool latched() const { return mLatched; }

signals:
    // What was done changed after the trip (it stays in standby after all, or is back).
    void said(const QString& done);

private:
    QString act(const AlarmSettings& settings, std::function<bool()> stillHolds);
    void waitForRfToFall();
    void forward_ValueChange();
    void standby();
    void resume();

    AmplifierItems mAmp;
    std::function<RigClient*()> mRig;
    AlarmClock mClock;
    std::unique_ptr<OneShot> mUnkeyWait;
    std::unique_ptr<OneShot> mResume;
    QMetaObject::Connection mForwardWatch;
    QMetaObject::Connection mPttAnswer;
    QString mDone; // what the last trip did, as said
    bool mStandbyDue = false;
    int mMinForwardW = 0;
    bool mLatched = false;
    std::deque<qint64> mTrips; // when each trip within the window came
    std::function<bool()> mStillHolds;
};

} // namespace tarvex
