#pragma once

#include <QString>

#include <optional>

namespace tarvex::sim {

// A fault the person running the simulator asks for: "--fault 12@30" on the command line (code
// 12, thirty seconds after start) or "fault 12" typed on standard input (at once).
struct FaultRequest {
    int code = 0;    // as the amplifier reports it, 16-bit, negative codes included
    int afterMs = 0; // delay from when it was asked for
};

// "CODE" or "CODE@SECONDS" (seconds may have a fraction); surrounding spaces are allowed.
std::optional<FaultRequest> parseFaultRequest(const QString& text);
// A line typed while running: "fault" and a request as above, the keyword in any case.
std::optional<FaultRequest> parseConsoleLine(const QString& line);

} // namespace tarvex::sim
