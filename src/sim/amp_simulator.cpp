#include "sim/amp_simulator.h"

#include <algorithm>

namespace tarvex::sim {

AmpSimulator::AmpSimulator(QObject* parent) : QObject(parent) {
    clock_.start();
    model_.setClock([this] { return clock_.elapsed(); });
    model_.setOutputHandler([this](const std::string& bytes) {
        if (!muted_)
            port_.write(QByteArray::fromStdString(bytes));
        // Every change that starts a timed event also says something, so this is the one
        // place that needs to look at the model's next deadline.
        reschedule();
    });
    connect(&port_, &PtyPort::received, this, [this](const QByteArray& bytes) {
        model_.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        reschedule();
    });

    eventTimer_.setSingleShot(true);
    eventTimer_.setTimerType(Qt::PreciseTimer);
    connect(&eventTimer_, &QTimer::timeout, this, [this] {
        model_.poll();
        reschedule();
    });
    connect(&meterTimer_, &QTimer::timeout, this, [this] { model_.meterTick(); });
}

bool AmpSimulator::start(const Options& options) {
    model_.setWarmupMs(options.warmupMs);
    PtyPort::Options portOptions;
    portOptions.linkPath = options.linkPath;
    portOptions.baud = options.baud;
    portOptions.keepSlaveOpen = options.keepSlaveOpen;
    if (!port_.open(portOptions))
        return false;
    setMeterInterval(options.meterIntervalMs);
    reschedule();
    return true;
}

void AmpSimulator::stop() {
    // Only the cable is pulled: the amplifier itself keeps warming up and tuning.
    meterTimer_.stop();
    port_.close();
}

void AmpSimulator::setMeterInterval(int ms) {
    if (ms > 0)
        meterTimer_.start(ms);
    else
        meterTimer_.stop();
}

bool AmpSimulator::traceTo(const QString& path) {
    trace_.close();
    trace_.setFileName(path);
    if (!trace_.open(QIODevice::WriteOnly | QIODevice::Append)) {
        error_ = QStringLiteral("cannot write %1: %2").arg(path, trace_.errorString());
        return false;
    }
    model_.setCommandObserver([this](const std::string& line) {
        trace_.write(QByteArray::fromStdString(line) + '\n');
        trace_.flush();
    });
    return true;
}

void AmpSimulator::reschedule() {
    const std::int64_t wait = model_.msUntilNextEvent();
    if (wait < 0)
        eventTimer_.stop();
    else
        eventTimer_.start(static_cast<int>(std::min<std::int64_t>(wait, 24 * 3600 * 1000)));
}

} // namespace tarvex::sim
