#include "history_commands.h"

#include "command_line.h"

#include "history/csv_writer.h"
#include "history/history_file.h"
#include "history/history_reader.h"
#include "history/history_recorder.h"
#include "history/history_time.h"

#include "core/printable.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include <unistd.h>

namespace tarvex {

namespace {

const QString kExport = QStringLiteral("export-history");
const QString kSince = QStringLiteral("since");
const QString kDays = QStringLiteral("history-days");
// Ten years: more is surely a slip of the keyboard, and the file would grow with it.
constexpr int kMaxDays = 3660;

QList<QCommandLineOption> historyOptions() {
    return {
        {kExport,
         QStringLiteral("Write the events of history.db to FILE as CSV (- for standard output) "
                        "and exit."),
         QStringLiteral("FILE")},
        {kSince,
         QStringLiteral("With --export-history: only events from DATE on, given as YYYY-MM-DD, "
                        "YYYY-MM-DDTHH:MM or YYYY-MM-DDTHH:MM:SS in local time, or UTC or "
                        "another zone with Z or +HH:MM / -HH:MM after the time."),
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

void HistoryCommands::addCommands(command_line::CommandTable& table) {
    table.insert(kExport, {kExport});
    table.insert(kSince, {kExport});
}

std::optional<qint64> HistoryCommands::sinceTime(const QString& text, const QTimeZone& localZone) {
    // [0-9], not \d, which takes any script's digits; anchored, as $ would let a newline by.
    static const QRegularExpression kForm(QRegularExpression::anchoredPattern(
        QStringLiteral("([0-9]{4})-([0-9]{2})-([0-9]{2})"
                       "(?:T([0-9]{2}):([0-9]{2})(?::([0-9]{2}))?(Z|[+-][0-9]{2}:[0-9]{2})?)?")));
    const QRegularExpressionMatch m = kForm.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const auto number = [&m](int group) { return m.capturedView(group).toInt(); }; // "" is 0
    const QDate date(number(1), number(2), number(3));
    const QTime time(number(4), number(5), number(6));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    QTimeZone zone = localZone;
    if (const QStringView offset = m.capturedView(7); offset == u"Z") {
        zone = QTimeZone::utc();
    } else if (!offset.isEmpty()) {
        const int hours = offset.mid(1, 2).toInt();
        const int minutes = offset.mid(4, 2).toInt();
        if (minutes > 59)
            return std::nullopt;
        // An offset beyond ±14 h makes no valid zone, and so no valid time.
        zone = QTimeZone((offset.front() == u'-' ? -60 : 60) * (hours * 60 + minutes));
    }
    const QDateTime when(date, time, zone);
    if (!when.isValid())
        return std::nullopt;
    return when.toMSecsSinceEpoch();
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
    // Unbuffered, so that a full disk or a closed pipe shows at the write that meets it.
    QFile out;
    out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered,
             QFileDevice::DontCloseHandle);
    QTextStream err(stderr);
    return run(arguments, historyPath, out, err);
}

int HistoryCommands::run(const QStringList& arguments, const QString& historyPath, QIODevice& out,
                         QTextStream& err) {
    const auto say = [&err](const QString& message, int status) {
        err << "tarvex: " << printable(message) << Qt::endl;
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
        const auto since = sinceTime(parser.value(kSince));
        if (!since)
            return say(QStringLiteral("--%1 expects a date, or a date and time, such as "
                                      "2024-05-01, 2024-05-01T02:00 or 2024-05-01T02:00:00Z; "
                                      "got \"%2\"")
                           .arg(kSince, parser.value(kSince)),
                       kInvalid);
        query.fromMs = *since;
    }
    const bool toStandardOutput = file == u"-";
    if (!toStandardOutput && sameFile(file, historyPath))
        return say(QStringLiteral("--%1: %2 is the history file %3 itself; choose another name")
                       .arg(kExport, file, historyPath),
                   kInvalid);
    // Before SQLite opens it: a FIFO would hang the open.
    if (const QString problem = historyFileProblem(historyPath); !problem.isEmpty())
        return say(problem, kFailed);
    HistoryReader reader(historyPath);
    if (!reader.open())
        return say(reader.error(), kFailed);
    const std::vector<HistoryEvent> events = reader.events(query);
    if (!reader.error().isEmpty())
        return say(reader.error(), kFailed);
    const QByteArray csv = eventsCsv(events);
    if (toStandardOutput) {
        if (out.write(csv) != csv.size())
            return say(QStringLiteral("the events could not be written to standard output: %1")
                           .arg(out.errorString()),
                       kFailed);
        return kOk;
    }
    QString error;
    if (!saveCsv(file, csv, &error))
        return say(error, kFailed);
    out.write(
        printable(QStringLiteral("%1 events written to %2").arg(events.size()).arg(file)).toUtf8() +
        '\n');
    return kOk;
}

} // namespace tarvex
