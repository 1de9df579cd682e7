#include "silence_watch.h"

#include <algorithm>

namespace tarvex {

SilenceWatch::SilenceWatch(std::chrono::milliseconds pollAfter,
                           std::chrono::milliseconds giveUpAfter, QObject* parent)
    : QObject(parent), mPollAfter(pollAfter.count()), mGiveUpAfter(giveUpAfter.count()) {
    mTimer.setSingleShot(true);
    connect(&mTimer, &QTimer::timeout, this, &SilenceWatch::timeout);
    mSinceHeard.start();
}

void SilenceWatch::setWatching(bool on) {
    if (on == mWatching)
        return;
    mWatching = on;
    mPolled = false;
    if (!on) {
        mTimer.stop();
        return;
    }
    mSinceHeard.start();
    arm(mPollAfter);
}

void SilenceWatch::heard() {
    mSinceHeard.start();
    mPolled = false;
    if (mSilent) {
        mSilent = false;
        emit answered();
    }
}

void SilenceWatch::timeout() {
    if (!mWatching)
        return;
    if (mPolled) {
        // Nothing since the poll: heard() would have cleared the flag.
        mPolled = false;
        arm(mPollAfter);
        if (!mSilent) {
            mSilent = true;
            emit silent();
        }
        return;
    }
    const qint64 quiet = mSinceHeard.elapsed();
    if (quiet < mPollAfter) {
        arm(mPollAfter - quiet);
        return;
    }
    mPolled = true;
    arm(mGiveUpAfter);
    emit poll();
}

void SilenceWatch::arm(qint64 ms) {
    mTimer.start(static_cast<int>(std::clamp<qint64>(ms, 0, 24 * 3600 * 1000)));
}

} // namespace tarvex
