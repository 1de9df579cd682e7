#include "remote_clock.h"

#include <QDateTime>

namespace tarvex {

RemoteClock systemClock() {
    return [] { return QDateTime::currentMSecsSinceEpoch(); };
}

QString clockText(qint64 msSinceEpoch) {
    return QDateTime::fromMSecsSinceEpoch(msSinceEpoch).toString(QStringLiteral("HH:mm"));
}

} // namespace tarvex
