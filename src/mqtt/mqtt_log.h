#pragma once

#include <QLoggingCategory>

namespace tarvex {

// The MQTT link's own category: quiet unless QT_LOGGING_RULES="tarvex.mqtt=true".
Q_DECLARE_LOGGING_CATEGORY(lcMqtt)

} // namespace tarvex
