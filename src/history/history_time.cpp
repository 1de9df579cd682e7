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

std::optional<qint64> parseHistoryTime(const QString& text) {
    const QString t = text.trimmed();
    if (const QDate date = QDate::fromString(t, Qt::ISODate); date.isValid())
        return QDateTime(date, QTime(0, 0), QTimeZone::utc()).toMSecsSinceEpoch();
    QDateTime when = QDateTime::fromString(t, Qt::ISODateWithMs);
    if (!when.isValid())
        return std::nullopt;
    if (when.timeSpec() == Qt::LocalTime)
        when.setTimeZone(QTimeZone::utc());
    return when.toMSecsSinceEpoch();
}

} // namespace tarvex
