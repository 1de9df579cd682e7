// The executable: command line, wiring, QApplication. Everything else lives in the libraries.
#include "amplifier_list_commands.h"
#include "command_line.h"
#include "core/printable.h"
#include "demo_amplifiers.h"
#include "driver/ferro_driver.h"
#include "driver/port_names.h"
#include "driver/resolving_serial_link.h"
#include "history_commands.h"
#include "history_wiring.h"
#include "screenshot.h"
#include "signal_close.h"
#include "station_wiring.h"
#include "ui/display_setup.h"
#include "ui/frm_main.h"
#include "ui/frm_options.h"
#include "ui/frm_server.h"
#include "ui/panel_registry.h"
#include "ui/panels/amplifier_panels.h"
#include "x_display.h"

#include <tarvex/version.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QPointer>
#include <QTimer>

#include <cstdio>
#include <optional>

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
    tarvex::PortNames::Overrides ports;
    bool demo = false;
    QString screenshot;  // save the main window here, then quit
    int settleMs = 1000; // how long the amplifiers get to answer before the screenshot
    int historyDays = tarvex::HistoryRecorder::kDefaultReadingDays;
    tarvex::StationOptions station;
};

constexpr int kDemoAmplifiers = 2;
// The exit status of an invalid command line, as the set-up commands use it.
constexpr int kInvalidUse = 2;

// Says on standard error why a command line is invalid; the caller exits with kInvalidUse.
std::nullopt_t refuse(const QString& message) {
    // It may quote what was typed: one line, and no escape sequence reaches the terminal.
    std::fprintf(stderr, "tarvex: %s\n", qPrintable(tarvex::printable(message)));
    return std::nullopt;
}

// Every option of the program on one parser, so that --help lists them all and a command line
// can be checked whole; the members are the ones the window reads.
struct ProgramOptions {
    explicit ProgramOptions(QCommandLineParser& parser);

    QCommandLineOption help;
    QCommandLineOption version;
    QCommandLineOption port{
        QStringLiteral("port"),
        QStringLiteral("Use DEVICE for port number N (may be repeated), e.g. 1=/dev/ttyUSB0."),
        QStringLiteral("N=DEVICE")};
    QCommandLineOption demo{
        QStringLiteral("demo"),
        QStringLiteral("Drive %1 simulated amplifiers on pseudo-terminals (ports 1 and 2); "
                       "writes a list using them when the working directory has none.")
            .arg(kDemoAmplifiers)};
    QCommandLineOption screenshot{
        QStringLiteral("screenshot"),
        QStringLiteral("Start normally, wait the settle time, save the main window as a PNG "
                       "in FILE and exit."),
        QStringLiteral("FILE")};
    QCommandLineOption settle{
        QStringLiteral("settle"),
        QStringLiteral("Milliseconds to wait before --screenshot (default 1000)."),
        QStringLiteral("MS"), QStringLiteral("1000")};
};

ProgramOptions::ProgramOptions(QCommandLineParser& parser)
    : help(parser.addHelpOption()), version(parser.addVersionOption()) {
    parser.setApplicationDescription(
        QStringLiteral("Shows and operates Ferro linear amplifiers over serial ports."));
    parser.addOption(port);
    parser.addOption(demo);
    parser.addOption(screenshot);
    parser.addOption(settle);
    tarvex::AmplifierListCommands::addOptions(parser);
    tarvex::HistoryCommands::addOptions(parser);
    tarvex::StationWiring::addOptions(parser);
}

// Before a command runs: nothing (after saying why) when the command line does not parse or
// gives options of two commands, which the command's own parser would call unknown.
bool acceptedForCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    const ProgramOptions options(parser);
    tarvex::command_line::CommandTable table;
    tarvex::AmplifierListCommands::addCommands(table);
    tarvex::HistoryCommands::addCommands(table);
    const QString problem =
        parser.parse(arguments)
            ? tarvex::command_line::combinedCommands(parser.optionNames(), table)
            : parser.errorText();
    if (!problem.isEmpty())
        refuse(problem);
    return problem.isEmpty();
}

// Nothing (after saying why) for an invalid command line. --help and --version print and end
// the program here with 0.
std::optional<Options> parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    const ProgramOptions programOptions(parser);
    const auto& [help, version, port, demo, screenshot, settle] = programOptions;
    // parse(), not process(): process() ends an invalid command line with 1 and Qt's own
    // wording, where every command of ours uses 2 and "tarvex:".
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")) || parser.isSet(version))
        parser.process(arguments); // prints and exits with 0
    if (const QString stray = tarvex::command_line::strayArgument(parser); !stray.isEmpty())
        return refuse(stray);
    if (const QString misplaced = tarvex::HistoryCommands::exportOnlyOption(parser);
        !misplaced.isEmpty())
        return refuse(misplaced);
    if (parser.isSet(settle) && !parser.isSet(screenshot))
        return refuse(QStringLiteral("--settle is only used with --screenshot"));

    Options options;
    options.demo = parser.isSet(demo);
    options.screenshot = parser.value(screenshot);
    bool settleOk = false;
    options.settleMs = parser.value(settle).toInt(&settleOk);
    if (!settleOk || options.settleMs < 0)
        return refuse(QStringLiteral("--settle expects a number of milliseconds, got \"%1\"")
                          .arg(parser.value(settle)));
    QString historyError;
    const auto historyDays = tarvex::HistoryCommands::readingDays(parser, &historyError);
    if (!historyDays)
        return refuse(historyError);
    options.historyDays = *historyDays;
    for (const QString& text : parser.values(port)) {
        QString error;
        const auto parsed = tarvex::PortNames::parseOption(text, &error);
        if (!parsed)
            return refuse(error);
        options.ports.insert(parsed->port, parsed->device);
    }
    QString stationError;
    if (!tarvex::StationWiring::readOptions(parser, options.station, &stationError))
        return refuse(stationError);
    return options;
}

