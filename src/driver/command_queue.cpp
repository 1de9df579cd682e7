#include "command_queue.h"

#include <algorithm>

namespace tarvex {

void CommandQueue::push(const QString& key, const QStringList& lines, Urgency urgency) {
    if (!key.isEmpty())
        std::erase_if(mEntries, [&](const Entry& e) { return e.key == key; });
    auto at = mEntries.end();
    if (urgency == Urgency::First) {
        // After the urgent lines already waiting, in the order they were asked for.
        at = std::find_if(mEntries.begin(), mEntries.end(),
                          [](const Entry& e) { return e.urgency != Urgency::First; });
    }
    mEntries.insert(at, Entry{key, lines, urgency});
}

std::optional<QStringList> CommandQueue::pop() {
    if (mEntries.empty())
        return std::nullopt;
    QStringList lines = std::move(mEntries.front().lines);
    mEntries.pop_front();
    return lines;
}

} // namespace tarvex
