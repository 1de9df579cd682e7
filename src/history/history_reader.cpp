#include "history_reader.h"

#include "history_connection.h"
#include "history_file.h"
#include "history_time.h"

#include "core/band_table.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <map>

namespace tarvex {

namespace {

qint64 timeOf(const QVariant& text) {
    return QDateTime::fromString(text.toString(), Qt::ISODateWithMs).toMSecsSinceEpoch();
}

} // namespace

HistoryReader::HistoryReader(QString path) : mPath(std::move(path)) {}

HistoryReader::~HistoryReader() {
    if (mConnection.isEmpty())
        return;
    QSqlDatabase::database(mConnection, false).close();
    QSqlDatabase::removeDatabase(mConnection);
}

bool HistoryReader::fail(const QString& reason) {
    mError = QStringLiteral("%1 cannot be read: %2").arg(mPath, reason);
    return false;
}

bool HistoryReader::fail(const QSqlError& error) {
    if (!isLockError(error))
        return fail(sqlErrorText(error));
    mError = QStringLiteral("%1 is locked by another program").arg(mPath);
    return false;
}

bool HistoryReader::open() {
    if (!mConnection.isEmpty())
        return mError.isEmpty();
    if (!QFileInfo::exists(mPath))
        return fail(QStringLiteral("there is no such file"));
    // Before SQLite opens it: a FIFO would hang the open, and the window with it.
    if (const QString problem = historyFileProblem(mPath); !problem.isEmpty()) {
        mError = problem;
        return false;
    }
    mConnection = newHistoryConnectionName("read");
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), mConnection);
    db.setDatabaseName(mPath);
    // No waiting: the window reads on the thread that draws it. In WAL the recorder's writes
    // never hold a reader up; only another program's lock does, and that is said instead.
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=0"));
    if (!db.open())
        return fail(db.lastError());
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT count(*) FROM events")) || !q.next())
        return fail(q.lastError());
    return true;
}

