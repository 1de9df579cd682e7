#pragma once

#include <QJsonObject>

namespace tarvex {

// The bar meters' scales, as the desktop panel's gauges have them (forward and reflected
// power, grid and plate current) plus input power, sent to every page in its hello so that a
// page or another client draws them without knowing them.
QJsonObject meterScales();

} // namespace tarvex
