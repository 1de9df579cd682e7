#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

namespace tarvex {

// The amateur bands the amplifier switches between, numbered as its band item counts them:
// 1 is 160 m, 9 is 10 m. Edges follow the IARU allocations, widest region, both inclusive.
class BandTable {
public:
    static constexpr int kBands = 9;

    // The band holding a frequency in Hz, or nullopt outside every band.
    static std::optional<int> bandOf(qint64 hz);
    // Whether a frequency in kHz (the amplifier's own unit) lies in the band.
    static bool containsKhz(int band, int khz);
    // "20 m"; "band N" for a number outside the table.
    static QString name(int band);
};

} // namespace tarvex
