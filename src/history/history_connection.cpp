#include "history_connection.h"

#include <QSqlError>

#include <atomic>

namespace tarvex {

namespace {

// SQLite's primary result codes; an extended code carries one in its low byte.
constexpr int kSqliteBusy = 5;
constexpr int kSqliteLocked = 6;

} // namespace

QString newHistoryConnectionName(const char* role) {
    static std::atomic<int> next{0};
    return QStringLiteral("tarvex-history-%1-%2").arg(QLatin1String(role)).arg(next++);
}

bool isLockError(const QSqlError& error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xff;
    return ok && (code == kSqliteBusy || code == kSqliteLocked);
}

QString sqlErrorText(const QSqlError& error) {
    QString driver = error.driverText().trimmed();
    const QString database = error.databaseText().trimmed();
    if (database.isEmpty())
        return driver;
    if (driver.isEmpty())
        return database;
    // The driver's text is a sentence of its own ("Unable to fetch row"); here it follows.
    driver[0] = driver[0].toLower();
    return database + QStringLiteral("; ") + driver;
}

} // namespace tarvex
