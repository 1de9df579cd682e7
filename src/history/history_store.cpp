#include "history_store.h"

#include "history_connection.h"
#include "history_file.h"
#include "history_schema.h"
#include "history_time.h"

#include <QDateTime>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimeZone>
#include <QVariant>

#include <set>
#include <utility>

namespace tarvex {

namespace {

constexpr qint64 kMinuteMs = 60LL * 1000;
constexpr qint64 kDayMs = 24 * 60 * kMinuteMs;

QVariant codeValue(const std::optional<int>& code) {
    return code ? QVariant(*code) : QVariant(QMetaType(QMetaType::Int));
}

} // namespace

HistoryStore::HistoryStore(QString path) : mPath(std::move(path)) {}

HistoryStore::~HistoryStore() {
    close();
}

void HistoryStore::close() {
    mOpen = false;
    if (mConnection.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(mConnection, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(mConnection);
    mConnection.clear();
}

bool HistoryStore::fail(const QString& what, const QString& reason) {
    mError = reason.isEmpty() ? what : what + QStringLiteral(": ") + reason;
    // The connection is closed later, when no query of it is alive any more.
    mOpen = false;
    return false;
}

bool HistoryStore::refused(const QSqlError& error) {
    if (!isLockError(error))
        return fail(QStringLiteral("%1 cannot be written").arg(mPath), sqlErrorText(error));
    mLocked = true;
    mError = QStringLiteral("%1 is locked by another program").arg(mPath);
    return false;
}

bool HistoryStore::connect() {
    close();
    mConnection = newHistoryConnectionName("write");
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), mConnection);
    if (!db.isValid())
        return fail(QStringLiteral("the SQLite driver of Qt is not installed"), QString());
    db.setDatabaseName(mPath);
    // Short: a lock that lasts is waited out between batches, not inside one.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!db.open())
        return fail(QStringLiteral("%1 cannot be opened").arg(mPath), sqlErrorText(db.lastError()));
    return true;
}

HistoryStore::Found HistoryStore::inspect() {
    QSqlQuery q(QSqlDatabase::database(mConnection));
    // A read that another program's lock refused says nothing about the file.
    const auto unreadable = [&] {
        return isLockError(q.lastError()) ? Found::Locked : Found::Damaged;
    };
    if (!q.exec(QStringLiteral("PRAGMA application_id")) || !q.next())
        return unreadable();
    const qint64 id = q.value(0).toLongLong();
    if (id == schema::kApplicationId) {
        if (!q.exec(QStringLiteral("PRAGMA quick_check(1)")) || !q.next())
            return unreadable();
        return q.value(0).toString() == u"ok" ? Found::Ours : Found::Damaged;
    }
    if (id != 0)
        return Found::Foreign;
    if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !q.next())
        return unreadable();
    return q.value(0).toLongLong() == 0 ? Found::Fresh : Found::Foreign;
}

bool HistoryStore::setAside(qint64 nowMs, const QString& why) {
    close();
    const QString stamp = QDateTime::fromMSecsSinceEpoch(nowMs, QTimeZone::utc())
                              .toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = mPath + QStringLiteral(".set-aside-") + stamp;
    for (int n = 2; QFile::exists(aside); ++n)
        aside = mPath + QStringLiteral(".set-aside-%1-%2").arg(stamp).arg(n);
    if (!QFile::rename(mPath, aside))
        return fail(QStringLiteral("%1 %2 and could not be set aside").arg(mPath, why), QString());
    // The journal belongs to the old file; the shared-memory index is rebuilt from it.
    QFile::rename(mPath + QStringLiteral("-wal"), aside + QStringLiteral("-wal"));
    QFile::remove(mPath + QStringLiteral("-shm"));
    mNotice = QStringLiteral("%1 %2; it was renamed %3 and a new history was started.")
                  .arg(mPath, why, aside);
    return true;
}

