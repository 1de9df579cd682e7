#pragma once

#include <QtGlobal>

#include <functional>

namespace tarvex {

// How many commands a client may have carried out: a burst, then a steady rate (a token
// bucket). Time away refills it, never beyond the burst.
class CommandBudget {
public:
    using Clock = std::function<qint64()>; // milliseconds, monotonic

    CommandBudget(int burst, double perSecond, Clock clock = {});

    // Spends one command when there is one.
    bool take();
    // Until the next command may be spent; 0 when one may be now.
    qint64 msUntilNext();

private:
    void refill();

    double mBurst;
    double mPerMs;
    Clock mClock;
    double mTokens;
    qint64 mAt;
};

} // namespace tarvex
