#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace tarvex {

// The naming rule of bound controls: "U_" + base name, optionally "_" + a whole number.

// True when a control of this name takes part in binding: at least 3 characters, beginning
// with "U_" (case-sensitive).
bool isBindingName(const QString& controlName);

// The text after the first underscore that follows the "U_" prefix, when at least one
// character follows it ("U_oper_1" gives "1"; "U_oper" and "U_oper_" give none).
std::optional<QString> valuePartText(const QString& controlName);

// valuePartText converted to a 16-bit integer. Throws VariantError (type mismatch, overflow)
// when the value part is not a whole number in range.
std::optional<std::int16_t> valuePart(const QString& controlName);

} // namespace tarvex
