#pragma once

#include <QLoggingCategory>

namespace tarvex {

// The remote panel's own category: quiet unless QT_LOGGING_RULES="tarvex.remote=true".
Q_DECLARE_LOGGING_CATEGORY(lcRemote)

} // namespace tarvex
