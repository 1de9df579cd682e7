#pragma once

#include "data_folder.h"

#include "driver/port_names.h"
#include "history/history_recorder.h"
#include "mqtt/mqtt_options.h"
#include "remote/remote_options.h"
#include "station/station_options.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tarvex {

// What the command line asks of a run of the amplifiers, with a window or without.
struct RunOptions {
    static constexpr int kDemoAmplifiers = 2;

    PortNames::Overrides ports;
    bool demo = false;
    bool headless = false;
    QString screenshot;  // save the main window here, then quit
    int settleMs = 1000; // how long the amplifiers get to answer before the screenshot
    int historyDays = HistoryRecorder::kDefaultReadingDays;
    StationOptions station;
    std::optional<RemoteOptions> remote; // none: the remote panel is off
    std::optional<MqttOptions> mqtt;     // none: nothing goes to a broker
    // Where server.dat, history.db and remote-users are; made by whoever runs first.
    DataFolder data = DataFolder::forArguments({});

    // Whether the arguments (program name first) ask for a run without a window.
    static bool headlessRequested(const QStringList& arguments);
    // Nothing (after saying why on standard error) for an invalid command line. --help and
    // --version print and end the program here with 0.
    static std::optional<RunOptions> parse(const QStringList& arguments);
    // Before a command runs: false (after saying why) when the command line does not parse or
    // gives options of two commands, which the command's own parser would call unknown.
    static bool acceptedForCommand(const QStringList& arguments);
};

// The names the per-user settings and --version go by; needs the application object.
void setApplicationNames();

} // namespace tarvex
