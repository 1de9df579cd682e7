#include "sim/band_plan.h"

#include <array>

namespace tarvex::sim {

namespace {

struct Edges {
    int lowKhz;
    int highKhz;
};

// 160 m to 10 m.
constexpr std::array<Edges, BandPlan::kBands> kEdges{{
    {1800, 2000},
    {3500, 4000},
    {7000, 7300},
    {10100, 10150},
    {14000, 14350},
    {18068, 18168},
    {21000, 21450},
    {24890, 24990},
    {28000, 29700},
}};

} // namespace

int BandPlan::segmentCentreKhz(int band, int segment) {
    const Edges& e = kEdges[band - 1];
    const int width = e.highKhz - e.lowKhz;
    return e.lowKhz + (width * (2 * segment - 1)) / (2 * kSegments);
}

std::optional<BandPlan::Position> BandPlan::locate(int khz) {
    for (int band = 1; band <= kBands; ++band) {
        const Edges& e = kEdges[band - 1];
        if (khz < e.lowKhz || khz > e.highKhz)
            continue;
        const int width = e.highKhz - e.lowKhz;
        int segment = 1 + ((khz - e.lowKhz) * kSegments) / width;
        if (segment > kSegments)
            segment = kSegments; // the top edge belongs to the last segment
        return Position{band, segment};
    }
    return std::nullopt;
}

// Higher bands need less capacitance; the numbers only have to be plausible and distinct.
int BandPlan::defaultTune(int band, int segment) {
    return 90 - 8 * (band - 1) - 2 * (segment - 1);
}

int BandPlan::defaultLoad(int band, int segment) {
    return 80 - 6 * (band - 1) - (segment - 1);
}

} // namespace tarvex::sim
