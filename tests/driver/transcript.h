#pragma once

// Recorded amplifier sessions ("transcripts") and their replay into a driver through a
// pseudo-terminal. The file format is described in tests/data/README.md.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace tarvex::sim {
class PtyPort;
}

namespace tarvex::transcript {

struct Entry {
    enum class Kind { Send, Check };
    Kind kind = Kind::Send;
    int line = 0; // in the file, for messages

    // Send: the bytes the amplifier sent, delayMs after the previous entry.
    int delayMs = 0;
    QByteArray bytes;

    // Check: the driver's item (base name, without the amplifier's index) reads this text.
    QString item;
    QString value;
};

// Reads a transcript; on a malformed line returns nullopt and says which line and why.
std::optional<std::vector<Entry>> parse(const QByteArray& text, QString* error);
std::optional<std::vector<Entry>> load(const QString& path, QString* error);

struct ReplayOptions {
    // The driver has no timers, so only the order and the splitting of the bytes matter to it.
    // Gaps up to this long are kept, so that chunks arrive as separate reads; longer ones (a
    // three-minute warm-up) are shortened to it.
    int maxDelayMs = 20;
    // How long a check waits for the driver to take the bytes sent before it.
    int deliveryTimeoutMs = 3000;
};

// What the replay needs to know of the driver under test.
struct Probe {
    // How many bytes the driver has taken from its serial link so far.
    std::function<qint64()> bytesDelivered;
    // An item's value as text, by base name.
    std::function<QString(const QString& item)> itemText;
};

// Writes each Send entry to the amplifier's end of the pseudo-terminal. At each Check it waits
// until the driver has taken every byte sent so far, then compares the item at once (waiting
// for the value instead could let a wrong intermediate value pass). Returns one message per
// check that failed, or per check the driver never caught up with.
QStringList replay(const std::vector<Entry>& entries, sim::PtyPort& port, const Probe& probe,
                   const ReplayOptions& options = {});

} // namespace tarvex::transcript
