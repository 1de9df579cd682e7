#pragma once

#include <QString>

class QSqlError;

namespace tarvex {

// A name for a new SQLite connection to history.db that no other connection in this process
// has: Qt keys connections by name, and the recorder, the window and the export each open their
// own, on their own threads. role says whose it is ("write", "read"), for someone debugging.
QString newHistoryConnectionName(const char* role);

// Whether SQLite gave up because another connection holds the file: the file is not at fault
// and the same step may succeed later.
bool isLockError(const QSqlError& error);

// SQLite's own words and the driver's as one sentence ("disk I/O error; unable to fetch row").
QString sqlErrorText(const QSqlError& error);

} // namespace tarvex
