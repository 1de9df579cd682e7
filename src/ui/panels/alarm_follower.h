#pragma once

#include "core/item.h"

#include <QObject>
#include <QTimer>

namespace tarvex {

// One amplifier's alarm as its panels show it: the level and text the alarm monitor publishes
// ("<index>alarm", "<index>alarmtext"), a flash phase that alternates about twice a second
// while an alarm stands (its timer runs only then), and the acknowledgment ("<index>alarmack").
class AlarmFollower : public QObject {
    Q_OBJECT

public:
    static constexpr int kFlashMs = 250; // on and off: two flashes a second

    AlarmFollower(const HubPtr& hub, std::int16_t index, bool flash, QObject* parent = nullptr);

    // 0 none, 1 warning, 2 trip; anything unreadable counts as a trip.
    int level() const { return mLevel; }
    QString text() const;
    // Whether a flashing part is in its lit phase; always lit without an alarm.
    bool flashLit() const { return mLit; }
    bool flashTimerActive() const { return mFlash.isActive(); }
    // Writes a new value to "<index>alarmack", so that every acknowledgment is announced.
    void acknowledge();

signals:
    void changed();

private:
    void mAlarm_ValueChange();

    ItemPtr mAlarm;
    ItemPtr mText;
    ItemPtr mAck;
    bool mFlashWanted;
    int mLevel = 0;
    bool mLit = true;
    QTimer mFlash;
};

} // namespace tarvex
