#include "band_table.h"

#include <array>

namespace tarvex {

namespace {

struct Band {
    int lowKhz;
    int highKhz;
    int metres;
};

constexpr std::array<Band, BandTable::kBands> kEdges{{
    {1800, 2000, 160},
    {3500, 4000, 80},
    {7000, 7300, 40},
    {10100, 10150, 30},
    {14000, 14350, 20},
    {18068, 18168, 17},
    {21000, 21450, 15},
    {24890, 24990, 12},
    {28000, 29700, 10},
}};

} // namespace

std::optional<int> BandTable::bandOf(qint64 hz) {
    for (int i = 0; i < kBands; ++i) {
        const Band& b = kEdges[static_cast<std::size_t>(i)];
        if (hz >= qint64{b.lowKhz} * 1000 && hz <= qint64{b.highKhz} * 1000)
            return i + 1;
    }
    return std::nullopt;
}

bool BandTable::containsKhz(int band, int khz) {
    if (band < 1 || band > kBands)
        return false;
    const Band& b = kEdges[static_cast<std::size_t>(band - 1)];
    return khz >= b.lowKhz && khz <= b.highKhz;
}

QString BandTable::name(int band) {
    if (band < 1 || band > kBands)
        return QStringLiteral("band %1").arg(band);
    return QStringLiteral("%1 m").arg(kEdges[static_cast<std::size_t>(band - 1)].metres);
}

} // namespace tarvex
