#include "remote_options.h"

#include <QHostAddress>

namespace tarvex {

bool RemoteOptions::loopbackOnly() const {
    if (bind.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(bind);
    return !address.isNull() && address.isLoopback();
}

} // namespace tarvex
