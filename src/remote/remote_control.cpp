#include "remote_control.h"

#include "core/band_table.h"

#include <array>

namespace tarvex {

namespace {

using Kind = ControlEntry::Kind;

// The ranges are the driver's item ranges: band 1 (160 m) to 9 (10 m), segment 1 to 5, tune
// and load 0 to 100.
constexpr std::array<ControlEntry, 10> kEntries{{
    {RemoteControl::Power, "power", "ac", Kind::Switch},
    {RemoteControl::Operate, "operate", "oper", Kind::Switch},
    {RemoteControl::Band, "band", "band", Kind::Number, 1, BandTable::kBands},
    {RemoteControl::Segment, "segment", "segment", Kind::Number, 1, 5},
    {RemoteControl::Tune, "tune", "tune", Kind::Number, 0, 100},
    {RemoteControl::Load, "load", "load", Kind::Number, 0, 100},
    {RemoteControl::High, "high", "hv", Kind::Switch},
    {RemoteControl::AutoTune, "autoTune", "trim", Kind::Switch},
    {RemoteControl::Default, "default", "def", Kind::Key},
    {RemoteControl::Enter, "enter", "ent", Kind::Key},
}};

} // namespace

const ControlEntry& controlEntry(RemoteControl control) {
    return kEntries[static_cast<std::size_t>(control)];
}

const ControlEntry* findControl(const QString& name) {
    for (const ControlEntry& s : kEntries) {
        if (name == QLatin1String(s.name))
            return &s;
    }
    return nullptr;
}

} // namespace tarvex
