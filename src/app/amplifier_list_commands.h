#pragma once

#include "command_line.h"
#include "core/module.h"
#include "driver/port_names.h"

#include <QString>
#include <QStringList>

class QCommandLineParser;
class QTextStream;

namespace tarvex {

// The command-line options that show and edit the amplifier list without a window, so that a
// station can be set up over a remote shell. Each reads the data file as the program does at
// start-up, changes it through the same atomic save, and answers with the process's exit status.
// Nothing here needs a display or a GUI application object.
class AmplifierListCommands {
public:
    enum Status { kOk = 0, kFailed = 1, kInvalid = 2 };

    // Whether the command line names one of these commands (help and version requests excepted),
    // decided before any application object exists so that the caller can choose which to make.
    static bool requested(const QStringList& arguments);
    // Adds the options to the program's own parser, so that --help lists them.
    static void addOptions(QCommandLineParser& parser);
    // Says which of these commands each of their options (and --port) goes with.
    static void addCommands(command_line::CommandTable& table);

    // Runs the one command that arguments (program name first) name, on the data file at
    // dataFilePath: results on out, reasons on err.
    static int run(const QStringList& arguments, const QString& dataFilePath, QTextStream& out,
                   QTextStream& err);
    // The same on the process's standard output and error.
    static int run(const QStringList& arguments, const QString& dataFilePath);

private:
    AmplifierListCommands(QString dataFilePath, PortNames names, QTextStream& out,
                          QTextStream& err);

    int list();
    int add(const QString& text);
    int remove(const QString& text);
    int mapPort(const QString& text);

    // Reads the list; false (after saying why) when the file exists but cannot be read. A
    // damaged file yields the amplifiers before the damage and sets damaged.
    bool load(ModuleList& modules, bool& damaged);
    // As load, but also refuses a damaged file: rewriting it would drop what could not be read.
    bool loadForChange(ModuleList& modules);
    int save(const ModuleList& modules);

    QString line(int position, const Module& module) const;
    int fail(const QString& message, int status = kFailed);

    QString mPath;
    PortNames mNames;
    QTextStream& mOut;
    QTextStream& mErr;
};

} // namespace tarvex
