#pragma once

#include <array>

namespace tarvex {

// The status texts the driver writes to its message item, besides fault texts and the reasons
// a serial link gives; panels measure them against the message line.
inline constexpr const char* kMsgWarmUp = "3 Minute Warm-Up";
inline constexpr const char* kMsgOperating = "Amp on and operating";
inline constexpr const char* kMsgStandingBy = "Amp on and standing by";
inline constexpr const char* kMsgPowerOff = "Amp AC power is off";
inline constexpr const char* kMsgAutoTuneOn = "AutoTune Enabled";
inline constexpr const char* kMsgAutoTuneOff = "AutoTune Disabled";

inline constexpr std::array kFerroStatusMessages = {kMsgWarmUp,   kMsgOperating,  kMsgStandingBy,
                                                    kMsgPowerOff, kMsgAutoTuneOn, kMsgAutoTuneOff};

} // namespace tarvex