void setApplicationNames() {
    QCoreApplication::setApplicationName(QString::fromLatin1(tarvex::version::kTitle));
    QCoreApplication::setOrganizationName(QStringLiteral("Tarvex"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(tarvex::version::kFull));
}

// --help and --version still work; anything else ends with one line instead of Qt's
// platform-plugin abort. No GUI application object is made, so no plugin is loaded at all.
int refuseWithoutDisplay(int argc, char* argv[], const char* reason) {
    QCoreApplication app(argc, argv);
    setApplicationNames();
    if (!parseCommandLine(QCoreApplication::arguments()))
        return kInvalidUse;
    std::fprintf(stderr, "tarvex: %s; run it under Xvfb, for example: xvfb-run -a make run\n",
                 reason);
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    // The list commands work over a remote shell: no display, no GUI application object.
    const QStringList arguments = tarvex::command_line::arguments(argc, argv);
    const bool listCommand = tarvex::AmplifierListCommands::requested(arguments);
    if (listCommand || tarvex::HistoryCommands::requested(arguments)) {
        QCoreApplication app(argc, argv);
        setApplicationNames();
        if (!acceptedForCommand(app.arguments()))
            return kInvalidUse;
        if (listCommand)
            return tarvex::AmplifierListCommands::run(app.arguments(),
                                                      QStringLiteral("server.dat"));
        return tarvex::HistoryCommands::run(app.arguments(), QStringLiteral("history.db"));
    }
    if (!displayAvailable())
        return refuseWithoutDisplay(argc, argv,
                                    "no display found (DISPLAY and WAYLAND_DISPLAY are unset)");
    if (tarvex::xDisplayUnreachable()) {
        const QByteArray reason = "cannot open the display " + qgetenv("DISPLAY");
        return refuseWithoutDisplay(argc, argv, reason.constData());
    }

    tarvex::prepareDisplayForSmallRepaints();
    QApplication app(argc, argv);
    setApplicationNames();
    const std::optional<Options> parsed = parseCommandLine(QCoreApplication::arguments());
    if (!parsed)
        return kInvalidUse;
    const Options& options = *parsed;
    tarvex::SignalClose signalClose; // before the window, so that no signal is lost
    const QString dataFile = QStringLiteral("server.dat");

    tarvex::PortNames portNames(options.ports);
    tarvex::DemoAmplifiers demo;
    if (options.demo) {
        QString error;
        if (!demo.start(kDemoAmplifiers, portNames, &error) || !demo.seedList(dataFile, &error)) {
            std::fprintf(stderr, "tarvex: the demo amplifiers could not start: %s\n",
                         qPrintable(error));
            return 1;
        }
    }

    // One settings dialog and one way to reach a port, shared by every driver.
    tarvex::frmOptions optionsDialog(
        {[&portNames](const QString& text) { return portNames.resolvePortText(text); },
         [] { return tarvex::PortNames::availableDevices(); }, &tarvex::PortNames::checkDeviceName,
         &tarvex::PortNames::accessProblem, &tarvex::PortNames::storeSetting,
         [&portNames](int port) { return portNames.overrideFor(port); }});
    tarvex::DriverEnvironment environment;
    // A serial device or a network serial server, as the port number resolves.
    environment.makeLink = [&portNames] {
        return std::make_unique<tarvex::ResolvingSerialLink>(portNames);
    };
    environment.editSettings = [&optionsDialog](tarvex::DriverSettingsText& text) {
        return optionsDialog.edit(text.name, text.port, text.settings);
    };
    tarvex::ServerObject::DriverFactory driverFactory = [environment] {
        return std::make_shared<tarvex::FerroDriver>(environment);
    };
    // "&Configure..." edits the list in the one configuration dialog. It is made on first use,
    // as a child of the main window, so that it opens over that window and ends with it.
    tarvex::frmMain* mainWindow = nullptr;
    QPointer<tarvex::frmServer> configuration;
    tarvex::ServerObject::ListEditor listEditor =
        [&mainWindow, &configuration, makeDriver = driverFactory](tarvex::ModuleList& modules) {
            if (!configuration)
                configuration = new tarvex::frmServer(makeDriver, mainWindow);
            bool save = false;
            configuration->EditModuleList(modules, save);
            return save;
        };
    tarvex::PanelRegistry panels;
    tarvex::registerAmplifierPanels(panels);

    // server.dat is read from and written to the current working directory.
    tarvex::frmMain window(std::move(driverFactory), std::move(listEditor), std::move(panels),
                           dataFile);
    QObject::connect(&signalClose, &tarvex::SignalClose::received, &window, &QWidget::close);
    mainWindow = &window;
    // history.db sits beside server.dat.
    tarvex::HistoryWiring history(window, QStringLiteral("history.db"), options.historyDays);
    tarvex::StationWiring station(window, options.station);
    window.show();
    if (!options.screenshot.isEmpty()) {
        QTimer::singleShot(options.settleMs, &window, [&window, &options] {
            QString error;
            const bool saved = tarvex::saveScreenshot(window, options.screenshot, &error);
            if (!saved)
                std::fprintf(stderr, "tarvex: %s\n", qPrintable(error));
            window.close();
            QCoreApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}
