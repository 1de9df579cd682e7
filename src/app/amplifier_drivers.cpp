#include "amplifier_drivers.h"

#include "exit_status.h"

#include "core/printable.h"
#include "driver/resolving_serial_link.h"

#include <cstdio>

namespace tarvex {

int AmplifierDrivers::startDemo(int count, const QString& dataFile) {
    QString error;
    const auto failed = [&error](int status, const char* what) {
        std::fprintf(stderr, "tarvex: %s: %s\n", what, qPrintable(printable(error)));
        return status;
    };
    if (!mDemo.start(count, mPortNames, &error))
        return failed(exit_status::kServiceUnavailable, "the demo amplifiers could not start");
    if (!mDemo.seedList(dataFile, &error))
        return failed(exit_status::kFileProblem, "the demo amplifiers' list could not be written");
    return exit_status::kClean;
}

ServerObject::DriverFactory
AmplifierDrivers::factory(std::function<bool(DriverSettingsText&)> editSettings) {
    DriverEnvironment environment;
    // A serial device or a network serial server, as the port number resolves.
    environment.makeLink = [this] { return std::make_unique<ResolvingSerialLink>(mPortNames); };
    environment.editSettings = std::move(editSettings);
    return [environment] { return std::make_shared<FerroDriver>(environment); };
}

} // namespace tarvex
