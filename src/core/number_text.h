#pragma once

#include <QStringView>

#include <cstdint>
#include <optional>

namespace tarvex {

// A decimal number read from the start of a text.
struct ScannedNumber {
    double value = 0; // +-infinity when the number is beyond a double
    qsizetype end = 0; // index just past the last character that belongs to the number
};

// The one reader of decimal number text: an optional sign, digits, an optional fraction and an
// optional exponent (taken only when digits follow the "E"). With interiorSpaces, spaces
// anywhere inside the number are passed over, as the classic leading-number reading does.
// Nullopt when no digit is found. Reads no locale, allocates nothing for ordinary numbers.
std::optional<ScannedNumber> scanNumber(QStringView text, bool interiorSpaces = false);

// Rounds half to even and checks the result against [lo, hi]; nullopt when it is not finite or
// does not fit.
std::optional<std::int64_t> roundHalfEven(double v, std::int64_t lo, std::int64_t hi);

} // namespace tarvex
