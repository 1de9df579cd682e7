#include "history_time.h"

#include <QDateTime>
#include <QTimeZone>

namespace tarvex {

HistoryClock systemHistoryClock() {
    return [] { return QDateTime::currentMSecsSinceEpoch(); };
}

QString historyTime(qint64 msSinceEpoch) {
    return QDateTime::fromMSecsSinceEpoch(msSinceEpoch, QTimeZone::utc())
        .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"));
}

} // namespace tarvex
