#pragma once

#include <QSettings>

namespace tarvex {

// What raises an alarm on one amplifier and what the guard does about a trip, as the operator
// set it in the Alarms dialog (per-user settings, group "Alarms", one subgroup per amplifier
// numbered from 1 as the user reads it). Amplifiers nobody set up get the defaults.
struct AlarmSettings {
    double swrWarning = 2.0;   // :1
    double swrTrip = 3.0;      // :1
    int minForwardW = 50;      // SWR counts only above this forward power
    int driveLimitW = 0;       // input power limit; 0: off
    bool protect = false;      // on a trip: end the transmission, then standby
    bool resume = false;       // back to operate 10 s after a guard's standby (3 times in 5 min)

    static constexpr int kHoldMs = 200; // a level must hold this long to count

    // index: the module index (from 0).
    static AlarmSettings load(QSettings& settings, int index);
    void save(QSettings& settings, int index) const;
    // Empty when the levels make sense, else what is wrong, in words for the dialog.
    QString check() const;

    bool operator==(const AlarmSettings&) const = default;
};

// Station-wide alarm choices: a sound with an alarm, desktop notifications.
struct AlarmSignals {
    bool sound = false;
    bool notify = true;

    static AlarmSignals load(QSettings& settings);
    void save(QSettings& settings) const;

    bool operator==(const AlarmSignals&) const = default;
};

} // namespace tarvex
