#include "screenshot.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QSaveFile>
#include <QWidget>

namespace tarvex {

// QPixmap::save to a name says only that it failed; writing into a file opened here keeps the
// reason (a missing folder, no permission, a full disk).
bool saveScreenshot(QWidget& widget, const QString& path, QString* error) {
    const auto fail = [&](const QString& reason) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, reason);
        return false;
    };
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!widget.grab().save(&buffer, "PNG"))
        return fail(QStringLiteral("the picture could not be encoded"));

    // A replacing save would put a regular file in place of a device or a pipe (/dev/stdout);
    // those are written into as they are.
    if (const QFileInfo target(path); target.exists() && !target.isFile() && !target.isDir()) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
            file.write(png) != png.size())
            return fail(file.errorString());
        return true;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size() || !file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace tarvex
