#pragma once

#include <QSettings>

namespace tarvex {

// The per-user settings of Tarvex ("Settings", "Ports", "Station", …), whatever the running
// application calls itself: the program, its tests and its command-line tools read one store.
QSettings userSettings();

} // namespace tarvex
