#pragma once

#include "history_rows.h"

#include <QString>

class QSqlError;

#include <optional>
#include <utility>
#include <vector>

namespace tarvex {

// One point of the power plot: the peaks and means of one bucket of time.
struct HistoryPoint {
    qint64 timeMs = 0;
    double fwdPeak = 0;
    double fwdMean = 0;
    double rflPeak = 0;
    double rflMean = 0;
};

struct HistorySeries {
    qint64 bucketMs = 1000; // the time one point stands for
    std::vector<HistoryPoint> points;
};

struct EventQuery {
    qint64 fromMs = 0;
    qint64 toMs = 253402300799999; // the last moment of 9999
    std::optional<int> amplifier;
    QString kind; // empty: every kind
    bool newestFirst = true;
    int limit = 5000;
};

// Reads history.db without ever changing it: the History window and the export. A missing,
// damaged or foreign file is reported, never repaired; that is the recorder's business.
class HistoryReader {
public:
    // Spans up to this long are drawn second by second, then by minute, hour or day, so that a
    // plot never has more than a few thousand points.
    static constexpr qint64 kSecondsUpTo = 3600LL * 1000;
    static constexpr qint64 kMinutesUpTo = 2LL * 24 * 3600 * 1000;
    static constexpr qint64 kHoursUpTo = 120LL * 24 * 3600 * 1000;

    explicit HistoryReader(QString path);
    ~HistoryReader();
    HistoryReader(const HistoryReader&) = delete;
    HistoryReader& operator=(const HistoryReader&) = delete;

    bool open();
    const QString& error() const { return mError; }

    std::vector<HistoryEvent> events(const EventQuery& query);
    // Amplifiers the file knows, by module index, with the name they last had.
    std::vector<std::pair<int, QString>> amplifiers();
    // Forward and reflected power of one amplifier over [fromMs, toMs). Where nothing was
    // recorded every meter read 0, so a gap is drawn as 0 rather than bridged.
    HistorySeries series(int amplifier, qint64 fromMs, qint64 toMs);
    // The trips kept, newest first, without their readings; none in a file from before trips.
    std::vector<HistoryTrip> trips();
    // One trip with its readings in the order they came; nothing when there is no such trip.
    std::optional<HistoryTrip> trip(qint64 id);

private:
    bool fail(const QString& reason);
    bool fail(const QSqlError& error);
    bool hasTrips();

    QString mPath;
    QString mConnection;
    QString mError;
};

} // namespace tarvex
