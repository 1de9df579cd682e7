#pragma once

#include "sim/amp_model.h"

#include <QString>

#include <optional>

namespace tarvex::sim {

// A line typed while running: "meter FWD RFL INP GRID PLATE", five digits 0..9, the keyword in
// any case: what the metering lines carry from now on while the amplifier operates.
std::optional<MeterDigits> parseMeterLine(const QString& line);

} // namespace tarvex::sim
