#pragma once

#include <QString>

namespace tarvex {

// A name for a new SQLite connection to history.db that no other connection in this process
// has: Qt keys connections by name, and the recorder, the window and the export each open their
// own, on their own threads. role says whose it is ("write", "read"), for someone debugging.
QString newHistoryConnectionName(const char* role);

} // namespace tarvex
