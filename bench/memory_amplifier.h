#pragma once

#include "core/hub.h"
#include "driver/ferro_driver.h"
#include "driver/memory_serial_link.h"

#include <QString>

#include <memory>

namespace tarvex::bench {

// A driver at index 0 on an in-memory link, told the state it starts in: what the benchmarks
// that play a slow line or a flood put in front of the amplifier.
struct MemoryAmplifier {
    explicit MemoryAmplifier(const QString& startingReport) {
        DriverEnvironment env;
        env.makeLink = [this] {
            auto l = std::make_unique<MemorySerialLink>();
            link = l.get();
            return l;
        };
        driver = std::make_unique<FerroDriver>(env);
        driver->Initialize(hub, 0);
        link->receive(startingReport + QStringLiteral("\r\n"));
    }
    ~MemoryAmplifier() { driver->Terminate(); }
    MemoryAmplifier(const MemoryAmplifier&) = delete;
    MemoryAmplifier& operator=(const MemoryAmplifier&) = delete;

    void set(const QString& name, const Variant& value) { hub->GetItem(name)->setValue(value); }

    HubPtr hub = Hub::create();
    MemorySerialLink* link = nullptr;
    std::unique_ptr<FerroDriver> driver;
};

} // namespace tarvex::bench
