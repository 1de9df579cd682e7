#pragma once

#include "sim/amp_model.h"
#include "sim/pty_port.h"

#include <QElapsedTimer>
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
    QString errorString() const { return port_.errorString(); }
    void setMeterInterval(int ms);

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
};

} // namespace tarvex::sim
