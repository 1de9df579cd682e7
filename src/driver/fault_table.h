#pragma once

#include <QString>

#include <cstdint>
#include <span>

namespace tarvex {

struct FaultEntry {
    std::int16_t code;
    const char* text;
};

// Every code the amplifier's fault table names, with its description; panels measure them.
std::span<const FaultEntry> faultTable();

// The description of a fault code; a code the table does not name is "Unknown or unlisted fault".
QString FaultText(std::int16_t code);

} // namespace tarvex
