#pragma once

#include "sim/amp_model.h"
#include "sim/pty_port.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

namespace tarvex::sim {

// One simulated amplifier on its own pseudo-terminal: the model answers what arrives on the
// port, with real time driving its warm-up and auto-tuning, and sends metering lines while
// operating if asked to.
class AmpSimulator : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString linkPath;
        int warmupMs = AmpModel::kDefaultWarmupMs;
        int meterIntervalMs = 0; // 0: no periodic metering
        int baud = 0;            // 0: no pacing; PtyPort::kLineSpeed: as the client set it
        bool keepSlaveOpen = true;
    };

    explicit AmpSimulator(QObject* parent = nullptr);

    bool start(const Options& options);
    // Makes the device vanish, as if the adapter were unplugged. The model runs on; start()
    // again gives it a new device.
    void stop();
    bool isRunning() const { return port_.isOpen(); }

    QString devicePath() const { return port_.slavePath(); }
    QString errorString() const { return error_.isEmpty() ? port_.errorString() : error_; }
    void setMeterInterval(int ms);
    // Appends every command line the amplifier receives to the file at path, one a line, each
    // flushed as it comes, so that a test can read what reached the serial line. False with
    // errorString() when the file cannot be opened.
    bool traceTo(const QString& path);
    // A muted amplifier still hears and obeys its commands but sends nothing, as with a broken
    // receive wire: the client sees it stop answering.
    void setMuted(bool muted) { muted_ = muted; }
    bool isMuted() const { return muted_; }

    // Drive the model directly for faults, metering, raw lines and front-panel actions; its
    // replies go out on the port and its timed events are rescheduled automatically.
    AmpModel& model() { return model_; }
    const AmpModel& model() const { return model_; }
    PtyPort& port() { return port_; }

private:
    void reschedule();

    AmpModel model_;
    PtyPort port_;
    QElapsedTimer clock_;
    QTimer eventTimer_;
    QTimer meterTimer_;
    QFile trace_;
    QString error_;
    bool muted_ = false;
};

} // namespace tarvex::sim
