#pragma once

#include "amplifier_drivers.h"
#include "event_log.h"
#include "log_sink.h"
#include "run_options.h"
#include "signal_close.h"

#include <QObject>

#include <memory>
#include <optional>

namespace tarvex {

class RunServices;
class ServerObject;

// A run of the amplifiers without a window (a station computer with no display): the drivers,
// the station links, the history and the remote panel under the core application, with a log
// of events (the remote panel's logins and commands among them) on standard error, until
// SIGTERM, SIGINT or SIGHUP ends it.
class HeadlessRun : public QObject {
    Q_OBJECT

public:
    // Takes over the signals at once, so that none is lost before the loop runs.
    explicit HeadlessRun(RunOptions options);
    // Stops the drivers (ports closed) and waits for the history's last write.
    ~HeadlessRun() override;

    // Starts everything. The exit status (after saying why on standard error) when the run
    // cannot serve; nothing when it runs until a signal ends the event loop with 0.
    std::optional<int> start();

private:
    void signalClose_received();

    RunOptions mOptions;
    SignalClose mSignalClose;
    LogSink mSink;
    EventLog mEventLog;
    AmplifierDrivers mDrivers;
    std::unique_ptr<ServerObject> mServer;
    std::unique_ptr<RunServices> mServices;
};

// Parses the command line under a core application and runs without a window; returns the
// exit status.
int runHeadless(int argc, char* argv[]);

} // namespace tarvex
