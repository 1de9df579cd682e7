#include "amplifier_list_commands.h"

#include "command_line.h"

#include "core/data_file.h"
#include "core/printable.h"
#include "core/property_bag.h"
#include "core/server_object.h"
#include "driver/ferro_driver.h"
#include "driver/serial_settings.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>
#include <limits>

namespace tarvex {

namespace {

const QString kList = QStringLiteral("list-amplifiers");
const QString kAdd = QStringLiteral("add-amplifier");
const QString kRemove = QStringLiteral("remove-amplifier");
const QString kMapPort = QStringLiteral("map-port");

QList<QCommandLineOption> commandOptions() {
    return {
        {kList, QStringLiteral("Print the amplifier list of server.dat, one line each, and exit.")},
        {kAdd,
         QStringLiteral("Append an amplifier to server.dat, e.g. Tower,2,9600,n,8,1, and exit."),
         QStringLiteral("NAME,PORT[,SETTINGS]")},
        {kRemove, QStringLiteral("Remove the Nth amplifier (as listed) from server.dat and exit."),
         QStringLiteral("N")},
        {kMapPort,
         QStringLiteral("Remember DEVICE for port number N for this user, e.g. "
                        "1=/dev/ttyUSB0 (1= forgets it), and exit."),
         QStringLiteral("N=DEVICE")},
    };
}

ModulePtr makeDriver() {
    // No link and no editor: these commands only read and write settings, never a port.
    return std::make_shared<FerroDriver>(DriverEnvironment{});
}

} // namespace

AmplifierListCommands::AmplifierListCommands(QString dataFilePath, PortNames names,
                                             QTextStream& out, QTextStream& err)
    : mPath(std::move(dataFilePath)), mNames(std::move(names)), mOut(out), mErr(err) {}

bool AmplifierListCommands::requested(const QStringList& arguments) {
    return command_line::requests(arguments, {kList, kAdd, kRemove, kMapPort});
}

void AmplifierListCommands::addOptions(QCommandLineParser& parser) {
    parser.addOptions(commandOptions());
}

void AmplifierListCommands::addCommands(command_line::CommandTable& table) {
    for (const QString& command : {kList, kAdd, kRemove, kMapPort})
        table.insert(command, {command});
    // The window reads --port too; --map-port says what an unmapped port then means.
    table.insert(QStringLiteral("port"), {kList, kAdd, kRemove, kMapPort, command_line::kWindow});
}

int AmplifierListCommands::run(const QStringList& arguments, const QString& dataFilePath) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    return run(arguments, dataFilePath, out, err);
}

int AmplifierListCommands::run(const QStringList& arguments, const QString& dataFilePath,
                               QTextStream& out, QTextStream& err) {
    const auto invalid = [&err](const QString& message) {
        err << "tarvex: " << printable(message) << Qt::endl;
        return kInvalid;
    };
    QCommandLineParser parser;
    addOptions(parser);
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("N=DEVICE"));
    parser.addOption(port);
    if (!parser.parse(arguments))
        return invalid(parser.errorText());
    if (const QString stray = command_line::strayArgument(parser); !stray.isEmpty())
        return invalid(stray);

    PortNames::Overrides overrides;
    for (const QString& text : parser.values(port)) {
        QString error;
        const auto option = PortNames::parseOption(text, &error);
        if (!option)
            return invalid(error);
        overrides.insert(option->port, option->device);
    }

    command_line::CommandTable table;
    addCommands(table);
    if (const QString combined = command_line::combinedCommands(parser.optionNames(), table);
        !combined.isEmpty())
        return invalid(combined);
    for (const QString& name : {kAdd, kRemove, kMapPort})
        if (parser.values(name).size() > 1)
            return invalid(QStringLiteral("give one --%1 at a time").arg(name));
    if (!parser.isSet(kList) && !parser.isSet(kAdd) && !parser.isSet(kRemove) &&
        !parser.isSet(kMapPort))
        return invalid(QStringLiteral("give one of --%1, --%2, --%3 or --%4")
                           .arg(kList, kAdd, kRemove, kMapPort));

    AmplifierListCommands commands(dataFilePath, PortNames(overrides), out, err);
    if (parser.isSet(kAdd))
        return commands.add(parser.value(kAdd));
    if (parser.isSet(kRemove))
        return commands.remove(parser.value(kRemove));
    if (parser.isSet(kMapPort))
        return commands.mapPort(parser.value(kMapPort));
    return commands.list();
}

