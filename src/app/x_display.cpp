#include "x_display.h"

#include <QByteArray>
#include <QtGlobal>

#include <xcb/xcb.h>

namespace tarvex {

bool xDisplayUnreachable() {
    // Another platform chosen, or one Qt may prefer, is none of this check's business.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return false;
    if (platform.isEmpty() && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return false;
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool failed = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    return failed;
}

} // namespace tarvex
