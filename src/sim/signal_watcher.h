#pragma once

#include <QObject>

class QSocketNotifier;

namespace tarvex::sim {

// Turns SIGTERM and SIGINT into a Qt signal through a signalfd, so the event loop can end
// cleanly (and remove the symlinks) without any work in an async signal handler.
class SignalWatcher : public QObject {
    Q_OBJECT
public:
    // Call first thing in main, before any thread exists, so that no thread can take the
    // signals the default way.
    static bool blockTerminationSignals();

    // Needs the application object (for its socket notifier).
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
