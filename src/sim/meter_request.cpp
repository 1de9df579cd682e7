#include "sim/meter_request.h"

#include <QStringList>

namespace tarvex::sim {

std::optional<MeterDigits> parseMeterLine(const QString& line) {
    const QStringList words = line.simplified().split(u' ');
    if (words.size() != 6 || words[0].compare(u"meter", Qt::CaseInsensitive) != 0)
        return std::nullopt;
    int digits[5] = {};
    for (int i = 0; i < 5; ++i) {
        const QString& w = words[i + 1];
        if (w.size() != 1 || !w[0].isDigit())
            return std::nullopt;
        digits[i] = w[0].digitValue();
    }
    return MeterDigits{digits[0], digits[1], digits[2], digits[3], digits[4]};
}

} // namespace tarvex::sim
