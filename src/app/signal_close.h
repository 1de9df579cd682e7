#pragma once

#include <QObject>

class QSocketNotifier;

namespace tarvex {

// Turns SIGTERM, SIGHUP and SIGINT into an ordinary close: the handler only writes a byte to a
// socket pair, whose read end the event loop watches. A signal ignored at start (nohup) stays
// ignored, and a second one of a kind ends the program the default way, in case the close
// hangs. A handler has no object to reach, so only one of these may exist at a time.
class SignalClose : public QObject {
    Q_OBJECT

public:
    // Needs the application object. Signals from now on are kept until the loop runs.
    explicit SignalClose(QObject* parent = nullptr);
    ~SignalClose() override;
    SignalClose(const SignalClose&) = delete;
    SignalClose& operator=(const SignalClose&) = delete;

signals:
    // Raised in the outermost event loop, after any modal dialog was closed as by Cancel.
    void received();

private:
    void readSignal();
    void deliver();

    int mFds[2] = {-1, -1};
    QSocketNotifier* mNotifier = nullptr;
};

} // namespace tarvex
