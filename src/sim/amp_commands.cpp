// What the amplifier does with each command line it receives.
#include "sim/amp_model.h"

#include "sim/band_plan.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tarvex::sim {

namespace {

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// A whole signed decimal number ("3", "-1", "12.5" rounds half to even); nothing else.
std::optional<int> wholeNumber(const std::string& s) {
    if (s.empty() || s.size() > 12)
        return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || !std::isdigit(static_cast<unsigned char>(s.back())) ||
        s.find_first_of("xXeEnN") != std::string::npos)
        return std::nullopt;
    if (v < -32768.0 || v > 32767.0)
        return std::nullopt;
    return static_cast<int>(std::nearbyint(v));
}

// A memory address of one to four hexadecimal digits.
std::optional<std::uint16_t> address(const std::string& s) {
    if (s.empty() || s.size() > 4 || !std::all_of(s.begin(), s.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c));
        }))
        return std::nullopt;
    return static_cast<std::uint16_t>(std::strtoul(s.c_str(), nullptr, 16));
}

} // namespace

void AmpModel::handleCommand(const std::string& raw) {
    std::string line = trimmed(raw);
    std::transform(line.begin(), line.end(), line.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    // The keyword is the leading letters: the value commands put the number's sign right
    // after it ("BAND 3", "BAND-1").
    const auto split =
        std::find_if(line.begin(), line.end(), [](unsigned char c) { return !std::isalpha(c); });
    const std::string keyword(line.begin(), split);
    const std::string arg = trimmed(std::string(split, line.end()));

    using Handler = void (AmpModel::*)(const std::string&);
    static constexpr std::pair<std::string_view, Handler> kCommands[] = {
        {"AC", &AmpModel::cmdAc},     {"STAT", &AmpModel::cmdStat},
        {"OPER", &AmpModel::cmdOper}, {"MODE", &AmpModel::cmdMode},
        {"BAND", &AmpModel::cmdBand}, {"SEG", &AmpModel::cmdSeg},
        {"FREQ", &AmpModel::cmdFreq}, {"TUNE", &AmpModel::cmdTune},
        {"LOAD", &AmpModel::cmdLoad}, {"DEF", &AmpModel::cmdDef},
        {"ENT", &AmpModel::cmdEnt},   {"AUTOTUNE", &AmpModel::cmdAutotune},
        {"GPIO", &AmpModel::cmdGpio}, {"EXT", &AmpModel::cmdExt},
        {"RM", &AmpModel::cmdRm},     {"DM", &AmpModel::cmdDm},
    };
    Handler handler = nullptr;
    for (const auto& [name, h] : kCommands) {
        if (name == keyword)
            handler = h;
    }
    if (state_ == PowerState::Off && !line.empty() && keyword != "AC" && keyword != "DM") {
        // With the mains off only the controller is alive. It keeps the interface switches and
        // answers memory reads (a reader asks for its calibration once, at start-up); anything
        // else gets the one answer it has.
        if (keyword == "GPIO" || keyword == "EXT" || keyword == "RM")
            (this->*handler)(arg);
        sendAmplifier();
        return;
    }
    // Anything not understood gets no answer.
    if (handler)
        (this->*handler)(arg);
}

void AmpModel::cmdAc(const std::string& arg) {
    if (arg == "ON") {
        if (state_ == PowerState::Off)
            powerOn();
        else
            sendState();
    } else if (arg == "OFF") {
        powerOff();
    } else {
        sendAmplifier();
    }
}

void AmpModel::cmdStat(const std::string&) {
    sendStatus();
}

void AmpModel::cmdOper(const std::string& arg) {
    if (state_ != PowerState::WarmingUp) {
        if (arg == "ON") {
            if (fault_ != 0) {
                // Operate stays locked until "OPER OFF" acknowledges the fault.
                sendFault(fault_, FaultForm::KeyValue);
            } else {
                state_ = PowerState::Operate;
            }
        } else if (arg == "OFF") {
            fault_ = 0;
            leaveOperate();
        }
    }
    sendState();
}

void AmpModel::cmdMode(const std::string& arg) {
    if (arg == "HIGH")
        highPower_ = true;
    else if (arg == "LOW")
        highPower_ = false;
    sendMode();
}

void AmpModel::cmdBand(const std::string& arg) {
    const auto band = wholeNumber(arg);
    if (band && BandPlan::validBand(*band) && *band != band_) {
        selectSegment(*band, lastSegment_[*band]);
        sendBand();
        sendTuning();
        startAutotune();
        return;
    }
    sendBand(); // refused or unchanged: say where it still is
}

void AmpModel::cmdSeg(const std::string& arg) {
    const auto segment = wholeNumber(arg);
    if (segment && BandPlan::validSegment(*segment) && *segment != segment_) {
        selectSegment(band_, *segment);
        sendBand();
        sendTuning();
        startAutotune();
        return;
    }
    sendBand();
}

void AmpModel::cmdFreq(const std::string& arg) {
    const auto khz = wholeNumber(arg);
    const auto where = khz ? BandPlan::locate(*khz) : std::nullopt;
    if (!where) {
        sendBand();
        return;
    }
    if (where->band == band_ && where->segment == segment_) {
        frequencyKhz_ = *khz;
        sendBand();
        return;
    }
    selectSegment(where->band, where->segment, *khz);
    sendBand();
    sendTuning();
    startAutotune();
}

void AmpModel::cmdTune(const std::string& arg) {
    if (const auto v = wholeNumber(arg)) {
        tune_ = std::clamp(*v, 0, BandPlan::kMaxSetting); // end stops
        stopAutotune();                                   // the operator takes over
    }
    sendLine("TUNE = " + std::to_string(tune_));
}

void AmpModel::cmdLoad(const std::string& arg) {
    if (const auto v = wholeNumber(arg)) {
        load_ = std::clamp(*v, 0, BandPlan::kMaxSetting);
        stopAutotune();
    }
    sendLine("LOAD = " + std::to_string(load_));
}

void AmpModel::cmdDef(const std::string&) {
    stopAutotune();
    tune_ = BandPlan::defaultTune(band_, segment_);
    load_ = BandPlan::defaultLoad(band_, segment_);
    sendTuning();
}

void AmpModel::cmdEnt(const std::string&) {
    stored_[{band_, segment_}] = {tune_, load_};
    sendTuning();
}

void AmpModel::cmdAutotune(const std::string& arg) {
    if (arg == "ON") {
        autotune_ = true;
        sendAutotune();
        startAutotune();
        return;
    }
    if (arg == "OFF") {
        autotune_ = false;
        stopAutotune();
    }
    sendAutotune();
}

// Interface set-up switches: accepted silently while the mains are on. None may answer with a
// line beginning "RM", which a reader takes for metering.
void AmpModel::cmdGpio(const std::string& arg) {
    if (arg == "ON" || arg == "OFF")
        gpio_ = arg == "ON";
}

void AmpModel::cmdExt(const std::string& arg) {
    if (arg == "ON" || arg == "OFF")
        ext_ = arg == "ON";
}

void AmpModel::cmdRm(const std::string& arg) {
    if (arg == "ON" || arg == "OFF")
        remoteMetering_ = arg == "ON";
}

void AmpModel::cmdDm(const std::string& arg) {
    const auto where = address(arg);
    if (!where)
        return;
    char text[32];
    std::snprintf(text, sizeof text, "%04X = %04X", *where, memory(*where));
    sendLine(text);
}

} // namespace tarvex::sim
