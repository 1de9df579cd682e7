#pragma once

#include <QString>

class QWidget;

namespace tarvex {

// Saves the widget as it is drawn now as a PNG in path, replacing the file only once the whole
// picture is written. False with the system's reason in *error when it cannot be written.
bool saveScreenshot(QWidget& widget, const QString& path, QString* error);

} // namespace tarvex
