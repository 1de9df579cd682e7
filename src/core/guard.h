#pragma once

#include "error.h"

#include <QLoggingCategory>

namespace tarvex {

// One logging category per layer; quiet unless QT_LOGGING_RULES="tarvex.*=true".
Q_DECLARE_LOGGING_CATEGORY(lcCore)
Q_DECLARE_LOGGING_CATEGORY(lcDriver)
Q_DECLARE_LOGGING_CATEGORY(lcBinding)
Q_DECLARE_LOGGING_CATEGORY(lcUi)

void logSkipped(const QLoggingCategory& category, const char* step, const Error& e);

// Runs a step that is to be skipped when it fails: the program's own errors are caught and
// logged, so nothing fails silently for someone debugging, and no error crosses a Qt signal.
// Returns whether the step completed.
template <typename Step>
bool guarded(const QLoggingCategory& category, const char* step, Step&& run) {
    try {
        run();
        return true;
    } catch (const Error& e) {
        logSkipped(category, step, e);
        return false;
    }
}

} // namespace tarvex
