#pragma once

#include "command_line.h"

#include <QString>
#include <QStringList>
#include <QTimeZone>

#include <optional>

class QCommandLineParser;
class QIODevice;
class QTextStream;

namespace tarvex {

// The history's command-line options: --export-history writes the events of history.db as CSV
// (or, with --trip, the readings of one trip) and exits, without a display; --list-trips lists
// the trips kept; --history-days sets how long readings are kept.
class HistoryCommands {
public:
    enum Status { kOk = 0, kFailed = 1, kInvalid = 2 };

    // Whether the command line asks for the export (help and version requests excepted).
    static bool requested(const QStringList& arguments);
    static void addOptions(QCommandLineParser& parser);
    // Says which options go with the export.
    static void addCommands(command_line::CommandTable& table);

    // Runs the export or the list of trips that arguments (program name first) name, reading
    // historyPath: the CSV (for the file name "-") and what was done on out, reasons on err.
    static int run(const QStringList& arguments, const QString& historyPath, QIODevice& out,
                   QTextStream& err);
    // The same on the process's standard output and error.
    static int run(const QStringList& arguments, const QString& historyPath);

    // The --history-days of a parsed command line: the default when absent, nothing (with the
    // reason) when it is not a number of days.
    static std::optional<int> readingDays(const QCommandLineParser& parser, QString* error);
    // Why a parsed command line that starts the window holds an option only the export reads,
    // or "" when it holds none: given alone, such an option would do nothing at all.
    static QString exportOnlyOption(const QCommandLineParser& parser);

    // The time a --since text names, in milliseconds since the epoch: YYYY-MM-DD (midnight),
    // YYYY-MM-DDTHH:MM or YYYY-MM-DDTHH:MM:SS, in localZone unless the time ends in Z or
    // ±HH:MM. Nothing for any other text.
    static std::optional<qint64>
    sinceTime(const QString& text, const QTimeZone& localZone = QTimeZone::systemTimeZone());

private:
    static int listTrips(const QString& historyPath, QIODevice& out, QTextStream& err);
};

} // namespace tarvex
