#pragma once

#include "demo_amplifiers.h"

#include "core/server_object.h"
#include "driver/ferro_driver.h"
#include "driver/port_names.h"

namespace tarvex {

// The drivers of a run: port numbers resolved as the command line and the user's settings
// say, the demo amplifiers when asked for, and the factory that makes a driver for each entry
// of the list. Must outlive the drivers it makes.
class AmplifierDrivers {
public:
    explicit AmplifierDrivers(const PortNames::Overrides& ports) : mPortNames(ports) {}

    PortNames& portNames() { return mPortNames; }
    // Starts the simulated amplifiers on pseudo-terminals and writes a list of them where
    // there is none. The exit status, after saying why on standard error, when it could not.
    int startDemo(int count, const QString& dataFile);
    // Drivers reaching their ports as the port numbers resolve; editSettings is the settings
    // dialog of a run with a window, empty without one.
    ServerObject::DriverFactory factory(std::function<bool(DriverSettingsText&)> editSettings = {});

private:
    PortNames mPortNames;
    DemoAmplifiers mDemo;
};

} // namespace tarvex
