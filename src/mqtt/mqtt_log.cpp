#include "mqtt_log.h"

namespace tarvex {

Q_LOGGING_CATEGORY(lcMqtt, "tarvex.mqtt", QtWarningMsg)

} // namespace tarvex
