#include "history_schema.h"

#include "history_rows.h"

namespace tarvex::schema {

namespace {

QString meterColumns(const QString& pattern) {
    QStringList parts;
    for (const char* meter : kHistoryMeters)
        parts << pattern.arg(QLatin1String(meter));
    return parts.join(QStringLiteral(", "));
}

QString readingTable(const QString& name, const QString& extra) {
    return QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (time TEXT NOT NULL, amplifier INTEGER "
                          "NOT NULL, %2%3, PRIMARY KEY (amplifier, time)) WITHOUT ROWID")
        .arg(name, extra, meterColumns(QStringLiteral("%1_peak INTEGER, %1_mean REAL")));
}

QString placeholders() {
    QStringList marks(2 + 2 * kMeterCount, QStringLiteral("?"));
    return marks.join(QStringLiteral(", "));
}

} // namespace

QStringList createStatements() {
    return {
        QStringLiteral("PRAGMA synchronous=FULL"),
        QStringLiteral("PRAGMA application_id=%1").arg(kApplicationId),
        QStringLiteral("PRAGMA user_version=%1").arg(kVersion),
        QStringLiteral("CREATE TABLE IF NOT EXISTS events (time TEXT NOT NULL, amplifier INTEGER "
                       "NOT NULL, name TEXT, kind TEXT NOT NULL, code INTEGER, text TEXT)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS events_time ON events (time)"),
        QStringLiteral(
            "CREATE INDEX IF NOT EXISTS events_amplifier_time ON events (amplifier, time)"),
        readingTable(QStringLiteral("readings"), QString()),
        // Seconds counts the readings a minute holds, so that minutes can be merged by weight.
        readingTable(QStringLiteral("readings_minute"), QStringLiteral("seconds INTEGER, ")),
        QStringLiteral("CREATE TABLE IF NOT EXISTS trips (id INTEGER PRIMARY KEY, time TEXT NOT "
                       "NULL, amplifier INTEGER NOT NULL, name TEXT, cause TEXT)"),
        // Two lines may share a millisecond: the rowid keeps them in the order they came.
        QStringLiteral("CREATE TABLE IF NOT EXISTS trip_readings (trip INTEGER NOT NULL, time "
                       "TEXT NOT NULL, %1)")
            .arg(meterColumns(QStringLiteral("%1 INTEGER"))),
        QStringLiteral("CREATE INDEX IF NOT EXISTS trip_readings_trip ON trip_readings (trip)"),
    };
}

QString insertEvent() {
    return QStringLiteral(
        "INSERT INTO events (time, amplifier, name, kind, code, text) VALUES (?, ?, ?, ?, ?, ?)");
}

QString insertReading() {
    // A restart within a second, or a clock set back, meets a second already written.
    return QStringLiteral("INSERT OR REPLACE INTO readings (time, amplifier, %1) VALUES (%2)")
        .arg(meterColumns(QStringLiteral("%1_peak, %1_mean")), placeholders());
}

QString insertTrip() {
    return QStringLiteral("INSERT INTO trips (time, amplifier, name, cause) VALUES (?, ?, ?, ?)");
}

QString insertTripReading() {
    QStringList marks(2 + kMeterCount, QStringLiteral("?"));
    return QStringLiteral("INSERT INTO trip_readings (trip, time, %1) VALUES (%2)")
        .arg(meterColumns(QStringLiteral("%1")), marks.join(QStringLiteral(", ")));
}

QString refreshMinute() {
    // Made again from the seconds it holds, so a second written twice (a clock set back, a
    // restart within the second) still counts once.
    const QString aggregate = meterColumns(QStringLiteral("max(%1_peak), avg(%1_mean)"));
    return QStringLiteral("INSERT OR REPLACE INTO readings_minute (time, amplifier, %1, seconds) "
                          "SELECT ?, amplifier, %2, count(*) FROM readings WHERE amplifier = ? "
                          "AND time >= ? AND time < ? GROUP BY amplifier")
        .arg(meterColumns(QStringLiteral("%1_peak, %1_mean")), aggregate);
}

} // namespace tarvex::schema
