#include "log_sink.h"

#include "event_log.h"

#include "core/printable.h"

namespace tarvex {

void LogSink::problem(const QString& message) {
    qCWarning(lcEvents).noquote() << printable(message);
}

void LogSink::notice(const QString& message) {
    qCInfo(lcEvents).noquote() << printable(message);
}

void LogSink::noticeUpdate(const QString&) {}

void LogSink::status(const QString& text) {
    // Its end is no news: a lost radio link says when it is back.
    if (!text.isEmpty())
        qCInfo(lcEvents).noquote() << printable(text);
}

} // namespace tarvex
