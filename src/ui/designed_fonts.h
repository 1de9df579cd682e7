#pragma once

#include <QFont>
#include <QString>

namespace tarvex {

// The faces the panels were designed in.
inline constexpr const char* kDesignedSansFace = "MS Sans Serif";
inline constexpr const char* kDesignedSmallFace = "Small Fonts";

// The designed faces do not exist here. This is the one place that maps a designed face name
// to the installed faces that stand in for it, best first; any other name is asked for as it is.
QFont designedFont(const QString& face, double points, bool bold = false);

} // namespace tarvex
