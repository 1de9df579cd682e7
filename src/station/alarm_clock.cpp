#include "alarm_clock.h"

#include <QElapsedTimer>
#include <QTimer>

namespace tarvex {

namespace {

class QtOneShot : public OneShot {
public:
    QtOneShot() {
        mTimer.setSingleShot(true);
        mTimer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&mTimer, &QTimer::timeout, [this] {
            // The handler may arm this timer again: it runs from a copy.
            const auto then = mThen;
            if (then)
                then();
        });
    }
    void start(std::chrono::milliseconds after, std::function<void()> then) override {
        mThen = std::move(then);
        mTimer.start(after);
    }
    void stop() override { mTimer.stop(); }

private:
    QTimer mTimer;
    std::function<void()> mThen;
};

} // namespace

AlarmClock AlarmClock::system() {
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    return {[started] { return started->elapsed(); }, [] { return std::make_unique<QtOneShot>(); }};
}

} // namespace tarvex
