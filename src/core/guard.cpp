#include "guard.h"

namespace tarvex {

Q_LOGGING_CATEGORY(lcCore, "tarvex.core", QtInfoMsg)
Q_LOGGING_CATEGORY(lcDriver, "tarvex.driver", QtInfoMsg)
Q_LOGGING_CATEGORY(lcBinding, "tarvex.binding", QtInfoMsg)
Q_LOGGING_CATEGORY(lcUi, "tarvex.ui", QtInfoMsg)

void logSkipped(const QLoggingCategory& category, const char* step, const Error& e) {
    qCDebug(category).noquote() << "skipped" << step << "-" << e.text();
}

} // namespace tarvex
