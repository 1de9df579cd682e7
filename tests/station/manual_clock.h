#pragma once

#include "station/alarm_clock.h"

#include <algorithm>
#include <vector>

namespace tarvex::test {

// Time that moves only when the test says: advance() fires the timers that fall due, in order.
class ManualClock {
public:
    AlarmClock clock() {
        return {[this] { return mNow; }, [this] { return std::make_unique<Timer>(*this); }};
    }
    void advance(qint64 ms) {
        const qint64 end = mNow + ms;
        for (;;) {
            Timer* next = nullptr;
            for (Timer* t : mTimers)
                if (t->due && *t->due <= end && (!next || *t->due < *next->due))
                    next = t;
            if (!next)
                break;
            mNow = *next->due;
            next->due.reset();
            const auto then = next->then;
            then();
        }
        mNow = end;
    }
    qint64 now() const { return mNow; }

private:
    struct Timer : OneShot {
        explicit Timer(ManualClock& c) : clock(c) { clock.mTimers.push_back(this); }
        ~Timer() override { std::erase(clock.mTimers, this); }
        void start(std::chrono::milliseconds after, std::function<void()> f) override {
            due = clock.mNow + after.count();
            then = std::move(f);
        }
        void stop() override { due.reset(); }
        bool active() const override { return due.has_value(); }
        ManualClock& clock;
        std::optional<qint64> due;
        std::function<void()> then;
    };
    qint64 mNow = 1'000'000;
    std::vector<Timer*> mTimers;
};

} // namespace tarvex::test
