#include "number_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <algorithm>

namespace tarvex {

namespace {

// Whether a number from_chars found out of range is beyond the largest double (rather than
// below the smallest): its decimal magnitude, leading digit position plus exponent, decides.
bool beyondLargest(const std::string& t) {
    const std::size_t e = t.find('e');
    const std::string_view mantissa(t.data(), e == std::string::npos ? t.size() : e);
    long long exponent = 0;
    if (e != std::string::npos) {
        const char* from = t.data() + e + 1 + (t[e + 1] == '+' ? 1 : 0);
        if (std::from_chars(from, t.data() + t.size(), exponent).ec != std::errc())
            exponent = t[e + 1] == '-' ? std::numeric_limits<int>::min()
                                       : std::numeric_limits<int>::max();
    }
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_not_of("0.");
    if (first == std::string_view::npos)
        return false; // all zeros
    const long long magnitude = first < point ? static_cast<long long>(point - first)
                                              : -static_cast<long long>(first - point - 1);
    return magnitude + exponent > 0;
}

} // namespace

std::optional<ScannedNumber> scanNumber(QStringView s, bool interiorSpaces) {
    const qsizetype n = s.size();
    auto skipSpaces = [&](qsizetype k) {
        while (interiorSpaces && k < n && s[k] == u' ')
            ++k;
        return k;
    };
    auto isDigit = [&](qsizetype k) { return k < n && s[k] >= u'0' && s[k] <= u'9'; };

    std::string text; // what from_chars reads: no "+", no spaces; short numbers stay in place
    qsizetype i = skipSpaces(0);
    qsizetype end = 0;
    auto takeDigits = [&] {
        int count = 0;
        for (i = skipSpaces(i); isDigit(i); i = skipSpaces(i)) {
            text += static_cast<char>(s[i].unicode());
            ++count;
            end = ++i;
        }
        return count;
    };

    bool negative = false;
    if (i < n && (s[i] == u'+' || s[i] == u'-'))
        negative = s[i++] == u'-';
    int mantissaDigits = takeDigits();
    if (i < n && s[i] == u'.') {
        text += '.';
        if (mantissaDigits > 0)
            end = i + 1; // "5." is a number; "." alone is not
        ++i;
        mantissaDigits += takeDigits();
    }
    if (mantissaDigits == 0)
        return std::nullopt;

    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        qsizetype k = skipSpaces(i + 1);
        char sign = 0;
        if (k < n && (s[k] == u'+' || s[k] == u'-'))
            sign = static_cast<char>(s[k++].unicode());
        if (isDigit(skipSpaces(k))) {
            text += 'e';
            if (sign)
                text += sign;
            i = k;
            takeDigits();
        }
    }

    double v = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), v);
    if (result.ec == std::errc::result_out_of_range)
        v = beyondLargest(text) ? std::numeric_limits<double>::infinity() : 0.0;
    return ScannedNumber{negative ? -v : v, end};
}

std::optional<std::int64_t> roundHalfEven(double v, std::int64_t lo, std::int64_t hi) {
    if (!std::isfinite(v))
        return std::nullopt;
    // nearbyint honours the default rounding mode: to nearest, halves to even.
    const double r = std::nearbyint(v);
    if (r < static_cast<double>(lo) || r > static_cast<double>(hi))
        return std::nullopt;
    return static_cast<std::int64_t>(r);
}

} // namespace tarvex
