#include "sim/fault_request.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace tarvex::sim {

std::optional<FaultRequest> parseFaultRequest(const QString& text) {
    const QString s = text.trimmed();
    const qsizetype at = s.indexOf(u'@');
    bool ok = false;
    const int code = s.left(at).toInt(&ok);
    if (!ok || code < std::numeric_limits<std::int16_t>::min() ||
        code > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    FaultRequest request{code, 0};
    if (at < 0)
        return request;
    const double seconds = s.mid(at + 1).toDouble(&ok);
    // A timer counts in int milliseconds: about 24 days is as far ahead as it can look.
    if (!ok || !(seconds >= 0) || seconds * 1000 > std::numeric_limits<int>::max())
        return std::nullopt;
    request.afterMs = static_cast<int>(std::llround(seconds * 1000));
    return request;
}

std::optional<FaultRequest> parseConsoleLine(const QString& line) {
    const QString s = line.trimmed();
    constexpr QStringView kKeyword = u"fault";
    if (!s.startsWith(kKeyword, Qt::CaseInsensitive) || s.size() == kKeyword.size() ||
        s[kKeyword.size()] != u' ')
        return std::nullopt;
    return parseFaultRequest(s.mid(kKeyword.size()));
}

} // namespace tarvex::sim