bool HistoryStore::open(qint64 nowMs) {
    mError.clear();
    mNotice.clear();
    mLocked = false;
    if (const QString problem = historyFileProblem(mPath); !problem.isEmpty()) {
        close();
        mError = problem;
        return false;
    }
    if (!connect())
        return false;
    switch (inspectHoldingTheLock()) {
    case Found::Locked:
        close();
        mLocked = true;
        mError = QStringLiteral("%1 is locked by another program").arg(mPath);
        return false;
    case Found::Ours:
    case Found::Fresh:
        break;
    case Found::Foreign:
        if (!setAside(nowMs, QStringLiteral("is not a Tarvex history")) || !connect())
            return false;
        break;
    case Found::Damaged:
        if (!setAside(nowMs, QStringLiteral("is damaged")) || !connect())
            return false;
        break;
    }
    if (!createSchema())
        return false;
    mOpen = true;
    return true;
}

HistoryStore::Found HistoryStore::inspectHoldingTheLock() {
    // The file is judged only while no other program can write it: a lock is found at once, and
    // the check is not run over a file that is being changed.
    QSqlQuery begin(QSqlDatabase::database(mConnection));
    const bool held = begin.exec(QStringLiteral("BEGIN IMMEDIATE"));
    if (!held && isLockError(begin.lastError()))
        return Found::Locked;
    // Anything else (not a database at all) is for the inspection to tell.
    const Found found = inspect();
    if (held)
        begin.exec(QStringLiteral("ROLLBACK"));
    return found;
}

bool HistoryStore::createSchema() {
    QSqlQuery q(QSqlDatabase::database(mConnection));
    // WAL: the window reads while this writes. FULL: a commit is on the disk before the next
    // batch is gathered, so a power cut loses at most the batch being written.
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !q.next())
        return refused(q.lastError());
    if (q.value(0).toString() != u"wal")
        return fail(QStringLiteral("%1 cannot be written").arg(mPath),
                    QStringLiteral("the journal cannot be kept beside it"));
    for (const QString& statement : schema::createStatements()) {
        if (!q.exec(statement))
            return refused(q.lastError());
    }
    return true;
}

