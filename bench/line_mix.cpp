#include "line_mix.h"

#include <random>

namespace tarvex::bench {

LineMix makeLineMix(int lineCount, std::uint32_t seed) {
    std::mt19937 rng(seed);
    auto pick = [&rng](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(rng);
    };
    static const char* const kLocations[] = {"B79D", "B799", "B79B", "B791", "B7A1"};
    static const int kCalibration[] = {0x1900, 0x0200, 0x0100, 0x0A00, 0x0050};

    LineMix mix;
    // The calibration comes first, as after start-up, so that metering lines move the meters.
    for (int slot = 0; slot < 5; ++slot)
        mix.lines << QStringLiteral("%1 = %2")
                         .arg(QLatin1String(kLocations[slot]))
                         .arg(kCalibration[slot], 4, 16, QLatin1Char('0'))
                         .toUpper();
    while (mix.lines.size() < lineCount) {
        const int kind = pick(0, 99);
        if (kind < 60) {
            QString digits;
            for (int k = 0; k < 5; ++k)
                digits += QChar(u'0' + pick(0, 9));
            mix.lines << QStringLiteral("RM ") + digits;
        } else if (kind < 75) {
            switch (pick(0, 3)) {
            case 0:
                mix.lastBand = pick(1, 9);
                mix.lines << QStringLiteral("BAND = %1").arg(mix.lastBand);
                break;
            case 1:
                mix.lines << QStringLiteral("TUNE = %1").arg(pick(0, 100));
                break;
            case 2:
                mix.lines << QStringLiteral("SEGMENT = %1").arg(pick(1, 5));
                break;
            default:
                mix.lines << (pick(0, 1) ? QStringLiteral("AUTOTUNE = ENABLED")
                                         : QStringLiteral("AUTOTUNE = DISABLED"));
                break;
            }
        } else if (kind < 90) {
            switch (pick(0, 2)) {
            case 0:
                mix.lines << (pick(0, 1) ? QStringLiteral("STATE = OPERATE MODE = HIGH")
                                         : QStringLiteral("STATE = STANDBY MODE = LOW"));
                break;
            case 1:
                mix.lines
                    << QStringLiteral("TUNE = %1 LOAD = %2").arg(pick(0, 100)).arg(pick(0, 100));
                break;
            default:
                mix.lastBand = pick(1, 9);
                mix.lines << QStringLiteral("BAND = %1 SEGMENT = %2 FREQUENCY = %3")
                                 .arg(mix.lastBand)
                                 .arg(pick(1, 5))
                                 .arg(pick(1800, 29700));
                break;
            }
        } else {
            const int slot = pick(0, 4);
            mix.lines << QStringLiteral("%1 = %2")
                             .arg(QLatin1String(kLocations[slot]))
                             .arg(kCalibration[slot] + pick(-16, 16), 4, 16, QLatin1Char('0'))
                             .toUpper();
        }
    }
    for (const QString& line : std::as_const(mix.lines))
        mix.text += line + QStringLiteral("\r\n");
    mix.meanLineBytes = double(mix.text.size()) / double(mix.lines.size());
    return mix;
}

std::vector<QString> cutIntoChunks(const QString& text, int chunkBytes) {
    std::vector<QString> chunks;
    for (qsizetype at = 0; at < text.size(); at += chunkBytes)
        chunks.push_back(text.mid(at, chunkBytes));
    return chunks;
}

double lineLimitPerSecond(int baud, double meanLineBytes) {
    return baud / 10.0 / meanLineBytes;
}

} // namespace tarvex::bench
