#include "wire_format.h"

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
double readHex(const QString& s, qsizetype i) {
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

// Plain decimal text, the protocol's usual case, read without building copies. The digits as an
// integer divided by a power of ten is correctly rounded while both are exact doubles (at most
// 15 digits). Nullopt sends anything else (exponents, hexadecimal, blanks inside the number,
// long numbers) to the general reader.
std::optional<double> plainDecimal(const QString& text) {
    static constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    std::uint64_t mantissa = 0;
    int digits = 0;
    int fraction = 0;
    bool point = false;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c >= u'0' && c <= u'9') {
            if (++digits > 15)
                return std::nullopt;
            mantissa = mantissa * 10 + (c - u'0');
            fraction += point ? 1 : 0;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            if (isBlank(text[i]) || c == u'e' || c == u'E')
                return std::nullopt;
            break;
        }
    }
    if (digits == 0)
        return std::nullopt;
    const double v = static_cast<double>(mantissa) / kPow10[fraction];
    return negative ? -v : v;
}

} // namespace

QString signedDecimal(double v) {
    QString digits = formatNumber(std::fabs(v));
    if (digits.startsWith(u"0."))
        digits.remove(0, 1);
    return (v < 0 ? QStringLiteral("-") : QStringLiteral(" ")) + digits;
}

double leadingNumber(const QString& text) {
    if (const auto plain = plainDecimal(text))
        return *plain;
    // Spaces count for nothing anywhere in the number, as in the classic reading of numbers.
    QString s;
    s.reserve(text.size());
    for (QChar c : text)
        if (!isBlank(c))
            s.append(c);

    if (s.startsWith(u"&H", Qt::CaseInsensitive)) {
        const double v = readHex(s, 2);
        // Up to FFFF the digits are a 16-bit two's-complement word. Through the unsigned type:
        // a double beyond 32767 converted straight to a 16-bit integer is undefined.
        return v <= 0xFFFF ? static_cast<std::int16_t>(static_cast<std::uint16_t>(v)) : v;
    }

    qsizetype i = 0;
    const qsizetype n = s.size();
    auto digitAt = [&](qsizetype k) { return k < n && s[k] >= u'0' && s[k] <= u'9'; };
    if (i < n && (s[i] == u'+' || s[i] == u'-'))
        ++i;
    const qsizetype intStart = i;
    while (digitAt(i))
        ++i;
    qsizetype end = i;
    if (i < n && s[i] == u'.') {
        ++i;
        while (digitAt(i))
            ++i;
        end = i;
    }
    const bool anyDigit = end > intStart && !(end == intStart + 1 && s[intStart] == u'.');
    if (!anyDigit)
        return 0;
    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        qsizetype k = i + 1;
        if (k < n && (s[k] == u'+' || s[k] == u'-'))
            ++k;
        if (digitAt(k)) {
            while (digitAt(k))
                ++k;
            end = k;
        }
    }
    const auto v = parseNumber(s.left(end));
    if (v)
        return *v;
    // Only an exponent too large for a double lands here.
    return s.startsWith(u'-') ? -std::numeric_limits<double>::infinity()
                              : std::numeric_limits<double>::infinity();
}

std::optional<std::int16_t> parseHex(const QString& text) {
    const double v = readHex(text, 0);
    if (v > 0xFFFF)
        return std::nullopt;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
}

std::optional<std::int16_t> toInt16(double v) {
    if (!std::isfinite(v))
        return std::nullopt;
    const double r = std::nearbyint(v);
    if (r < std::numeric_limits<std::int16_t>::min() ||
        r > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(r);
}

} // namespace tarvex::wire
