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
const QString kTrip = QStringLiteral("trip");
const QString kListTrips = QStringLiteral("list-trips");
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
        {kTrip,
         QStringLiteral("With --export-history: write the readings of trip ID (see "
                        "--list-trips) instead of the events, with the SWR of each line."),
         QStringLiteral("ID")},
        // Spelled out: two texts in braces would make one option of two names.
        QCommandLineOption(kListTrips,
                           QStringLiteral("List the trips kept in history.db as CSV (id, time, "
                                          "amplifier, name, cause), newest first, and exit.")),
        {kDays,
         QStringLiteral("Keep the per-second readings N days (default %1).")
             .arg(HistoryRecorder::kDefaultReadingDays),
         QStringLiteral("N")},
    };
}

} // namespace

bool HistoryCommands::requested(const QStringList& arguments) {
    return command_line::requests(arguments, {kExport, kListTrips});
}

void HistoryCommands::addOptions(QCommandLineParser& parser) {
    parser.addOptions(historyOptions());
}

void HistoryCommands::addCommands(command_line::CommandTable& table) {
    table.insert(kExport, {kExport});
    table.insert(kSince, {kExport});
    table.insert(kTrip, {kExport});
    table.insert(kListTrips, {kListTrips});
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
    for (const QString& option : {kSince, kTrip}) {
        if (parser.isSet(option))
            return QStringLiteral("--%1 is only used with --%2").arg(option, kExport);
    }
    return {};
}

int HistoryCommands::listTrips(const QString& historyPath, QIODevice& out, QTextStream& err) {
    const auto say = [&err](const QString& message) {
        err << "tarvex: " << printable(message) << Qt::endl;
        return kFailed;
    };
    // Before SQLite opens it: a FIFO would hang the open.
    if (const QString problem = historyFileProblem(historyPath); !problem.isEmpty())
        return say(problem);
    HistoryReader reader(historyPath);
    if (!reader.open())
        return say(reader.error());
    const std::vector<HistoryTrip> trips = reader.trips();
    if (!reader.error().isEmpty())
        return say(reader.error());
    const QByteArray csv = tripsCsv(trips);
    if (out.write(csv) != csv.size())
        return say(QStringLiteral("the trips could not be written to standard output: %1")
                       .arg(out.errorString()));
    return kOk;
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
    if (parser.isSet(kListTrips))
        return listTrips(historyPath, out, err);
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
    std::optional<qint64> tripId;
    if (parser.isSet(kTrip)) {
        bool ok = false;
        tripId = parser.value(kTrip).trimmed().toLongLong(&ok);
        if (!ok || *tripId < 1)
            return say(QStringLiteral("--%1 expects the number of a trip, as --%2 lists them; "
                                      "got \"%3\"")
                           .arg(kTrip, kListTrips, parser.value(kTrip)),
                       kInvalid);
        // A trip is its own span of time.
        if (parser.isSet(kSince))
            return say(QStringLiteral("--%1 and --%2 cannot be combined").arg(kTrip, kSince),
                       kInvalid);
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
    QByteArray csv;
    QString written;
    if (tripId) {
        const std::optional<HistoryTrip> trip = reader.trip(*tripId);
        if (!reader.error().isEmpty())
            return say(reader.error(), kFailed);
        if (!trip)
            return say(QStringLiteral("%1 holds no trip %2; --%3 lists them")
                           .arg(historyPath)
                           .arg(*tripId)
                           .arg(kListTrips),
                       kFailed);
        csv = tripCsv(*trip);
        written = QStringLiteral("%1 readings of trip %2").arg(trip->readings.size()).arg(*tripId);
    } else {
        const std::vector<HistoryEvent> events = reader.events(query);
        if (!reader.error().isEmpty())
            return say(reader.error(), kFailed);
        csv = eventsCsv(events);
        written = QStringLiteral("%1 events").arg(events.size());
    }
    if (toStandardOutput) {
        if (out.write(csv) != csv.size())
            return say(QStringLiteral("the %1 could not be written to standard output: %2")
                           .arg(tripId ? QStringLiteral("trip") : QStringLiteral("events"),
                                out.errorString()),
                       kFailed);
        return kOk;
    }
    QString error;
    if (!saveCsv(file, csv, &error))
        return say(error, kFailed);
    out.write(printable(QStringLiteral("%1 written to %2").arg(written, file)).toUtf8() + '\n');
    return kOk;
}

} // namespace tarvex
