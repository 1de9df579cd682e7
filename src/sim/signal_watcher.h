#pragma once

#include <QObject>

class QSocketNotifier;

namespace tarvex::sim {

// Turns SIGTERM and SIGINT into a Qt signal through a signalfd, so the event loop can end
// cleanly (and remove the symlinks) without any work in an async signal handler.
// Construct it before any thread starts: it blocks those signals for the process.
class SignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

    bool isValid() const { return fd_ >= 0; }

signals:
    void terminationRequested(int signal);

private:
    void onReadable();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace tarvex::sim
