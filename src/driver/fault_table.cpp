#include "fault_table.h"

#include <algorithm>
#include <array>

namespace tarvex {

namespace {

constexpr std::array<FaultEntry, 24> kFaults = {{
    {-3, "Cap. step control fault"},  {-2, "PIN back bias too low"},
    {1, "PIN back bias too low"},     {2, "5v supply voltage low"},
    {3, "5v supply volage high"},     {5, "Low plate voltage"},
    {6, "High plate voltage"},        {11, "PIN back bias too low"},
    {12, "High input refl power"},    {13, "Excessive drive power"},
    {14, "Excessive refl. power"},    {16, "Excessive plate current"},
    {17, "Abnormal gain/mistuning"},  {18, "Fil. current < 2.0 amps"},
    {20, "Fil. current > 3.5 amps"},  {21, "High tube temperature"},
    {22, "Ctrl D/A feedback loop"},   {23, "Ctrl D/A feedback loop"},
    {24, "Internal voltage fault"},   {26, "Keying out of sequence"},
    {29, "Invalid transmit freq"},    {31, "Ig > 100ma for 2 seconds"},
    {37, "Bandswitch control fault"}, {99, "Abuse prevention fault"},
}};

} // namespace

std::span<const FaultEntry> faultTable() {
    return kFaults;
}

QString FaultText(std::int16_t code) {
    const auto* entry = std::find_if(kFaults.begin(), kFaults.end(),
                                     [code](const FaultEntry& e) { return e.code == code; });
    return QLatin1String(entry != kFaults.end() ? entry->text : "Unknown or unlisted fault");
}

} // namespace tarvex
