#include "amplifier_drivers.h"

#include "driver/resolving_serial_link.h"

namespace tarvex {

ServerObject::DriverFactory
AmplifierDrivers::factory(std::function<bool(DriverSettingsText&)> editSettings) {
    DriverEnvironment environment;
    // A serial device or a network serial server, as the port number resolves.
    environment.makeLink = [this] { return std::make_unique<ResolvingSerialLink>(mPortNames); };
    environment.editSettings = std::move(editSettings);
    return [environment] { return std::make_shared<FerroDriver>(environment); };
}

} // namespace tarvex
