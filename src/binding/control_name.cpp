#include "control_name.h"

#include "core/variant.h"

namespace tarvex {

bool isBindingName(const QString& controlName) {
    return controlName.size() >= 3 && controlName.startsWith(QLatin1String("U_"));
}

std::optional<QString> valuePartText(const QString& controlName) {
    if (!isBindingName(controlName))
        return std::nullopt;
    const QString stem = controlName.mid(2);
    const qsizetype underscore = stem.indexOf(u'_');
    if (underscore < 0 || underscore + 1 >= stem.size())
        return std::nullopt;
    return stem.mid(underscore + 1);
}

std::optional<std::int16_t> valuePart(const QString& controlName) {
    const auto text = valuePartText(controlName);
    if (!text)
        return std::nullopt;
    return Variant(*text).toInteger();
}

} // namespace tarvex
