#pragma once

#include <QString>
#include <QStringList>

namespace tarvex::schema {

// Marks a file as a Tarvex history ("TvxH"), so that another program's database is not taken
// for ours.
inline constexpr qint64 kApplicationId = 0x54767848;

// The layout this program writes, in PRAGMA user_version. 1: events and readings; 2: trips.
// Each layout only adds to the one before, so an older file is brought up by creating what
// it lacks.
inline constexpr int kVersion = 2;

// The tables and indexes, each statement safe to run on a file that already has them.
QStringList createStatements();
// Statements with positional parameters: time, amplifier, then the event's name, kind, code and
// text, or each meter's peak and mean in the order of kHistoryMeters.
QString insertEvent();
QString insertReading();
// The summary of one minute of one amplifier from its seconds: the minute's time, the
// amplifier, and the minute's first and next-minute's first moment as time texts.
QString refreshMinute();
// A trip: time, amplifier, name, cause. Its readings: trip id, time, then each meter in the
// order of kHistoryMeters.
QString insertTrip();
QString insertTripReading();

} // namespace tarvex::schema
