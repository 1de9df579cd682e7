#include "window_run.h"

#include "amplifier_drivers.h"
#include "exit_status.h"
#include "history_browser.h"
#include "local_use_watch.h"
#include "run_options.h"
#include "run_services.h"
#include "screenshot.h"
#include "signal_close.h"
#include "station_links_menu.h"
#include "window_sink.h"

#include "ui/frm_main.h"
#include "ui/frm_options.h"
#include "ui/frm_server.h"
#include "ui/panel_registry.h"
#include "ui/panels/amplifier_panels.h"
#include "ui/program_icon.h"

#include "remote/remote_panel.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <cstdio>
#include <optional>

namespace tarvex {

int runWindow(const RunOptions& options) {
    SignalClose signalClose; // before the window, so that no signal is lost
    // The desktop matches the windows to the installed entry (and its icon) by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tarvex.Tarvex"));
    QApplication::setWindowIcon(programIcon());
    if (QString why; !options.data.prepare(&why)) {
        // Started from the desktop, there may be no terminal to read standard error.
        std::fprintf(stderr, "tarvex: %s\n", qPrintable(why));
        QMessageBox::critical(nullptr, QStringLiteral("Tarvex"), why);
        return exit_status::kFileProblem;
    }
    const QString dataFile = options.data.file(QStringLiteral("server.dat"));

    AmplifierDrivers drivers(options.ports);
    if (options.demo) {
        if (const int status = drivers.startDemo(RunOptions::kDemoAmplifiers, dataFile))
            return status;
    }

    // One settings dialog and one way to reach a port, shared by every driver.
    PortNames& portNames = drivers.portNames();
    frmOptions optionsDialog(
        {[&portNames](const QString& text) { return portNames.resolvePortText(text); },
         [] { return PortNames::availableDevices(); }, &PortNames::checkDeviceName,
         &PortNames::accessProblem, &PortNames::storeSetting,
         [&portNames](int port) { return portNames.overrideFor(port); }});
    ServerObject::DriverFactory driverFactory =
        drivers.factory([&optionsDialog](DriverSettingsText& text) {
            return optionsDialog.edit(text.name, text.port, text.settings);
        });
    // "&Configure..." edits the list in the one configuration dialog. It is made on first use,
    // as a child of the main window, so that it opens over that window and ends with it.
    frmMain* mainWindow = nullptr;
    QPointer<frmServer> configuration;
    ServerObject::ListEditor listEditor = [&mainWindow, &configuration,
                                           makeDriver = driverFactory](ModuleList& modules) {
        if (!configuration)
            configuration = new frmServer(makeDriver, mainWindow);
        bool save = false;
        configuration->EditModuleList(modules, save);
        return save;
    };
    PanelRegistry panels;
    registerAmplifierPanels(panels);

    // server.dat is read from and written to the run's data folder.
    frmMain window(std::move(driverFactory), std::move(listEditor), std::move(panels), dataFile);
    QObject::connect(&signalClose, &SignalClose::received, &window, &QWidget::close);
    mainWindow = &window;
    // The window started the server; the services follow it from here.
    WindowSink sink(window);
    RunServices services(*window.server(), sink, options);
    HistoryBrowser historyBrowser(window, services.history());
    StationLinksMenu stationMenu(window, services.station().links());
    QObject::connect(&window, &frmMain::alarmSettingsChanged, &window,
                     [&services] { services.alarms().reload(); });
    // Remote pages show that someone is at the desk.
    std::optional<LocalUseWatch> localUse;
    if (RemotePanel* panel = services.remote().panel())
        localUse.emplace(window, [panel] { panel->noteLocalUse(); });
    window.show();
    if (!options.screenshot.isEmpty()) {
        QTimer::singleShot(options.settleMs, &window, [&window, &options] {
            QString error;
            const bool saved = saveScreenshot(window, options.screenshot, &error);
            if (!saved)
                std::fprintf(stderr, "tarvex: %s\n", qPrintable(error));
            window.close();
            QCoreApplication::exit(saved ? exit_status::kClean : exit_status::kFileProblem);
        });
    }
    return QApplication::exec();
}

} // namespace tarvex
