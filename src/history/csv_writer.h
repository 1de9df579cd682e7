#pragma once

#include "history_reader.h"
#include "history_rows.h"

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

namespace tarvex {

// CSV as RFC 4180 has it: a header line, CR LF line ends, and a field quoted (its quotes
// doubled) when it holds a comma, a quote or a line break. Times are as in history.db;
// amplifiers are numbered from 1, as everything a user reads numbers them.
QString csvField(const QString& text);
// The events in the order given (callers give them oldest first).
QByteArray eventsCsv(const std::vector<HistoryEvent>& events);
// The points of each amplifier's series (by module index), oldest first.
QByteArray readingsCsv(const std::vector<std::pair<int, HistorySeries>>& series);

// One trip's readings, in the order they came: each line's time, the trip's amplifier, the
// milliseconds from the trip (negative before it), the five meters and the SWR they give.
QByteArray tripCsv(const HistoryTrip& trip);
// The trips listed: id, time, amplifier, name and cause, in the order given.
QByteArray tripsCsv(const std::vector<HistoryTrip>& trips);

// Writes the file whole or not at all; false with the reason. Anything but a regular file (a
// device, a FIFO) is refused, as the save would replace it; so is the history file historyPath
// (under any name, or its journal beside it), which the export is made from.
bool saveCsv(const QString& path, const QByteArray& data, QString* error,
             const QString& historyPath = {});

} // namespace tarvex
