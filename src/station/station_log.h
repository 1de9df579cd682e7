#pragma once

#include <QLoggingCategory>

namespace tarvex {

// The station links' own category: quiet unless QT_LOGGING_RULES="tarvex.station=true".
Q_DECLARE_LOGGING_CATEGORY(lcStation)

} // namespace tarvex
