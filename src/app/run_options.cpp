#include "run_options.h"

#include "amplifier_list_commands.h"
#include "command_line.h"
#include "history_commands.h"
#include "mqtt_wiring.h"
#include "remote_user_commands.h"
#include "remote_wiring.h"
#include "station_wiring.h"

#include "core/printable.h"

#include <tarvex/version.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>

namespace tarvex {

namespace {

const QString kHeadless = QStringLiteral("headless");

// Says on standard error why a command line is invalid; the caller exits with kInvalidUse.
std::nullopt_t refuse(const QString& message) {
    // It may quote what was typed: one line, and no escape sequence reaches the terminal.
    std::fprintf(stderr, "tarvex: %s\n", qPrintable(printable(message)));
    return std::nullopt;
}

// Every option of the program on one parser, so that --help lists them all and a command line
// can be checked whole; the members are the ones a run reads.
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
                       "writes a list using them when the data folder has none.")
            .arg(RunOptions::kDemoAmplifiers)};
    QCommandLineOption headless{
        kHeadless,
        QStringLiteral("Run without a window or display: the amplifiers, the station links, "
                       "the history and the remote panel, with a log of events on standard "
                       "error. SIGTERM, SIGINT and SIGHUP end it.")};
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
    parser.setApplicationDescription(QStringLiteral(
        "Shows and operates Ferro linear amplifiers over serial ports.\n\n"
        "Exit status:\n"
        "  0  done, or stopped by SIGTERM, SIGINT or SIGHUP\n"
        "  1  a file could not be read or written (the window: no display)\n"
        "  2  invalid command line\n"
        "  3  a service could not start (a station port taken, the remote panel refused, no\n"
        "     pseudo-terminal for --demo)\n"
        "  4  --headless: the amplifier list holds no amplifier\n\n"
        "Files:\n"
        "  server.dat (the amplifier list), history.db (the record) and remote-users (the\n"
        "  remote panel's users) are in the working directory; with --user-data, as the\n"
        "  desktop launcher starts it, in $XDG_DATA_HOME/Tarvex (by default\n"
        "  ~/.local/share/Tarvex), made on first use. Per-user settings are in\n"
        "  $XDG_CONFIG_HOME/Tarvex/Tarvex.conf (by default ~/.config/Tarvex/Tarvex.conf)."));
    parser.addOption(port);
    parser.addOption(demo);
    parser.addOption(headless);
    parser.addOption(screenshot);
    parser.addOption(settle);
    DataFolder::addOption(parser);
    AmplifierListCommands::addOptions(parser);
    HistoryCommands::addOptions(parser);
    RemoteUserCommands::addOptions(parser);
    StationWiring::addOptions(parser);
    RemoteWiring::addOptions(parser);
    MqttWiring::addOptions(parser);
}

} // namespace

bool RunOptions::headlessRequested(const QStringList& arguments) {
    return command_line::requests(arguments, {kHeadless});
}

bool RunOptions::acceptedForCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    const ProgramOptions options(parser);
    command_line::CommandTable table;
    AmplifierListCommands::addCommands(table);
    HistoryCommands::addCommands(table);
    RemoteUserCommands::addCommands(table);
    // Every command reads or writes a file of the data folder.
    QStringList everyCommand{command_line::kWindow};
    for (const QStringList& commands : std::as_const(table))
        everyCommand << commands;
    table.insert(DataFolder::kOption, everyCommand);
    const QString problem = parser.parse(arguments)
                                ? command_line::combinedCommands(parser.optionNames(), table)
                                : parser.errorText();
    if (!problem.isEmpty())
        refuse(problem);
    return problem.isEmpty();
}

std::optional<RunOptions> RunOptions::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    const ProgramOptions programOptions(parser);
    const auto& [help, version, port, demo, headless, screenshot, settle] = programOptions;
    // parse(), not process(): process() ends an invalid command line with 1 and Qt's own
    // wording, where every command of ours uses 2 and "tarvex:".
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")) || parser.isSet(version))
        parser.process(arguments); // prints and exits with 0
    if (const QString stray = command_line::strayArgument(parser); !stray.isEmpty())
        return refuse(stray);
    if (const QString misplaced = HistoryCommands::exportOnlyOption(parser); !misplaced.isEmpty())
        return refuse(misplaced);
    if (parser.isSet(settle) && !parser.isSet(screenshot))
        return refuse(QStringLiteral("--settle is only used with --screenshot"));
    // There is no window to take a picture of.
    if (parser.isSet(headless) && parser.isSet(screenshot))
        return refuse(QStringLiteral("--headless and --screenshot cannot be combined"));

    RunOptions options;
    options.demo = parser.isSet(demo);
    options.headless = parser.isSet(headless);
    options.screenshot = parser.value(screenshot);
    bool settleOk = false;
    options.settleMs = parser.value(settle).toInt(&settleOk);
    if (!settleOk || options.settleMs < 0)
        return refuse(QStringLiteral("--settle expects a number of milliseconds, got \"%1\"")
                          .arg(parser.value(settle)));
    QString historyError;
    const auto historyDays = HistoryCommands::readingDays(parser, &historyError);
    if (!historyDays)
        return refuse(historyError);
    options.historyDays = *historyDays;
    for (const QString& text : parser.values(port)) {
        QString error;
        const auto parsed = PortNames::parseOption(text, &error);
        if (!parsed)
            return refuse(error);
        options.ports.insert(parsed->port, parsed->device);
    }
    QString stationError;
    if (!StationWiring::readOptions(parser, options.station, &stationError))
        return refuse(stationError);
    QString remoteError;
    if (!RemoteWiring::readOptions(parser, options.remote, &remoteError))
        return refuse(remoteError);
    options.data = DataFolder::forArguments(arguments);
    if (options.remote)
        options.remote->usersFile = QDir::current().absoluteFilePath(
            options.data.file(QLatin1String(RemoteWiring::kUsersFile)));
    QString mqttError;
    if (!MqttWiring::readOptions(parser, options.mqtt, &mqttError))
        return refuse(mqttError);
    return options;
}

void setApplicationNames() {
    QCoreApplication::setApplicationName(QString::fromLatin1(version::kTitle));
    QCoreApplication::setOrganizationName(QStringLiteral("Tarvex"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(version::kFull));
}

} // namespace tarvex
