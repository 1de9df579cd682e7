#pragma once

#include <optional>

namespace tarvex::sim {

// The amplifier's nine bands, each cut into five equal segments. Frequencies are in kHz,
// which keeps every amateur band below 32767 (the driver stores them as 16-bit numbers).
class BandPlan {
public:
    static constexpr int kBands = 9;
    static constexpr int kSegments = 5;
    static constexpr int kMaxSetting = 100; // tune and load capacitor range 0..100

    struct Position {
        int band = 1;
        int segment = 1;
    };

    static bool validBand(int band) { return band >= 1 && band <= kBands; }
    static bool validSegment(int segment) { return segment >= 1 && segment <= kSegments; }

    // Centre of a segment; band and segment must be valid.
    static int segmentCentreKhz(int band, int segment);
    // The band and segment holding a frequency, if any band does.
    static std::optional<Position> locate(int khz);
    // Factory tune and load settings of a segment: where the auto-tuner ends up, and what
    // "DEF" restores.
    static int defaultTune(int band, int segment);
    static int defaultLoad(int band, int segment);
};

} // namespace tarvex::sim
