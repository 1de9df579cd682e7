#include "history_connection.h"

#include <atomic>

namespace tarvex {

QString newHistoryConnectionName(const char* role) {
    static std::atomic<int> next{0};
    return QStringLiteral("tarvex-history-%1-%2").arg(QLatin1String(role)).arg(next++);
}

} // namespace tarvex
