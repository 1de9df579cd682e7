#pragma once

#include "hub.h"

namespace tarvex {

// Puts every amplifier that reports operate into standby, through its "<index>oper" item as a
// click would; returns how many were asked.
int allToStandby(const HubPtr& hub);

} // namespace tarvex
