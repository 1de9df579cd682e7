#pragma once

#include <QtGlobal>

#include <chrono>
#include <functional>
#include <memory>

namespace tarvex {

// A single-shot timer: armed again, it forgets the earlier arming.
class OneShot {
public:
    virtual ~OneShot() = default;
    virtual void start(std::chrono::milliseconds after, std::function<void()> then) = 0;
    virtual void stop() = 0;
};

// Time as the alarm monitor and the guard see it: a monotonic clock in milliseconds and the
// timers they arm. Tests hand in a clock they move themselves.
struct AlarmClock {
    std::function<qint64()> now;
    std::function<std::unique_ptr<OneShot>()> makeTimer;

    // The steady clock and precise Qt timers (never early).
    static AlarmClock system();
};

} // namespace tarvex
