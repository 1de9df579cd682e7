// What the amplifier says: report lines "KEY = VALUE", several to a line where the
// amplifier groups them, each line ended by CR LF.
#include "sim/amp_model.h"

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
    sendLine("BAND = " + std::to_string(band_) + " SEGMENT = " + std::to_string(segment_) +
             " FREQUENCY = " + std::to_string(frequencyKhz_));
}

void AmpModel::sendTuning() {
    sendLine("TUNE = " + std::to_string(tune_) + " LOAD = " + std::to_string(load_));
}

void AmpModel::sendAutotune() {
    sendLine(autotune_ ? "AUTOTUNE = ENABLED" : "AUTOTUNE = DISABLED");
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
}

} // namespace tarvex::sim
