#pragma once

#include <QString>

#include <functional>

namespace tarvex {

// Milliseconds since the epoch, UTC. The recorder and the History window take their time from
// one of these so that tests and benchmarks can set it.
using HistoryClock = std::function<qint64()>;

HistoryClock systemHistoryClock();

// The form every time in history.db has: ISO 8601, UTC, milliseconds ("2024-05-01T02:14:07.250Z").
// All rows share it, so text order is time order and a prefix is a calendar bucket.
QString historyTime(qint64 msSinceEpoch);

} // namespace tarvex
