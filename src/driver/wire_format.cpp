#include "wire_format.h"

#include "core/number_text.h"
#include "core/variant.h"

#include <cmath>
#include <limits>

namespace tarvex::wire {

namespace {

// Only the space is skipped inside a number; a tab, CR or LF ends it like any other character.
bool isBlank(QChar c) {
    return c == u' ';
}

int hexDigit(QChar c) {
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    return -1;
}

// Reads hexadecimal digits from position i; stops early once the value is past any use.
double readHex(QStringView s, qsizetype i) {
    double v = 0;
    for (; i < s.size(); ++i) {
        if (isBlank(s[i]))
            continue;
        const int d = hexDigit(s[i]);
        if (d < 0)
            break;
        v = v * 16 + d;
    }
    return v;
}

} // namespace

QString signedDecimal(double v) {
    QString digits = formatNumber(std::fabs(v));
    if (digits.startsWith(u"0."))
        digits.remove(0, 1);
    return (v < 0 ? QStringLiteral("-") : QStringLiteral(" ")) + digits;
}

double leadingNumber(QStringView text) {
    // Spaces count for nothing anywhere in the number, as in the classic reading of numbers.
    qsizetype first = 0;
    while (first < text.size() && isBlank(text[first]))
        ++first;
    if (text.mid(first).startsWith(u"&H", Qt::CaseInsensitive)) {
        const double v = readHex(text, first + 2);
        // Up to FFFF the digits are a 16-bit two's-complement word. Through the unsigned type:
        // a double beyond 32767 converted straight to a 16-bit integer is undefined.
        return v <= 0xFFFF ? static_cast<std::int16_t>(static_cast<std::uint16_t>(v)) : v;
    }
    const auto number = scanNumber(text, true);
    return number ? number->value : 0;
}

std::optional<std::int16_t> parseHex(const QString& text) {
    const double v = readHex(text, 0);
    if (v > 0xFFFF)
        return std::nullopt;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
}

std::optional<std::int16_t> toInt16(double v) {
    const auto r = roundHalfEven(v, std::numeric_limits<std::int16_t>::min(),
                                 std::numeric_limits<std::int16_t>::max());
    return r ? std::optional<std::int16_t>(static_cast<std::int16_t>(*r)) : std::nullopt;
}

} // namespace tarvex::wire
