#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace tarvex::bench {

// What a busy amplifier sends, line by line, with values that change so that item events fire:
// mostly metering lines, then single reports, lines carrying several reports, and the replies
// to memory reads (calibration). The same seed gives the same lines.
struct LineMix {
    QStringList lines;      // without line ends
    QString text;           // every line with its CR LF, in order
    double meanLineBytes{}; // including CR LF
    int lastBand = 0;       // the value the last BAND report left
};

LineMix makeLineMix(int lineCount, std::uint32_t seed = 1);

// The text cut into pieces of chunkBytes, the way a serial port hands over what it has read:
// pieces do not respect line ends.
std::vector<QString> cutIntoChunks(const QString& text, int chunkBytes);

// Lines per second that a serial line at this rate can carry (ten bits per byte: start, eight
// data bits, stop).
double lineLimitPerSecond(int baud, double meanLineBytes);

} // namespace tarvex::bench
