#pragma once

#include "alarm_clock.h"
#include "amplifier_items.h"

#include "core/alarm_settings.h"
#include "core/pass_end.h"

#include <QObject>
#include <QPointer>

namespace tarvex {

class AmplifierGuard;

// Watches one amplifier's meters, fault and link against its alarm settings and keeps its
// alarm items: the text, then the level, which stands until someone writes "<index>alarmack".
// SWR and drive count only once they have held for AlarmSettings::kHoldMs: a reading holds
// until the next one changes it, so a timer armed when a condition starts decides. A fault
// the amplifier reports and a link lost while operating trip at once. On a trip the guard,
// when there is one, acts first, and the text says what it did.
class AlarmMonitor : public QObject {
    Q_OBJECT

public:
    AlarmMonitor(const AmplifierItems& amp, const AlarmSettings& settings, AlarmClock clock,
                 QObject* parent = nullptr);
    ~AlarmMonitor() override;

    void apply(const AlarmSettings& settings);
    const AlarmSettings& settings() const { return mSettings; }
    void setGuard(AmplifierGuard* guard);

    amp::Alarm level() const;
    // Whether a condition that trips holds now, however briefly.
    bool tripConditionHolds() const;

signals:
    // A new alarm, or a new trip over a standing one; the level and text as the items hold them.
    void raised(int level, const QString& text);
    // The text of a standing trip changed (the guard's plan changed).
    void textChanged(const QString& text);

private:
    // One condition that must hold for kHoldMs. Its timer is not stopped when the condition
    // ends, nor armed again when it starts anew: on a speech peak it changes on every metering
    // line. When the timer fires, it either finds the condition held long enough, or is armed
    // for what is left of the hold that began since, or ends.
    struct Hold {
        bool holds = false;
        qint64 since = 0;
        bool armed = false;
        void (AlarmMonitor::*fire)() = nullptr;
        std::unique_ptr<OneShot> timer;
    };

    void evaluate();
    void track(Hold& hold, bool holds);
    void arm(Hold& hold, qint64 afterMs);
    void holdTimer_Timeout(Hold& hold);
    int meter(const ItemPtr& it) const;
    void swrWarningHeld();
    void swrTripHeld();
    void driveHeld();
    void fault_ValueChange();
    void state_ValueChange();
    void link_ValueChange();
    void ack_ValueChange();
    void guard_said(const QString& done);
    void raise(amp::Alarm level, const QString& reason);
    void raiseLater(const QString& reason);
    void setText(const QString& text);
    double swrNow() const;
    bool swrCounts() const;

    AmplifierItems mAmp;
    // The meters, read on every metering line: found once (a hub never loses an item).
    ItemPtr mForward;
    ItemPtr mReflected;
    ItemPtr mInput;
    AlarmSettings mSettings;
    AlarmClock mClock;
    QPointer<AmplifierGuard> mGuard;
    ItemPtr mAlarm;
    ItemPtr mText;
    ItemPtr mAck;
    Hold mSwrWarning;
    Hold mSwrTrip;
    Hold mDrive;
    // A metering line sets forward, reflected and input power one after the other: the line
    // is judged whole, once it has been read.
    PassEndHook mEvaluate{[this] { evaluate(); }};
    bool mOperating = false; // by the last state the amplifier reported that was known
    QString mReason;         // of the standing trip, before what the guard did
};

} // namespace tarvex
