#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

namespace tarvex {

// Milliseconds since the epoch. Every expiry, lapse and deadline of the remote panel reads the
// time through one of these, so that tests set the time instead of waiting for it.
using RemoteClock = std::function<qint64()>;

RemoteClock systemClock();

// "14:05" in local time.
QString clockText(qint64 msSinceEpoch);

} // namespace tarvex
