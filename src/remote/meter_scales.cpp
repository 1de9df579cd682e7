#include "meter_scales.h"

#include <QJsonArray>

#include <initializer_list>
#include <utility>

namespace tarvex {

namespace {

// A bar from 0 to max; yellow from `yellow`, red from `red` (the desktop's thresholds); scale
// marks as {value, caption}, captions in the scale's own unit.
QJsonObject scale(const char* label, const char* unit, int max, int yellow, int red,
                  std::initializer_list<std::pair<int, const char*>> marks) {
    QJsonArray list;
    for (const auto& [value, caption] : marks)
        list.append(QJsonArray{value, QString::fromLatin1(caption)});
    return {{QStringLiteral("label"), QString::fromLatin1(label)},
            {QStringLiteral("unit"), QString::fromLatin1(unit)},
            {QStringLiteral("max"), max},
            {QStringLiteral("yellow"), yellow},
            {QStringLiteral("red"), red},
            {QStringLiteral("marks"), list}};
}

} // namespace

QJsonObject meterScales() {
    return {
        {QStringLiteral("fwd"),
         scale("Po", "kW", 2500, 1500, 1500,
               {{0, "0"}, {200, ".2"}, {500, ".5"}, {1000, "1.0"}, {1500, "1.5"}, {2000, "2.0"},
                {2300, "2.3"}})},
        {QStringLiteral("rfl"),
         scale("Pr", "W", 270, 50, 115,
               {{0, "0"}, {50, "50"}, {100, "100"}, {150, "150"}, {200, "200"}, {250, "250"}})},
        // The desktop shows no input meter; its scale is the drive a legal-limit amplifier needs.
        {QStringLiteral("inp"),
         scale("Pi", "W", 100, 70, 85,
               {{0, "0"}, {25, "25"}, {50, "50"}, {75, "75"}, {100, "100"}})},
        {QStringLiteral("ig"),
         scale("Ig", "mA", 150, 105, 122,
               {{0, "0"}, {35, "35"}, {70, "70"}, {105, "105"}, {140, "140"}})},
        {QStringLiteral("ip"),
         scale("Ip", "A", 3100, 1000, 1500,
               {{0, "0"}, {500, ".5"}, {1000, "1"}, {1500, "1.5"}, {2000, "2.0"}, {2500, "2.5"},
                {3000, "3"}})},
    };
}

} // namespace tarvex
