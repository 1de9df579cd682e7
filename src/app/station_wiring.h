#pragma once

#include "station/station_options.h"

#include <memory>

class QCommandLineParser;

namespace tarvex {

class ServerObject;
class StationLinks;
class UserSink;

// Puts the station links into a run: their command-line options over the per-user settings,
// and the links themselves following the server, telling the user through the sink of a lost
// radio and of ports that could not be had.
class StationWiring {
public:
    static void addOptions(QCommandLineParser& parser);
    // The "Station" settings with the command line over them; false with *error when an
    // option given is not valid.
    static bool readOptions(const QCommandLineParser& parser, StationOptions& options,
                            QString* error);
    // Says on standard error when the amplifier server listens beyond this computer.
    static void warnIfExposed(const StationOptions& options);

    StationWiring(ServerObject& server, UserSink& sink, const StationOptions& options);
    ~StationWiring();

    StationLinks& links() { return *mLinks; }

private:
    UserSink& mSink;
    std::unique_ptr<StationLinks> mLinks;
};

} // namespace tarvex
