#pragma once

#include <QString>

namespace tarvex {

// Text fit for one line of a terminal, a log or a line protocol: every control character
// (line breaks, ESC, TAB, DEL, and the C1 range) shown as \xHH. Anything else is kept.
QString printable(const QString& text);

// Whether text holds a control character that printable() would escape.
bool hasControlCharacters(const QString& text);

} // namespace tarvex
