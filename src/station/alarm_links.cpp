#include "alarm_links.h"

#include "alarm_monitor.h"
#include "amplifier_guard.h"
#include "amplifier_items.h"

namespace tarvex {

struct AlarmLinks::Amplifier {
    int index = 0;
    // The guard before the monitor, which refers to it.
    std::unique_ptr<AmplifierGuard> guard;
    std::unique_ptr<AlarmMonitor> monitor;
};

AlarmLinks::AlarmLinks(ServerObject& server, SettingsOf settingsOf, std::function<RigClient*()> rig,
                       AlarmClock clock, QObject* parent)
    : QObject(parent), mServer(&server), mSettingsOf(std::move(settingsOf)), mRig(std::move(rig)),
      mClock(std::move(clock)) {
    connect(&server, &ServerObject::Started, this, &AlarmLinks::attach);
    connect(&server, &ServerObject::Stopping, this, &AlarmLinks::detach);
    attach();
}

AlarmLinks::~AlarmLinks() {
    detach();
}

void AlarmLinks::attach() {
    detach();
    if (!mServer || !mServer->hub() || !mServer->modules())
        return;
    mHub = mServer->hub();
    const ModuleList& modules = *mServer->modules();
    for (std::size_t i = 0; i < modules.size(); ++i) {
        if (!modules[i] || !modules[i]->isAmplifierDriver())
            continue;
        const int index = static_cast<int>(i);
        const AmplifierItems items(mHub, index);
        auto amp = std::make_unique<Amplifier>();
        amp->index = index;
        amp->guard = std::make_unique<AmplifierGuard>(items, mRig, mClock);
        amp->monitor = std::make_unique<AlarmMonitor>(
            items, mSettingsOf ? mSettingsOf(index) : AlarmSettings{}, mClock);
        amp->monitor->setGuard(amp->guard.get());
        connect(amp->monitor.get(), &AlarmMonitor::raised, this,
                [this, index, items](int level, const QString& text) {
                    emit raised(index, items.title(), level, text);
                });
        connect(amp->monitor.get(), &AlarmMonitor::textChanged, this,
                [this, index, items](const QString& text) {
                    emit textChanged(index, items.title(), text);
                });
        mAmplifiers.push_back(std::move(amp));
    }
}

void AlarmLinks::detach() {
    mAmplifiers.clear();
    mHub.reset();
}

void AlarmLinks::reload() {
    for (const auto& amp : mAmplifiers)
        amp->monitor->apply(mSettingsOf ? mSettingsOf(amp->index) : AlarmSettings{});
}

AlarmMonitor* AlarmLinks::monitor(int index) const {
    for (const auto& amp : mAmplifiers) {
        if (amp->index == index)
            return amp->monitor.get();
    }
    return nullptr;
}

AmplifierGuard* AlarmLinks::guard(int index) const {
    for (const auto& amp : mAmplifiers) {
        if (amp->index == index)
            return amp->guard.get();
    }
    return nullptr;
}

} // namespace tarvex
