#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class QCommandLineParser;

namespace tarvex::command_line {

// The program's arguments as Qt reads them, program name first, before any application object
// exists to ask.
QStringList arguments(int argc, char* argv[]);

// Whether an argument is one of the spellings the built-in help and version options answer to.
// The one list: every decision about which parser sees a command line defers to it.
bool asksForHelpOrVersion(const QString& argument);

// Whether the arguments (program name first) give one of the long options named, as "--name"
// or "--name=VALUE", before any "--". A help or version request anywhere before that wins: it
// is answered by the program's full parser, which lists every option.
bool requests(const QStringList& arguments, const QStringList& optionNames);

// "" when a parsed command line holds no positional argument, else what to tell the user: none
// of the program's commands takes one, and ignoring it would hide a mistyped option.
QString strayArgument(const QCommandLineParser& parser);

// The commands an option may be given to, by option name. An option the table does not name
// belongs to the window alone (kWindow): the program started without a command.
using CommandTable = QHash<QString, QStringList>;
inline const QString kWindow = QStringLiteral("window");

// "" when the options given (their names in the order given, as QCommandLineParser lists them)
// can all go to one command; else "--a and --b cannot be combined", naming the first option
// that cannot go with those before it and the earliest of those it shares no command with.
QString combinedCommands(const QStringList& given, const CommandTable& table);

} // namespace tarvex::command_line
