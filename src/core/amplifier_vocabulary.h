#pragma once

#include <QString>

namespace tarvex {

// The items every amplifier driver publishes besides its panel items, and what their values
// mean. Whoever must not be fooled by a value a panel or a client wrote (the record, station
// software, remote users) reads these: the driver alone sets them, from what the amplifier
// reported and from the state of its port.
namespace amp {

// "<index>link": whether the amplifier can be reached.
inline constexpr const char* kLink = "link";
enum class Link : int {
    Down = 0,   // the port cannot be opened, or was lost
    Up = 1,     // open, and the amplifier answers
    Silent = 2, // open, but the amplifier has not answered (yet, or any more)
};

// "<index>state": the power state the amplifier last reported; Unknown while the link is down
// or before it has said.
inline constexpr const char* kState = "state";
enum class State : int { Unknown = 0, Off = 1, WarmUp = 2, Standby = 3, Operate = 4 };

// "<index>faulttext": the description of the fault code the amplifier reported; empty with no
// fault. Set before the fault item, so whoever follows the fault reads the matching text.
inline constexpr const char* kFaultText = "faulttext";
// "<index>reported…": band, frequency (kHz), segment, tune, load, high mode and automatic
// tuning as the amplifier last reported them; 0 (false) until it has. Only these confirm a
// change a panel or a client asked for.
inline constexpr const char* kReportedBand = "reportedband";
inline constexpr const char* kReportedFreq = "reportedfreq";
inline constexpr const char* kReportedSegment = "reportedsegment";
inline constexpr const char* kReportedTune = "reportedtune";
inline constexpr const char* kReportedLoad = "reportedload";
inline constexpr const char* kReportedHv = "reportedhv";
inline constexpr const char* kReportedTrim = "reportedtrim";

// "<index>alarm": the alarm standing on the amplifier, until the operator acknowledges it
// (the alarm monitor alone sets it): 0 none, 1 warning, 2 trip. "<index>alarmtext" says what
// happened and what was done ("SWR 3.4:1 for 200 ms: transmission ended, standby"); it is set
// before "<index>alarm", so whoever follows the level reads the matching text. Writing any
// value to "<index>alarmack" (a click on the panel, a key, a remote user) acknowledges it.
inline constexpr const char* kAlarm = "alarm";
inline constexpr const char* kAlarmText = "alarmtext";
inline constexpr const char* kAlarmAck = "alarmack";
enum class Alarm : int { None = 0, Warning = 1, Trip = 2 };

// The choice names, in value order, as the items' Extended field lists them.
inline constexpr const char* kLinkNames = "Down,Up,Silent";
inline constexpr const char* kStateNames = "Unknown,Off,Warm-up,Standby,Operate";

inline constexpr const char* kAlarmNames = "None,Warning,Trip";

QString linkName(int link);
QString stateName(int state);
QString alarmName(int alarm);

} // namespace amp
} // namespace tarvex