bool HistoryStore::write(const HistoryBatch& batch) {
    if (!mOpen)
        return false;
    if (batch.empty())
        return true;
    mLocked = false;
    QSqlDatabase db = QSqlDatabase::database(mConnection);
    const auto failed = [&](const QSqlQuery& q) {
        const QSqlError error = q.lastError();
        db.rollback();
        return refused(error);
    };
    // The write lock first, so that a lock is met before anything is done.
    if (QSqlQuery begin(db); !begin.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return refused(begin.lastError());
    QSqlQuery event(db);
    if (!event.prepare(schema::insertEvent()))
        return failed(event);
    for (const HistoryEvent& e : batch.events) {
        event.bindValue(0, historyTime(e.timeMs));
        event.bindValue(1, e.amplifier);
        event.bindValue(2, e.name);
        event.bindValue(3, e.kind);
        event.bindValue(4, codeValue(e.code));
        event.bindValue(5, e.text);
        if (!event.exec())
            return failed(event);
    }
    QSqlQuery second(db);
    if (!second.prepare(schema::insertReading()))
        return failed(second);
    std::set<std::pair<int, qint64>> minutes;
    for (const HistoryReading& r : batch.readings) {
        second.bindValue(0, historyTime(r.timeMs));
        second.bindValue(1, r.amplifier);
        for (std::size_t m = 0; m < kMeterCount; ++m) {
            second.bindValue(static_cast<int>(2 + 2 * m), r.peak[m]);
            second.bindValue(static_cast<int>(3 + 2 * m), r.mean[m]);
        }
        if (!second.exec())
            return failed(second);
        minutes.emplace(r.amplifier, r.timeMs - ((r.timeMs % kMinuteMs) + kMinuteMs) % kMinuteMs);
    }
    if (QSqlError error; !writeTrips(db, batch.trips, error)) {
        db.rollback();
        return refused(error);
    }
    QSqlQuery minute(db);
    if (!minute.prepare(schema::refreshMinute()))
        return failed(minute);
    for (const auto& [amplifier, start] : minutes) {
        minute.bindValue(0, historyTime(start));
        minute.bindValue(1, amplifier);
        minute.bindValue(2, historyTime(start));
        minute.bindValue(3, historyTime(start + kMinuteMs));
        if (!minute.exec())
            return failed(minute);
    }
    return commit(db);
}

bool HistoryStore::writeTrips(QSqlDatabase& db, const std::vector<HistoryTrip>& trips,
                              QSqlError& error) {
    if (trips.empty())
        return true;
    QSqlQuery trip(db);
    QSqlQuery row(db);
    const auto failed = [&error](const QSqlQuery& q) {
        error = q.lastError();
        return false;
    };
    if (!trip.prepare(schema::insertTrip()))
        return failed(trip);
    if (!row.prepare(schema::insertTripReading()))
        return failed(row);
    for (const HistoryTrip& t : trips) {
        trip.bindValue(0, historyTime(t.timeMs));
        trip.bindValue(1, t.amplifier);
        trip.bindValue(2, t.name);
        trip.bindValue(3, t.cause);
        if (!trip.exec())
            return failed(trip);
        const qint64 id = trip.lastInsertId().toLongLong();
        for (const TripReading& r : t.readings) {
            row.bindValue(0, id);
            row.bindValue(1, historyTime(r.timeMs));
            for (std::size_t m = 0; m < kMeterCount; ++m)
                row.bindValue(static_cast<int>(2 + m), r.meters[m]);
            if (!row.exec())
                return failed(row);
        }
    }
    return trimTrips(db, QString(), error);
}

bool HistoryStore::trimTrips(QSqlDatabase& db, const QString& before, QSqlError& error) {
    QSqlQuery q(db);
    q.prepare(QStringLiteral("DELETE FROM trips WHERE time < ? OR id NOT IN (SELECT id FROM "
                             "trips ORDER BY id DESC LIMIT ?)"));
    q.addBindValue(before);
    q.addBindValue(kMaxTrips);
    if (!q.exec() ||
        !q.exec(QStringLiteral("DELETE FROM trip_readings WHERE trip NOT IN (SELECT id FROM "
                               "trips)"))) {
        error = q.lastError();
        return false;
    }
    return true;
}

bool HistoryStore::commit(QSqlDatabase& db) {
    if (db.commit())
        return true;
    // A commit that failed leaves the transaction open; nothing of it is kept.
    const QSqlError error = db.lastError();
    db.rollback();
    return refused(error);
}

bool HistoryStore::prune(qint64 nowMs, int readingDays) {
    if (!mOpen)
        return false;
    mLocked = false;
    QSqlDatabase db = QSqlDatabase::database(mConnection);
    QSqlQuery q(db);
    const QString readingsBefore = historyTime(nowMs - readingDays * kDayMs);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return refused(q.lastError());
    // Both reading tables are keyed by amplifier first: delete per amplifier to use the key.
    QList<int> amplifiers;
    if (q.exec(QStringLiteral("SELECT DISTINCT amplifier FROM readings_minute"))) {
        while (q.next())
            amplifiers << q.value(0).toInt();
    }
    bool ok = true;
    for (const int amplifier : amplifiers) {
        for (const char* table : {"readings", "readings_minute"}) {
            q.prepare(QStringLiteral("DELETE FROM %1 WHERE amplifier = ? AND time < ?")
                          .arg(QLatin1String(table)));
            q.addBindValue(amplifier);
            q.addBindValue(readingsBefore);
            ok = ok && q.exec();
        }
    }
    const QString eventsBefore = historyTime(nowMs - kEventDays * kDayMs);
    q.prepare(QStringLiteral("DELETE FROM events WHERE time < ?"));
    q.addBindValue(eventsBefore);
    ok = ok && q.exec();
    QSqlError tripError;
    if (ok && !trimTrips(db, eventsBefore, tripError)) {
        db.rollback();
        return refused(tripError);
    }
    if (!ok) {
        const QSqlError error = q.lastError();
        db.rollback();
        return refused(error);
    }
    return commit(db);
}

} // namespace tarvex
