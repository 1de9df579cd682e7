#pragma once

#include "command_line.h"
#include "password_input.h"

#include <QString>
#include <QStringList>

class QCommandLineParser;
class QTextStream;

namespace tarvex {

// The command-line options that keep the remote panel's users without a display: add one (the
// password read from standard input), remove one, list them. Each changes the users file
// through its atomic save; a running panel sees the change by itself.
class RemoteUserCommands {
public:
    enum Status { kOk = 0, kFailed = 1, kInvalid = 2 };

    // Whether the command line names one of these commands (help and version requests excepted).
    static bool requested(const QStringList& arguments);
    static void addOptions(QCommandLineParser& parser);
    static void addCommands(command_line::CommandTable& table);

    // Runs the one command that arguments (program name first) name on the users file: results
    // on out, prompts and reasons on err.
    static int run(const QStringList& arguments, const QString& usersFile,
                   const PasswordInput& input, QTextStream& out, QTextStream& err);
    // The same on the process's standard input, output and error.
    static int run(const QStringList& arguments, const QString& usersFile);
};

} // namespace tarvex
