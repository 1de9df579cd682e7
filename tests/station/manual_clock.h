#pragma once

#include "station/alarm_clock.h"

#include <optional>
#include <vector>

namespace tarvex::test {

// Time that moves only when the test says: advance() fires the timers that fall due, in order.
class ManualClock {
    struct Timer : OneShot {
        explicit Timer(ManualClock& c) : c(c) { c.mTimers.push_back(this); }
        ~Timer() override { std::erase(c.mTimers, this); }
        void start(std::chrono::milliseconds after, std::function<void()> f) override {
            due = c.now + after.count(), then = std::move(f);
        }
        void stop() override { due.reset(); }
        ManualClock& c;
        std::optional<qint64> due;
        std::function<void()> then;
    };
    std::vector<Timer*> mTimers;

public:
    AlarmClock clock() {
        return {[this] { return now; }, [this] { return std::make_unique<Timer>(*this); }};
    }
    void advance(qint64 ms) {
        const qint64 end = now + ms;
        for (;;) {
            Timer* first = nullptr;
            for (Timer* t : mTimers)
                if (t->due && *t->due <= end && (!first || *t->due < *first->due))
                    first = t;
            if (!first)
                break;
            now = *std::exchange(first->due, std::nullopt);
            const auto then = first->then; // it may arm its timer again
            then();
        }
        now = end;
    }
    qint64 now = 1'000'000;
};

} // namespace tarvex::test
