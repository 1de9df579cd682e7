#pragma once

#include "history_rows.h"

#include <QString>

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

    explicit HistoryStore(QString path);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Opens the file, creating it when missing. A file that is damaged or not ours is renamed
    // aside with the date (setAsideNotice() says so) and a new one started. False, with
    // error(), when no history can be kept here.
    bool open(qint64 nowMs);
    void close();
    bool isOpen() const { return mOpen; }

    // One transaction; false (with error()) when it could not be committed.
    bool write(const HistoryBatch& batch);
    // Deletes readings older than readingDays and events older than kEventDays.
    bool prune(qint64 nowMs, int readingDays);

    const QString& error() const { return mError; }
    // What happened to a damaged or foreign file, for the user; empty when nothing did.
    const QString& setAsideNotice() const { return mNotice; }

private:
    enum class Found { Ours, Fresh, Foreign, Damaged };
    bool connect();
    Found inspect();
    bool setAside(qint64 nowMs, const QString& why);
    bool createSchema();
    bool fail(const QString& what, const QString& reason);

    QString mPath;
    QString mConnection;
    bool mOpen = false;
    QString mError;
    QString mNotice;
};

} // namespace tarvex
