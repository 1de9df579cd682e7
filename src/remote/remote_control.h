#pragma once

#include <QString>

namespace tarvex {

// What a page may operate, and the item each one writes: the item a click on the desktop panel
// writes, so that every rule of the driver's command path holds for remote commands too.
enum class RemoteControl { Power, Operate, Band, Segment, Tune, Load, High, AutoTune, Default, Enter };

struct ControlEntry {
    enum class Kind {
        Switch, // true or false
        Number, // a whole number from min to max
        Key,    // momentary: no value
    };
    RemoteControl control;
    const char* name; // in the protocol
    const char* item; // the item's base name
    Kind kind;
    int min = 0;
    int max = 1;
};

const ControlEntry& controlEntry(RemoteControl control);
const ControlEntry* findControl(const QString& name);

} // namespace tarvex
