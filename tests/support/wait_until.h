#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <functional>

namespace tarvex::test {

// Runs the event loop until the condition holds or the time is up; tests that talk over a real
// pseudo-terminal have to let the loop deliver what arrives.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 4000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

} // namespace tarvex::test
