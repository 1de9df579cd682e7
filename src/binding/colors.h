#pragma once

#include <QColor>
#include <QPalette>

#include <cstdint>
#include <optional>

namespace tarvex {

// Designed colours are 32-bit values 0x00BBGGRR (red in the low byte). A value with the top
// bit set names the desktop's system colour whose number is in the low bits (0x8000000F is the
// button face); those map to palette roles so that they follow the user's theme.

constexpr std::uint32_t kSystemColorFlag = 0x80000000u;

constexpr bool isSystemColor(std::uint32_t designed) {
    return (designed & kSystemColorFlag) != 0;
}

// The palette role standing for a system colour value (top bit set), or none for an ordinary
// colour or a system colour number without a counterpart.
std::optional<QPalette::ColorRole> systemColorRole(std::uint32_t designed);

// The QColor of a designed colour. System colours are looked up in `palette`; an unknown system
// colour number gives an invalid QColor, so that the caller keeps its own.
QColor colorFromDesigned(std::uint32_t designed, const QPalette& palette);
// As above, with the application's palette.
QColor colorFromDesigned(std::uint32_t designed);

// The 0x00BBGGRR form of an opaque colour (alpha is dropped).
std::uint32_t designedFromColor(const QColor& color);

} // namespace tarvex
