#include "peak_hold.h"

#include <QElapsedTimer>

#include <algorithm>
#include <memory>

namespace tarvex {

PeakHold::PeakHold(qint64 windowMs, Clock clock) : mWindowMs(windowMs), mClock(std::move(clock)) {
    if (!mClock) {
        auto started = std::make_shared<QElapsedTimer>();
        started->start();
        mClock = [started] { return started->elapsed(); };
    }
}

void PeakHold::add(int value) {
    const qint64 now = mClock();
    mReadings.emplace_back(now, value);
    prune(now);
}

void PeakHold::prune(qint64 now) {
    while (mReadings.size() > 1 && mReadings[1].first <= now - mWindowMs)
        mReadings.pop_front();
}

int PeakHold::peak() const {
    if (mReadings.empty())
        return 0;
    const qint64 since = mClock() - mWindowMs;
    int best = mReadings.back().second;
    for (std::size_t i = 0; i + 1 < mReadings.size(); ++i) {
        if (mReadings[i + 1].first > since)
            best = std::max(best, mReadings[i].second);
    }
    return best;
}

} // namespace tarvex
