// What the amplifier says: report lines of KEY and VALUE, several to a line where the
// amplifier groups them, each line ended by CR LF. The firmware separates key and value three
// ways ("STATE = OPERATE", "AMPLIFIER IS OFF", "BAND 5"), always the same way for one report.
// A reader takes the line's first " = ", else its first " IS ", else its first space, so on a
// line of several reports no later one may use a form that ranks above an earlier one's.
#include "sim/amp_model.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace tarvex::sim {

namespace {

const char* stateText(PowerState s) {
    switch (s) {
    case PowerState::Operate:
        return "OPERATE";
    case PowerState::WarmingUp:
        return "WARMUP";
    case PowerState::Standby:
    case PowerState::Off:
        break;
    }
    return "STANDBY";
}

} // namespace

void AmpModel::sendState() {
    sendLine(std::string("STATE = ") + stateText(state_));
}

void AmpModel::sendMode() {
    sendLine(highPower_ ? "MODE = HIGH" : "MODE = LOW");
}

void AmpModel::sendBand() {
    sendLine("BAND " + std::to_string(band_) + " SEGMENT " + std::to_string(segment_) +
             " FREQUENCY " + std::to_string(frequencyKhz_));
}

void AmpModel::sendTuning() {
    sendLine("TUNE = " + std::to_string(tune_) + " LOAD = " + std::to_string(load_));
}

void AmpModel::sendAutotune() {
    sendLine(autotune_ ? "AUTOTUNE IS ENABLED" : "AUTOTUNE IS DISABLED");
}

void AmpModel::sendFault(int code, FaultForm form) {
    // The code-first form only reads back for positive codes, and a one-digit code would put
    // the space at the second character, where a reader finds no separator: pad to two digits.
    if (form == FaultForm::CodeFirst && code > 0) {
        char text[32];
        std::snprintf(text, sizeof text, "%02d FAULT", code);
        sendLine(text);
        return;
    }
    sendLine("FAULT = " + std::to_string(code));
}

void AmpModel::sendAmplifier() {
    sendLine(state_ == PowerState::Off ? "AMPLIFIER IS OFF" : "AMPLIFIER IS ON");
}

void AmpModel::sendStatus() {
    if (state_ == PowerState::Off) {
        sendAmplifier();
        return;
    }
    // A latched fault goes first, so that the standby report that follows leaves it shown.
    if (fault_ != 0)
        sendFault(fault_, FaultForm::KeyValue);
    sendLine(std::string("STATE = ") + stateText(state_) +
             (highPower_ ? " MODE = HIGH" : " MODE = LOW"));
    sendBand();
    sendTuning();
    sendReadings();
}

void AmpModel::sendReadings() {
    // The same readings a metering line carries, scaled by the calibration words as a reader
    // scales those digits, only in plain numbers: watts, grid milliamps and plate amps. Nothing
    // but the carrier moves the meters, so outside operate they all read zero.
    const MeterDigits d = state_ == PowerState::Operate ? meterDigits() : MeterDigits{};
    const auto scaled = [this](int factor, std::uint16_t at) {
        const auto cal = static_cast<std::int16_t>(memory(at));
        return static_cast<long>(std::nearbyint(factor * static_cast<double>(cal) / 256.0));
    };
    const long plateMa = scaled(d.plate * 20, kCalCurrent);
    char text[128];
    std::snprintf(text, sizeof text, "FWD %ld RFL %ld INP %ld IG %ld IP %s%ld.%03ld",
                  scaled(d.fwd * d.fwd, kCalForward), scaled(d.rfl * d.rfl, kCalReflected),
                  scaled(d.inp * d.inp, kCalInput), scaled(d.grid, kCalCurrent),
                  plateMa < 0 ? "-" : "", std::labs(plateMa) / 1000, std::labs(plateMa) % 1000);
    sendLine(text);
}

} // namespace tarvex::sim
