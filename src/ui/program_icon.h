#pragma once

#include <QIcon>

namespace tarvex {

// The program's icon (the one the desktop entry names), at every size it is drawn in.
QIcon programIcon();

} // namespace tarvex
