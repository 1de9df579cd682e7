#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QCommandLineParser;
class QTextStream;

namespace tarvex {

// The history's command-line options: --export-history writes the events of history.db as CSV
// and exits, without a display; --history-days sets how long readings are kept.
class HistoryCommands {
public:
    enum Status { kOk = 0, kFailed = 1, kInvalid = 2 };

    // Whether the command line asks for the export (help and version requests excepted).
    static bool requested(const QStringList& arguments);
    static void addOptions(QCommandLineParser& parser);

    // Runs the export that arguments (program name first) name, reading historyPath.
    static int run(const QStringList& arguments, const QString& historyPath, QTextStream& out,
                   QTextStream& err);
    static int run(const QStringList& arguments, const QString& historyPath);

    // The --history-days of a parsed command line: the default when absent, nothing (with the
    // reason) when it is not a number of days.
    static std::optional<int> readingDays(const QCommandLineParser& parser, QString* error);
    // Why a parsed command line that starts the window holds an option only the export reads,
    // or "" when it holds none: given alone, such an option would do nothing at all.
    static QString exportOnlyOption(const QCommandLineParser& parser);
};

} // namespace tarvex
