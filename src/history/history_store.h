#pragma once

#include "history_rows.h"

#include <QString>

class QSqlDatabase;
class QSqlError;

namespace tarvex {

// history.db itself: opens or starts it, writes batches in one transaction each and deletes
// what is past keeping. Not thread-safe: one store is used from one thread, the one that
// opened it (the recorder's writer thread, or a test).
//
// Besides `events` and `readings` the file holds `readings_minute`, the same meters summed up
// per minute while they are written, so that a month can be drawn without reading every second.
class HistoryStore {
public:
    static constexpr int kEventDays = 366;
    // Trips are kept as long as events, but only the newest this many: one holds a few thousand
    // lines, and an amplifier that trips all night should not fill the disk with them.
    static constexpr int kMaxTrips = 200;
    // How long one statement waits for another program's lock. Past it the step gives up with
    // locked() and is tried again later, so the writer thread is never held up for long.
    static constexpr int kBusyTimeoutMs = 250;

    explicit HistoryStore(QString path);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Opens the file, creating it when missing. A file that is damaged or not ours is renamed
    // aside with the date (setAsideNotice() says so) and a new one started; a file another
    // program holds locked is left as it is (false with locked()), and may be opened later.
    // Anything but a regular file (or a link to one) is refused before SQLite opens it. False,
    // with error(), when no history can be kept here.
    bool open(qint64 nowMs);
    void close();
    bool isOpen() const { return mOpen; }

    // One transaction; false (with error()) when it could not be committed. Held up by another
    // program's lock, nothing is written, locked() says so and the store stays open.
    bool write(const HistoryBatch& batch);
    // Deletes readings older than readingDays, events and trips older than kEventDays, and trips
    // past the newest kMaxTrips; as write. A trip written gets its id.
    bool prune(qint64 nowMs, int readingDays);

    const QString& error() const { return mError; }
    // Whether the last open, write or prune failed only because another program held the file.
    bool locked() const { return mLocked; }
    // What happened to a damaged or foreign file, for the user; empty when nothing did.
    const QString& setAsideNotice() const { return mNotice; }

private:
    enum class Found { Ours, Fresh, Foreign, Damaged, Locked };
    bool connect();
    Found inspect();
    Found inspectHoldingTheLock();
    bool setAside(qint64 nowMs, const QString& why);
    bool createSchema();
    // Within the transaction under way; false with the failed query's error in error.
    bool writeTrips(QSqlDatabase& db, const std::vector<HistoryTrip>& trips, QSqlError& error);
    bool trimTrips(QSqlDatabase& db, const QString& before, QSqlError& error);
    bool commit(QSqlDatabase& db);
    bool fail(const QString& what, const QString& reason);
    // A failed statement: another program's lock (the step may be tried again), or the end.
    bool refused(const QSqlError& error);

    QString mPath;
    QString mConnection;
    bool mOpen = false;
    bool mLocked = false;
    QString mError;
    QString mNotice;
};

} // namespace tarvex
