#pragma once

#include <QString>
#include <QStringList>

namespace tarvex::schema {

// Marks a file as a Tarvex history ("TvxH"), so that another program's database is not taken
// for ours.
inline constexpr qint64 kApplicationId = 0x54767848;

// The tables and indexes, each statement safe to run on a file that already has them.
QStringList createStatements();
// Statements with positional parameters: time, amplifier, then the event's name, kind, code and
// text, or each meter's peak and mean in the order of kHistoryMeters.
QString insertEvent();
QString insertReading();
// The summary of one minute of one amplifier from its seconds: the minute's time, the
// amplifier, and the minute's first and next-minute's first moment as time texts.
QString refreshMinute();

} // namespace tarvex::schema
