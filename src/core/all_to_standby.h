#pragma once

#include "hub.h"

namespace tarvex {

// Asks every amplifier that reports operate ("<index>state") to go to standby, by writing false
// to its "<index>oper" as the panel's standby button does. Amplifiers in any other state are
// left alone. Returns how many were asked.
int allToStandby(const HubPtr& hub);

} // namespace tarvex
