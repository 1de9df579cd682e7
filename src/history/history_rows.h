#pragma once

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace tarvex {

// The meters kept per second, in column order: "pfwd" gives pfwd_peak and pfwd_mean.
inline constexpr std::array<const char*, 5> kHistoryMeters = {"pfwd", "prfl", "pinp", "ig", "ip"};
inline constexpr std::size_t kMeterCount = kHistoryMeters.size();

struct HistoryEvent {
    qint64 timeMs = 0;
    int amplifier = 0;
    QString name;
    QString kind; // state, fault, band, link, message
    std::optional<int> code;
    QString text;
};

// One amplifier's meters over one whole second: the highest value shown and the mean over time.
struct HistoryReading {
    qint64 timeMs = 0; // start of the second
    int amplifier = 0;
    std::array<int, kMeterCount> peak{};
    std::array<double, kMeterCount> mean{};
};

// The five meters as they stood after one metering line.
struct TripReading {
    qint64 timeMs = 0;
    std::array<int, kMeterCount> meters{};
};

// The seconds around an alarm or a fault: the readings of the last five seconds before it and
// the two after, line by line. id is history.db's, 0 until written.
struct HistoryTrip {
    qint64 id = 0;
    qint64 timeMs = 0;
    int amplifier = 0;
    QString name;
    QString cause; // the alarm's text or the fault's
    std::vector<TripReading> readings;
};

struct HistoryBatch {
    std::vector<HistoryEvent> events;
    std::vector<HistoryReading> readings;
    std::vector<HistoryTrip> trips;
    bool empty() const { return events.empty() && readings.empty() && trips.empty(); }
};

} // namespace tarvex
