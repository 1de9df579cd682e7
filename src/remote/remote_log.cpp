#include "remote_log.h"

namespace tarvex {

Q_LOGGING_CATEGORY(lcRemote, "tarvex.remote", QtInfoMsg)

} // namespace tarvex
