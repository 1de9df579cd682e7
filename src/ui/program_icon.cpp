#include "program_icon.h"

namespace tarvex {

QIcon programIcon() {
    // The same PNGs that install into the hicolor theme: QtSvg is not a dependency.
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1/apps/org.tarvex.Tarvex.png").arg(size),
                     QSize(size, size));
    return icon;
}

} // namespace tarvex
