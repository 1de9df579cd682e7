#include "command_budget.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <memory>

namespace tarvex {

CommandBudget::CommandBudget(int burst, double perSecond, Clock clock)
    : mBurst(burst), mPerMs(perSecond / 1000), mClock(std::move(clock)), mTokens(burst) {
    if (!mClock) {
        auto started = std::make_shared<QElapsedTimer>();
        started->start();
        mClock = [started] { return started->elapsed(); };
    }
    mAt = mClock();
}

void CommandBudget::refill() {
    const qint64 now = mClock();
    mTokens = std::min(mBurst, mTokens + double(now - mAt) * mPerMs);
    mAt = now;
}

bool CommandBudget::take() {
    refill();
    if (mTokens < 1)
        return false;
    mTokens -= 1;
    return true;
}

qint64 CommandBudget::msUntilNext() {
    refill();
    return mTokens >= 1 ? 0 : static_cast<qint64>(std::ceil((1 - mTokens) / mPerMs));
}

} // namespace tarvex