std::vector<HistoryEvent> HistoryReader::events(const EventQuery& query) {
    std::vector<HistoryEvent> out;
    if (!open())
        return out;
    QString sql = QStringLiteral(
        "SELECT time, amplifier, name, kind, code, text FROM events WHERE time >= ? AND time < ?");
    if (query.amplifier)
        sql += QStringLiteral(" AND amplifier = ?");
    if (!query.kind.isEmpty())
        sql += QStringLiteral(" AND kind = ?");
    sql += query.newestFirst ? QStringLiteral(" ORDER BY time DESC, rowid DESC LIMIT ?")
                             : QStringLiteral(" ORDER BY time, rowid LIMIT ?");
    QSqlQuery q(QSqlDatabase::database(mConnection));
    q.prepare(sql);
    q.addBindValue(historyTime(query.fromMs));
    q.addBindValue(historyTime(query.toMs));
    if (query.amplifier)
        q.addBindValue(*query.amplifier);
    if (!query.kind.isEmpty())
        q.addBindValue(query.kind);
    q.addBindValue(query.limit);
    if (!q.exec()) {
        fail(q.lastError());
        return out;
    }
    while (q.next()) {
        HistoryEvent e{timeOf(q.value(0)),    q.value(1).toInt(), q.value(2).toString(),
                       q.value(3).toString(), std::nullopt,       q.value(5).toString()};
        if (!q.value(4).isNull())
            e.code = q.value(4).toInt();
        // Band rows written before they carried the band's name.
        if (e.kind == u"band" && e.text.isEmpty() && e.code)
            e.text = BandTable::name(*e.code);
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<std::pair<int, QString>> HistoryReader::amplifiers() {
    std::map<int, QString> found;
    if (!open())
        return {};
    QSqlQuery q(QSqlDatabase::database(mConnection));
    // The bare name column comes from the row with the latest time.
    if (q.exec(
            QStringLiteral("SELECT amplifier, name, max(time) FROM events GROUP BY amplifier"))) {
        while (q.next())
            found[q.value(0).toInt()] = q.value(1).toString();
    }
    if (q.exec(QStringLiteral("SELECT DISTINCT amplifier FROM readings_minute"))) {
        while (q.next())
            found.try_emplace(q.value(0).toInt());
    }
    return {found.begin(), found.end()};
}

HistorySeries HistoryReader::series(int amplifier, qint64 fromMs, qint64 toMs) {
    HistorySeries out;
    if (!open())
        return out;
    const qint64 span = toMs - fromMs;
    QString sql;
    if (span <= kSecondsUpTo) {
        sql =
            QStringLiteral("SELECT time, pfwd_peak, pfwd_mean, prfl_peak, prfl_mean FROM readings "
                           "WHERE amplifier = ? AND time >= ? AND time < ? ORDER BY time");
    } else {
        // A calendar bucket is a prefix of the time text: minute, hour or day.
        int prefix = 10;
        QString rest = QStringLiteral("T00:00:00.000Z");
        out.bucketMs = 24LL * 3600 * 1000;
        if (span <= kMinutesUpTo) {
            prefix = 16;
            rest = QStringLiteral(":00.000Z");
            out.bucketMs = 60LL * 1000;
        } else if (span <= kHoursUpTo) {
            prefix = 13;
            rest = QStringLiteral(":00:00.000Z");
            out.bucketMs = 3600LL * 1000;
        }
        sql = QStringLiteral(
                  "SELECT substr(time, 1, %1) || '%2', max(pfwd_peak), sum(pfwd_mean * seconds) / "
                  "sum(seconds), "
                  "max(prfl_peak), sum(prfl_mean * seconds) / sum(seconds) FROM readings_minute "
                  "WHERE amplifier = ? AND time >= ? AND time < ? GROUP BY 1 ORDER BY 1")
                  .arg(prefix)
                  .arg(rest);
    }
    QSqlQuery q(QSqlDatabase::database(mConnection));
    q.setForwardOnly(true);
    q.prepare(sql);
    q.addBindValue(amplifier);
    q.addBindValue(historyTime(fromMs));
    q.addBindValue(historyTime(toMs));
    if (!q.exec()) {
        fail(q.lastError());
        return out;
    }
    const auto zeroAt = [&](qint64 t) { out.points.push_back({t, 0, 0, 0, 0}); };
    while (q.next()) {
        const HistoryPoint p{timeOf(q.value(0)), q.value(1).toDouble(), q.value(2).toDouble(),
                             q.value(3).toDouble(), q.value(4).toDouble()};
        const qint64 last = out.points.empty() ? fromMs - out.bucketMs : out.points.back().timeMs;
        if (p.timeMs - last > out.bucketMs) {
            zeroAt(last + out.bucketMs);
            if (p.timeMs - last > 2 * out.bucketMs)
                zeroAt(p.timeMs - out.bucketMs);
        }
        out.points.push_back(p);
    }
    return out;
}

bool HistoryReader::hasTrips() {
    QSqlQuery q(QSqlDatabase::database(mConnection));
    return q.exec(QStringLiteral(
               "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'trips'")) &&
           q.next() && q.value(0).toInt() > 0;
}

std::vector<HistoryTrip> HistoryReader::trips() {
    std::vector<HistoryTrip> out;
    if (!open() || !hasTrips())
        return out;
    QSqlQuery q(QSqlDatabase::database(mConnection));
    if (!q.exec(QStringLiteral(
            "SELECT id, time, amplifier, name, cause FROM trips ORDER BY time DESC, id DESC"))) {
        fail(q.lastError());
        return out;
    }
    while (q.next()) {
        out.push_back({q.value(0).toLongLong(),
                       timeOf(q.value(1)),
                       q.value(2).toInt(),
                       q.value(3).toString(),
                       q.value(4).toString(),
                       {}});
    }
    return out;
}

std::optional<HistoryTrip> HistoryReader::trip(qint64 id) {
    if (!open() || !hasTrips())
        return std::nullopt;
    QSqlQuery q(QSqlDatabase::database(mConnection));
    q.prepare(QStringLiteral("SELECT id, time, amplifier, name, cause FROM trips WHERE id = ?"));
    q.addBindValue(id);
    if (!q.exec()) {
        fail(q.lastError());
        return std::nullopt;
    }
    if (!q.next())
        return std::nullopt;
    HistoryTrip t{q.value(0).toLongLong(), timeOf(q.value(1)),    q.value(2).toInt(),
                  q.value(3).toString(),   q.value(4).toString(), {}};
    QSqlQuery rows(QSqlDatabase::database(mConnection));
    rows.setForwardOnly(true);
    QStringList meters;
    for (const char* meter : kHistoryMeters)
        meters << QLatin1String(meter);
    rows.prepare(QStringLiteral("SELECT time, %1 FROM trip_readings WHERE trip = ? ORDER BY rowid")
                     .arg(meters.join(QStringLiteral(", "))));
    rows.addBindValue(id);
    if (!rows.exec()) {
        fail(rows.lastError());
        return std::nullopt;
    }
    while (rows.next()) {
        TripReading r{timeOf(rows.value(0)), {}};
        for (std::size_t m = 0; m < kMeterCount; ++m)
            r.meters[m] = rows.value(static_cast<int>(1 + m)).toInt();
        t.readings.push_back(r);
    }
    return t;
}

} // namespace tarvex
