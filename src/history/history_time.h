#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace tarvex {

// Milliseconds since the epoch, UTC. The recorder and the History window take their time from
// one of these so that tests and benchmarks can set it.
using HistoryClock = std::function<qint64()>;

HistoryClock systemHistoryClock();

// The form every time in history.db has: ISO 8601, UTC, milliseconds ("2024-05-01T02:14:07.250Z").
// All rows share it, so text order is time order and a prefix is a calendar bucket.
QString historyTime(qint64 msSinceEpoch);

// Reads a time given by a user: a date (midnight UTC) or a date and time, with or without a
// zone (none means UTC, as in the file). Nothing for anything else.
std::optional<qint64> parseHistoryTime(const QString& text);

} // namespace tarvex
