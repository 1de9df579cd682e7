#include "history_commands.h"

#include "command_line.h"

#include "history/csv_writer.h"
#include "history/history_reader.h"
#include "history/history_recorder.h"
#include "history/history_time.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QTextStream>

namespace tarvex {

namespace {

const QString kExport = QStringLiteral("export-history");
const QString kSince = QStringLiteral("since");
const QString kDays = QStringLiteral("history-days");
// Ten years: more is surely a slip of the keyboard, and the file would grow with it.
constexpr int kMaxDays = 3660;

QList<QCommandLineOption> historyOptions() {
    return {
        {kExport, QStringLiteral("Write the events of history.db to FILE as CSV and exit."),
         QStringLiteral("FILE")},
        {kSince,
         QStringLiteral("With --export-history: only events from DATE on (ISO 8601, UTC), "
                        "e.g. 2024-05-01 or 2024-05-01T02:00:00."),
         QStringLiteral("DATE")},
        {kDays,
         QStringLiteral("Keep the per-second readings N days (default %1).")
             .arg(HistoryRecorder::kDefaultReadingDays),
         QStringLiteral("N")},
    };
}

} // namespace

bool HistoryCommands::requested(const QStringList& arguments) {
    return command_line::requests(arguments, {kExport});
}

void HistoryCommands::addOptions(QCommandLineParser& parser) {
    parser.addOptions(historyOptions());
}

std::optional<int> HistoryCommands::readingDays(const QCommandLineParser& parser, QString* error) {
    if (!parser.isSet(kDays))
        return HistoryRecorder::kDefaultReadingDays;
    bool ok = false;
    const int days = parser.value(kDays).trimmed().toInt(&ok);
    if (ok && days >= 1 && days <= kMaxDays)
        return days;
    if (error)
        *error = QStringLiteral("--%1 expects a number of days from 1 to %2, got \"%3\"")
                     .arg(kDays)
                     .arg(kMaxDays)
                     .arg(parser.value(kDays));
    return std::nullopt;
}

QString HistoryCommands::exportOnlyOption(const QCommandLineParser& parser) {
    if (!parser.isSet(kSince))
        return {};
    return QStringLiteral("--%1 is only used with --%2").arg(kSince, kExport);
}

int HistoryCommands::run(const QStringList& arguments, const QString& historyPath) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    return run(arguments, historyPath, out, err);
}

int HistoryCommands::run(const QStringList& arguments, const QString& historyPath, QTextStream& out,
                         QTextStream& err) {
    const auto say = [&err](const QString& message, int status) {
        err << "tarvex: " << message << Qt::endl;
        return status;
    };
    QCommandLineParser parser;
    addOptions(parser);
    if (!parser.parse(arguments))
        return say(parser.errorText(), kInvalid);
    if (const QString stray = command_line::strayArgument(parser); !stray.isEmpty())
        return say(stray, kInvalid);
    const QString file = parser.value(kExport);
    if (file.isEmpty())
        return say(QStringLiteral("--%1 needs a file name").arg(kExport), kInvalid);
    EventQuery query;
    query.newestFirst = false;
    query.limit = -1; // every event: SQLite takes a negative limit as none
    if (parser.isSet(kSince)) {
        const auto since = parseHistoryTime(parser.value(kSince));
        if (!since)
            return say(QStringLiteral("--%1 expects a date such as 2024-05-01, got \"%2\"")
                           .arg(kSince, parser.value(kSince)),
                       kInvalid);
        query.fromMs = *since;
    }
    HistoryReader reader(historyPath);
    if (!reader.open())
        return say(reader.error(), kFailed);
    const std::vector<HistoryEvent> events = reader.events(query);
    if (!reader.error().isEmpty())
        return say(reader.error(), kFailed);
    QString error;
    if (!saveCsv(file, eventsCsv(events), &error))
        return say(error, kFailed);
    out << events.size() << " events written to " << file << Qt::endl;
    return kOk;
}

} // namespace tarvex
