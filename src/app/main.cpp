// The executable: command line, wiring, QApplication. Everything else lives in the libraries.
#include "ui/frm_main.h"
#include "ui/panel_registry.h"

#include <tarvex/version.h>

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

namespace {

// Without a display Qt would abort with a platform-plugin error that tells a user little.
bool displayAvailable() {
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
    return true;
#endif
}

struct Options {
    // Later: --port N=DEVICE and --screenshot FILE are added here.
};

Options parseCommandLine(const QCoreApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows and operates Ferro linear amplifiers over serial ports."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app); // --help and --version print and exit here
    return Options{};
}

void setApplicationNames() {
    QCoreApplication::setApplicationName(QString::fromLatin1(tarvex::version::kTitle));
    QCoreApplication::setOrganizationName(QStringLiteral("Tarvex"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(tarvex::version::kFull));
}

// --help and --version still work; anything else ends with one line instead of Qt's
// platform-plugin abort. No GUI application object is made, so no plugin is loaded at all.
int refuseWithoutDisplay(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    setApplicationNames();
    parseCommandLine(app);
    std::fputs("tarvex: no display found (DISPLAY and WAYLAND_DISPLAY are unset); "
               "run it under Xvfb, for example: xvfb-run -a make run\n",
               stderr);
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    if (!displayAvailable())
        return refuseWithoutDisplay(argc, argv);

    QApplication app(argc, argv);
    setApplicationNames();
    [[maybe_unused]] const Options options = parseCommandLine(app);

    // No amplifier driver yet: a factory that yields no module ends loading at the first saved
    // entry, so the program runs with an empty list. Likewise there is no list editor yet, and
    // the configure command just restarts the server.
    tarvex::ServerObject::DriverFactory driverFactory = [] { return tarvex::ModulePtr{}; };
    tarvex::ServerObject::ListEditor listEditor;
    // The panels register here once they exist.
    tarvex::PanelRegistry panels;

    // server.dat is read from and written to the current working directory.
    tarvex::frmMain window(std::move(driverFactory), std::move(listEditor), std::move(panels));
    window.show();
    return QApplication::exec();
}
