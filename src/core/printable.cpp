#include "printable.h"

namespace tarvex {

namespace {
bool isControl(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}
} // namespace

QString printable(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (isControl(c))
            out += QStringLiteral("\\x") + QStringLiteral("%1").arg(int(c), 2, 16, QLatin1Char('0')).toUpper();
        else
            out += ch;
    }
    return out;
}

bool hasControlCharacters(const QString& text) {
    for (const QChar ch : text) {
        if (isControl(ch.unicode()))
            return true;
    }
    return false;
}

} // namespace tarvex
