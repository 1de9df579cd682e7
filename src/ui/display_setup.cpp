#include "display_setup.h"

#include <QByteArray>
#include <QtGlobal>

namespace tarvex {

void prepareDisplayForSmallRepaints() {
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", QByteArrayLiteral("1"));
}

} // namespace tarvex
