#include "station_log.h"

namespace tarvex {

Q_LOGGING_CATEGORY(lcStation, "tarvex.station", QtInfoMsg)

} // namespace tarvex
