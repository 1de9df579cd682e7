#pragma once

#include <QString>

#include <cstdint>

namespace tarvex {

// The amplifier's fault codes and their descriptions.
QString FaultText(std::int16_t code);

} // namespace tarvex
