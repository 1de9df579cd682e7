#pragma once

#include <QString>

namespace tarvex {

// Why path cannot be taken for history.db, as a sentence that names it ("history.db is a
// directory"), or empty when it is a regular file, a link to one, or absent (SQLite then makes
// it). Looked at by name, without opening it: opening a FIFO would hang, and SQLite would put
// its journal beside a device.
QString historyFileProblem(const QString& path);

// Whether two names lead to one file: the same path, another path, a symbolic or a hard link.
bool sameFile(const QString& a, const QString& b);

} // namespace tarvex