int AmplifierListCommands::list() {
    ModuleList modules;
    bool damaged = false;
    if (!load(modules, damaged))
        return kFailed;
    for (std::size_t i = 0; i < modules.size(); ++i)
        mOut << line(static_cast<int>(i) + 1, *modules[i]) << '\n';
    mOut.flush();
    if (damaged)
        return fail(
            QStringLiteral("%1 is damaged; only the amplifiers listed could be read").arg(mPath));
    if (modules.empty())
        mErr << "tarvex: the amplifier list in " << mPath << " is empty" << Qt::endl;
    return kOk;
}

int AmplifierListCommands::add(const QString& text) {
    // The settings text holds commas of its own: it is everything after the second comma.
    const QString name = text.section(u',', 0, 0).trimmed();
    const QString portText = text.section(u',', 1, 1).trimmed();
    const QString settingsText = text.section(u',', 2);
    if (!text.contains(u','))
        return fail(QStringLiteral("--add-amplifier expects NAME,PORT[,SETTINGS], e.g. "
                                   "Tower,2,9600,n,8,1; got \"%1\"")
                        .arg(text),
                    kInvalid);
    if (name.isEmpty())
        return fail(QStringLiteral("--add-amplifier: the amplifier needs a name"), kInvalid);
    // A name is shown on one line everywhere: a line break or an escape sequence would break
    // the list and reach the terminal.
    if (hasControlCharacters(name))
        return fail(
            QStringLiteral("--add-amplifier: the name \"%1\" holds a control character").arg(name),
            kInvalid);
    const auto port = PortNames::parsePort(portText);
    if (!port)
        return fail(QStringLiteral("--add-amplifier: the port number must be 1 to %1; got \"%2\"")
                        .arg(QString::number(PortNames::kMaxPort), portText),
                    kInvalid);
    std::optional<SerialSettings> settings;
    if (text.count(u',') >= 2) {
        settings = SerialSettings::parse(settingsText);
        if (!settings)
            return fail(QStringLiteral("--add-amplifier: \"%1\" is not a serial settings text "
                                       "such as 9600,n,8,1 (baud rate, parity n/e/o/m/s, data "
                                       "bits 5 to 8, stop bits 1, 1.5 or 2)")
                            .arg(settingsText),
                        kInvalid);
    }

    ModuleList modules;
    if (!loadForChange(modules))
        return kFailed;
    // An entry past the limit would be dropped at the next start.
    if (modules.size() >= static_cast<std::size_t>(ServerObject::kMaxModules))
        return fail(QStringLiteral("--add-amplifier: the list already holds %1 amplifiers, "
                                   "the most Tarvex reads")
                        .arg(ServerObject::kMaxModules),
                    kInvalid);
    auto driver = std::make_shared<FerroDriver>(DriverEnvironment{});
    driver->setDeviceName(name);
    driver->setAmpPort(static_cast<std::int16_t>(*port));
    if (settings)
        driver->setAmpSettings(settings->toString());
    modules.push_back(driver);
    const int status = save(modules);
    if (status == kOk)
        mOut << "added " << line(static_cast<int>(modules.size()), *driver) << Qt::endl;
    return status;
}

