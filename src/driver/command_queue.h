#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>

namespace tarvex {

// The command lines waiting for the serial line while it is busy. It never holds more than one
// line per control: a newer command for the same control (power, operate, band, tune…)
// replaces one not yet written, so a flood of changes costs the line only the last of them.
// Urgent lines (mains off, standby) go before everything else that waits.
class CommandQueue {
public:
    enum class Urgency { Normal, First };

    // lines go out together, in order (a fault acknowledged before operate). An empty key is
    // never replaced: every such entry is written.
    void push(const QString& key, const QStringList& lines, Urgency urgency);
    // The next lines to write, taken out of the queue.
    std::optional<QStringList> pop();
    bool empty() const { return mEntries.empty(); }
    std::size_t size() const { return mEntries.size(); }
    void clear() { mEntries.clear(); }

private:
    struct Entry {
        QString key;
        QStringList lines;
        Urgency urgency;
    };
    std::deque<Entry> mEntries;
};

} // namespace tarvex
