#pragma once

#include <QString>

#include <stdexcept>

namespace tarvex {

// Base of the program's own errors (conversions, the item model, serial links): what the one
// guard of skipped steps catches. Anything else is not ours to swallow.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromUtf8(what()); }
};

} // namespace tarvex