int AmplifierListCommands::remove(const QString& text) {
    bool isNumber = false;
    const int position = text.toInt(&isNumber);
    if (!isNumber)
        return fail(QStringLiteral("--remove-amplifier expects the number of an amplifier as "
                                   "--list-amplifiers shows it; got \"%1\"")
                        .arg(text),
                    kInvalid);
    ModuleList modules;
    if (!loadForChange(modules))
        return kFailed;
    if (position < 1 || position > static_cast<int>(modules.size()))
        return fail(QStringLiteral("--remove-amplifier: there is no amplifier %1; the list "
                                   "holds %2")
                        .arg(position)
                        .arg(modules.size()),
                    kInvalid);
    const ModulePtr removed = modules[static_cast<std::size_t>(position - 1)];
    modules.erase(modules.begin() + (position - 1));
    const int status = save(modules);
    if (status == kOk)
        mOut << "removed " << line(position, *removed) << Qt::endl;
    return status;
}

int AmplifierListCommands::mapPort(const QString& text) {
    QString error;
    const auto option = PortNames::parseOption(text, &error, QStringLiteral("--map-port"),
                                               PortNames::EmptyDevice::Allowed);
    if (!option)
        return fail(error, kInvalid);
    if (!PortNames::storeSetting(option->port, option->device, &error))
        return fail(QStringLiteral("port %1 was not mapped: %2").arg(option->port).arg(error));
    if (option->device.isEmpty())
        mOut << "port " << option->port << " is no longer mapped; it is "
             << mNames.deviceFor(option->port).value_or(QString()) << Qt::endl;
    else
        mOut << "port " << option->port << " is " << option->device << Qt::endl;
    return kOk;
}

bool AmplifierListCommands::load(ModuleList& modules, bool& damaged) {
    modules.clear();
    damaged = false;
    // Checked as at start-up (a FIFO, a device or a huge file is refused unread), but a missing
    // file is not created: looking at the list should leave no trace.
    if (!QFileInfo::exists(mPath))
        return true;
    QString problem;
    const auto image = data_file::readImage(mPath, &problem);
    if (!image) {
        fail(QStringLiteral("%1 could not be read: %2").arg(mPath, problem));
        return false;
    }
    if (image->isEmpty())
        return true;
    const auto record = data_file::decodeRecord(*image);
    if (!record) {
        damaged = true;
        return true;
    }
    std::int64_t declared = 0;
    modules = ServerObject::readModuleList(*record, &makeDriver, &declared);
    damaged = static_cast<std::int64_t>(modules.size()) != declared;
    return true;
}

bool AmplifierListCommands::loadForChange(ModuleList& modules) {
    bool damaged = false;
    if (!load(modules, damaged))
        return false;
    if (damaged) {
        fail(QStringLiteral("%1 is damaged (--list-amplifiers shows what can be read); it is "
                            "left as it is. Move it aside to start a new list.")
                 .arg(mPath));
        return false;
    }
    return true;
}

int AmplifierListCommands::save(const ModuleList& modules) {
    QString error;
    QStringList moduleErrors;
    const bool written = ServerObject::writeModuleList(mPath, modules, &error, &moduleErrors);
    for (const QString& e : moduleErrors)
        fail(e);
    if (!written)
        return fail(QStringLiteral("the amplifier list could not be saved to %1: %2; the "
                                   "previous list is kept")
                        .arg(mPath, error));
    return moduleErrors.isEmpty() ? kOk : kFailed;
}

QString AmplifierListCommands::line(int position, const Module& module) const {
    // Every entry is made by makeDriver.
    const auto& driver = static_cast<const FerroDriver&>(module);
    const auto device = mNames.deviceFor(driver.ampPort());
    // One multi-argument arg(): a "%1" inside a name must stay as typed. A name stored before
    // names were checked may hold a line break or an escape: one line per amplifier still.
    return printable(QStringLiteral("%1: %2, port %3 (%4), %5")
                         .arg(QString::number(position), driver.GetName(),
                              QString::number(driver.ampPort()),
                              device.value_or(QStringLiteral("no device")), driver.ampSettings()));
}

int AmplifierListCommands::fail(const QString& message, int status) {
    // Messages quote what the user typed or the file held: one line, no escapes, whatever it was.
    mErr << "tarvex: " << printable(message) << Qt::endl;
    return status;
}

} // namespace tarvex
