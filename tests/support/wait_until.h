#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

namespace tarvex::test {

// Runs the event loop until the condition holds or the time is up; tests that talk over a real
// pseudo-terminal have to let the loop deliver what arrives. The condition is checked after
// every batch of events (a ticking timer bounds each wait), so a wait ends as soon as it can.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 4000) {
    QElapsedTimer t;
    t.start();
    QTimer tick;
    tick.start(10);
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

} // namespace tarvex::test
