#include "demo_amplifiers.h"

#include "core/server_object.h"
#include "driver/ferro_driver.h"
#include "driver/port_names.h"
#include "sim/amp_simulator.h"

#include <QFileInfo>

namespace tarvex {

namespace {
// Short enough to watch; the real amplifier takes three minutes.
constexpr int kDemoWarmupMs = 8000;
constexpr int kDemoMeterIntervalMs = 400;
} // namespace

DemoAmplifiers::DemoAmplifiers(QObject* parent) : QObject(parent) {}

DemoAmplifiers::~DemoAmplifiers() = default;

bool DemoAmplifiers::start(int count, PortNames& names, QString* errorText) {
    for (int i = 0; i < count; ++i) {
        auto* amp = new sim::AmpSimulator(this);
        sim::AmpSimulator::Options o;
        o.warmupMs = kDemoWarmupMs;
        o.meterIntervalMs = kDemoMeterIntervalMs;
        o.baud = sim::PtyPort::kLineSpeed; // replies arrive split, as on a real port
        if (!amp->start(o)) {
            if (errorText)
                *errorText = amp->errorString();
            return false;
        }
        if (i == 0) {
            // One amplifier on the air, with meters moving, the other waiting to be switched on.
            amp->model().setWarmupMs(0);
            amp->model().powerOnFromPanel();
            amp->model().feed("OPER ON\r");
            amp->model().setWarmupMs(kDemoWarmupMs);
        }
        const int port = i + 1;
        if (!names.overrides().contains(port))
            names.setOverride(port, amp->devicePath());
        mAmps << amp;
    }
    return true;
}

bool DemoAmplifiers::seedList(const QString& dataFilePath, QString* errorText) const {
    const QFileInfo info(dataFilePath);
    if (info.exists() && info.size() > 0)
        return true; // the user's own list wins
    ModuleList modules;
    for (int i = 0; i < mAmps.size(); ++i) {
        auto d = std::make_shared<FerroDriver>(DriverEnvironment{});
        d->setDeviceName(QStringLiteral("Demo %1").arg(i + 1));
        d->setAmpPort(static_cast<std::int16_t>(i + 1));
        modules.push_back(d);
    }
    return ServerObject::writeModuleList(dataFilePath, modules, errorText);
}

} // namespace tarvex
