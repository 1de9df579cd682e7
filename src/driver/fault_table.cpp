#include "fault_table.h"

namespace tarvex {

QString FaultText(std::int16_t code) {
    switch (code) {
    case -3:
        return QStringLiteral("Cap. step control fault");
    case -2:
    case 1:
    case 11:
        return QStringLiteral("PIN back bias too low");
    case 2:
        return QStringLiteral("5v supply voltage low");
    case 3:
        return QStringLiteral("5v supply volage high");
    case 5:
        return QStringLiteral("Low plate voltage");
    case 6:
        return QStringLiteral("High plate voltage");
    case 12:
        return QStringLiteral("High input refl power");
    case 13:
        return QStringLiteral("Excessive drive power");
    case 14:
        return QStringLiteral("Excessive refl. power");
    case 16:
        return QStringLiteral("Excessive plate current");
    case 17:
        return QStringLiteral("Abnormal gain/mistuning");
    case 18:
        return QStringLiteral("Fil. current < 2.0 amps");
    case 20:
        return QStringLiteral("Fil. current > 3.5 amps");
    case 21:
        return QStringLiteral("High tube temperature");
    case 22:
    case 23:
        return QStringLiteral("Ctrl D/A feedback loop");
    case 24:
        return QStringLiteral("Internal voltage fault");
    case 26:
        return QStringLiteral("Keying out of sequence");
    case 29:
        return QStringLiteral("Invalid transmit freq");
    case 31:
        return QStringLiteral("Ig > 100ma for 2 seconds");
    case 37:
        return QStringLiteral("Bandswitch control fault");
    case 99:
        return QStringLiteral("Abuse prevention fault");
    default:
        return QStringLiteral("Unknown or unlisted fault");
    }
}

} // namespace tarvex
