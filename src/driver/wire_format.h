#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace tarvex::wire {

// Signed decimal text of the serial protocol: a space before a zero or positive number, "-"
// before a negative one, no digit before the point when the integer part is 0.
// 3 -> " 3", -3 -> "-3", 0.5 -> " .5".
QString signedDecimal(double v);

// The value of the number at the start of a text: spaces are skipped, then an optional sign,
// digits, an optional fraction and exponent; reading stops at the first other character and no
// number gives 0. "&H" makes the digits hexadecimal. "14.200" -> 14.2, "12A" -> 12, "FAULT" -> 0.
double leadingNumber(QStringView text);

// Hexadecimal digits up to the first other character, as a 16-bit two's-complement number:
// "00A0" -> 160, "FFFF" -> -1, no digit -> 0. Nullopt when the digits exceed FFFF.
std::optional<std::int16_t> parseHex(const QString& text);

// Rounds half to even into 16 bits; nullopt when the result does not fit.
std::optional<std::int16_t> toInt16(double v);

} // namespace tarvex::wire
