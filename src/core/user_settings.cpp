#include "user_settings.h"

namespace tarvex {

QSettings userSettings() {
    return QSettings(QSettings::UserScope, QStringLiteral("Tarvex"), QStringLiteral("Tarvex"));
}

} // namespace tarvex
