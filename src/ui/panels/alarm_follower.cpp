#include "alarm_follower.h"

#include "core/amplifier_vocabulary.h"
#include "core/guard.h"
#include "core/hub.h"

#include <algorithm>

namespace tarvex {

AlarmFollower::AlarmFollower(const HubPtr& hub, std::int16_t index, bool flash, QObject* parent)
    : QObject(parent), mFlashWanted(flash) {
    if (hub) {
        const QString prefix = QString::number(index);
        mAlarm = hub->AttachItem(prefix + QLatin1String(amp::kAlarm));
        mText = hub->AttachItem(prefix + QLatin1String(amp::kAlarmText));
        mAck = hub->AttachItem(prefix + QLatin1String(amp::kAlarmAck));
        connect(mAlarm.get(), &Item::ValueChange, this, &AlarmFollower::mAlarm_ValueChange);
        // The text can be corrected while the level stands.
        connect(mText.get(), &Item::ValueChange, this, &AlarmFollower::changed);
    }
    mFlash.setInterval(kFlashMs);
    connect(&mFlash, &QTimer::timeout, this, [this] {
        mLit = !mLit;
        emit changed();
    });
    mAlarm_ValueChange();
}

QString AlarmFollower::text() const {
    if (!mText)
        return {};
    QString t;
    guarded(lcUi(), "alarm text", [&] { t = mText->Value().toString(); });
    return t;
}

void AlarmFollower::acknowledge() {
    if (!mAck)
        return;
    guarded(lcUi(), "alarm acknowledgment", [&] {
        // Any write acknowledges, but only a change is heard: count up from a number, and start
        // at 1 from whatever else stands there (the monitor puts back an empty text after each).
        std::int32_t previous = 0;
        if (mAck->Value().tryToLong(previous) != 0)
            previous = 0;
        mAck->setValue(Variant(static_cast<std::int32_t>(previous + 1)));
    });
}

void AlarmFollower::mAlarm_ValueChange() {
    int level = 0;
    if (mAlarm) {
        const Variant v = mAlarm->Value();
        if (!v.isEmpty() && !v.isNull()) {
            // When in doubt, show the worst.
            level = static_cast<int>(amp::Alarm::Trip);
            guarded(lcUi(), "alarm level", [&] { level = std::clamp(int(v.toLong()), 0, 2); });
        }
    }
    mLevel = level;
    if (mLevel != 0 && mFlashWanted) {
        if (!mFlash.isActive())
            mFlash.start();
    } else {
        mFlash.stop();
        mLit = true;
    }
    emit changed();
}

} // namespace tarvex
