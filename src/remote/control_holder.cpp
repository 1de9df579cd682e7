#include "control_holder.h"

namespace tarvex {

ControlHolder::ControlHolder(RemoteClock clock, QObject* parent)
    : QObject(parent), mClock(std::move(clock)) {}

bool ControlHolder::act(const QString& user, QString* why) {
    expire();
    if (mHolder.isEmpty()) {
        take(user);
        return true;
    }
    if (mHolder != user) {
        if (why)
            *why = QStringLiteral("controlled by %1 since %2").arg(mHolder, clockText(mSince));
        return false;
    }
    mLastCommand = mClock();
    return true;
}

QString ControlHolder::take(const QString& user) {
    expire();
    const QString previous = mHolder;
    const qint64 now = mClock();
    mLastCommand = now;
    if (previous == user)
        return {};
    mHolder = user;
    mSince = now;
    emit changed();
    return previous;
}

void ControlHolder::release(const QString& user) {
    if (mHolder.isEmpty() || mHolder != user)
        return;
    mHolder.clear();
    mSince = 0;
    emit changed();
}

void ControlHolder::expire() {
    const qint64 now = mClock();
    bool change = false;
    if (!mHolder.isEmpty() && now - mLastCommand >= kLapseMs) {
        mHolder.clear();
        mSince = 0;
        change = true;
    }
    if (mLocalShown && !localActive()) {
        mLocalShown = false;
        change = true;
    }
    if (change)
        emit changed();
}

void ControlHolder::noteLocalUse() {
    mLocalLastUse = mClock();
    if (!mLocalShown) {
        mLocalShown = true;
        emit changed();
    }
}

bool ControlHolder::localActive() const {
    return mLocalLastUse != 0 && mClock() - mLocalLastUse < kLocalRecentMs;
}

} // namespace tarvex
