#pragma once

#include "station/station_options.h"

#include <QPointer>

#include <memory>

class QCommandLineParser;

namespace tarvex {

class frmMain;
class frmStationLinks;
class StationLinks;

// Puts the station links into the program: their command-line options over the per-user
// settings, the links themselves following the main window's server, and "&Station Links..."
// in the Control menu.
class StationWiring {
public:
    static void addOptions(QCommandLineParser& parser);
    // The "Station" settings with the command line over them; false with *error when an
    // option given is not valid.
    static bool readOptions(const QCommandLineParser& parser, StationOptions& options,
                            QString* error);

    StationWiring(frmMain& window, const StationOptions& options);
    ~StationWiring();

private:
    void mnuStationLinks_Click();

    frmMain& mWindow;
    std::unique_ptr<StationLinks> mLinks;
    QPointer<frmStationLinks> mDialog;
};

} // namespace tarvex
