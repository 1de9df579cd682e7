#include "sim/amp_model.h"

#include "sim/band_plan.h"

#include <algorithm>
#include <utility>

namespace tarvex::sim {

AmpModel::AmpModel() {
    lastSegment_.fill(1);
    // Calibration words chosen so that full-scale digits ("RM 99999") nearly fill each of the
    // meter panel's bars: forward 30 W per digit squared (2430 W of 2500), reflected 3.25 W
    // (263 W of 270), input 1 W (81 W, a typical exciter's most); grid 16 mA per digit (144 mA
    // of 150) and plate twenty times that (2.88 A of 3.1).
    memory_[kCalForward] = 0x1E00;
    memory_[kCalReflected] = 0x0340;
    memory_[kCalInput] = 0x0100;
    memory_[kCalCurrent] = 0x1000;
    memory_[kCalSpare] = 0x0050;
    selectSegment(band_, segment_);
}

// --- wire ------------------------------------------------------------------------------------

void AmpModel::feed(std::string_view bytes) {
    catchUp();
    if (logging_)
        receivedBytes_.append(bytes);
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r') {
            finishLine();
        } else if (c == '\n') {
            // CR LF from a terminal program is one line end, not two.
            if (!lineBuffer_.empty() || lineOverflow_)
                finishLine();
        } else if (u < 0x20 || u >= 0x7F) {
            continue; // line noise
        } else if (lineBuffer_.size() >= kMaxCommandLength) {
            lineOverflow_ = true;
        } else {
            lineBuffer_.push_back(c);
        }
    }
}

void AmpModel::finishLine() {
    std::string line;
    std::swap(line, lineBuffer_);
    if (std::exchange(lineOverflow_, false))
        return;
    if (logging_)
        commandLog_.push_back(line);
    if (commandObserver_)
        commandObserver_(line);
    handleCommand(line);
}

void AmpModel::setOutputHandler(OutputHandler handler) {
    output_ = std::move(handler);
    if (output_ && !pendingOutput_.empty())
        output_(std::exchange(pendingOutput_, {}));
}

std::string AmpModel::takeOutput() {
    return std::exchange(pendingOutput_, {});
}

void AmpModel::sendLine(std::string_view line) {
    std::string bytes(line);
    bytes += "\r\n";
    if (output_)
        output_(bytes);
    else
        pendingOutput_ += bytes;
}

void AmpModel::clearLog() {
    commandLog_.clear();
    receivedBytes_.clear();
}

// --- time ------------------------------------------------------------------------------------

void AmpModel::advance(std::int64_t ms) {
    advanceTo(nowMs_ + std::max<std::int64_t>(ms, 0));
}

void AmpModel::setClock(Clock clock) {
    clock_ = std::move(clock);
    if (clock_)
        nowMs_ = clock_(); // a fresh clock defines "now"; nothing is due yet
}

void AmpModel::poll() {
    catchUp();
}

void AmpModel::catchUp() {
    if (clock_)
        advanceTo(clock_());
}

std::int64_t AmpModel::msUntilNextEvent() const {
    std::optional<std::int64_t> next;
    if (state_ == PowerState::WarmingUp)
        next = warmupEndsAt_;
    if (tuning_)
        next = next ? std::min(*next, nextTuneStepAt_) : nextTuneStepAt_;
    if (!next)
        return -1;
    return std::max<std::int64_t>(*next - nowMs_, 0);
}

void AmpModel::advanceTo(std::int64_t t) {
    // Events fire in time order, each seeing the clock at its own moment.
    for (;;) {
        const std::int64_t wait = msUntilNextEvent();
        if (wait < 0 || nowMs_ + wait > t)
            break;
        nowMs_ += wait;
        if (state_ == PowerState::WarmingUp && warmupEndsAt_ <= nowMs_)
            finishWarmup();
        else if (tuning_ && nextTuneStepAt_ <= nowMs_)
            autotuneStep();
    }
    nowMs_ = std::max(nowMs_, t);
}

// --- power -----------------------------------------------------------------------------------

void AmpModel::powerOn() {
    state_ = PowerState::WarmingUp;
    warmupEndsAt_ = nowMs_ + warmupMs_;
    sendLine("POWER ON SEQUENCE");
    if (warmupMs_ == 0)
        finishWarmup();
}

void AmpModel::finishWarmup() {
    state_ = PowerState::Standby;
    sendStatus();
}

void AmpModel::powerOff() {
    leaveOperate();
    state_ = PowerState::Off;
    fault_ = 0; // a power cycle clears a latched fault
    stopAutotune();
    sendAmplifier();
}

void AmpModel::powerOnFromPanel() {
    catchUp();
    if (state_ == PowerState::Off)
        powerOn();
}

void AmpModel::powerOffFromPanel() {
    catchUp();
    if (state_ != PowerState::Off)
        powerOff();
}

// --- faults, metering, raw lines ------------------------------------------------------------

void AmpModel::injectFault(int code, FaultForm form) {
    catchUp();
    if (code != 0) {
        fault_ = code;
        leaveOperate();
        stopAutotune();
    }
    sendFault(code, form);
    if (state_ != PowerState::Off)
        sendState();
}

void AmpModel::leaveOperate() {
    if (state_ != PowerState::Operate)
        return;
    state_ = PowerState::Standby;
    // The carrier is gone: say so, or the reader's meters would freeze at the last reading.
    sendReadings();
}

void AmpModel::setMeterDigits(const MeterDigits& d) {
    const auto digit = [](int v) { return std::clamp(v, 0, 9); };
    meterDigits_ =
        MeterDigits{digit(d.fwd), digit(d.rfl), digit(d.inp), digit(d.grid), digit(d.plate)};
}

MeterDigits AmpModel::meterDigits() const {
    if (meterDigits_)
        return *meterDigits_;
    // Unless told otherwise, a steady carrier: about 1500 W high, 500 W low.
    return highPower_ ? MeterDigits{7, 1, 5, 3, 6} : MeterDigits{4, 1, 3, 2, 3};
}

void AmpModel::emitMeter(const MeterDigits& d) {
    catchUp();
    std::string line = "RM ";
    for (int v : {d.fwd, d.rfl, d.inp, d.grid, d.plate})
        line.push_back(static_cast<char>('0' + std::clamp(v, 0, 9)));
    sendLine(line);
}

bool AmpModel::meterTick() {
    catchUp();
    if (!meteringActive())
        return false;
    emitMeter(meterDigits());
    return true;
}

void AmpModel::emitRaw(std::string_view line) {
    catchUp();
    sendLine(line);
}

std::uint16_t AmpModel::memory(std::uint16_t address) const {
    const auto it = memory_.find(address);
    return it == memory_.end() ? 0 : it->second;
}

// --- band, segment, tuning --------------------------------------------------------------------

void AmpModel::selectSegment(int band, int segment, std::optional<int> khz) {
    // The tuning of the segment being left is remembered only by "ENT".
    band_ = band;
    segment_ = segment;
    lastSegment_[band] = segment;
    frequencyKhz_ = khz.value_or(BandPlan::segmentCentreKhz(band, segment));
    const auto it = stored_.find({band, segment});
    tune_ = it != stored_.end() ? it->second.first : BandPlan::defaultTune(band, segment);
    load_ = it != stored_.end() ? it->second.second : BandPlan::defaultLoad(band, segment);
}

void AmpModel::startAutotune() {
    if (!autotune_ || state_ == PowerState::Off || state_ == PowerState::WarmingUp)
        return;
    tuning_ = true;
    nextTuneStepAt_ = nowMs_ + autotuneStepMs_;
}

void AmpModel::autotuneStep() {
    // The tuner walks both capacitors towards the segment's best setting, a few steps at a time.
    constexpr int kStep = 5;
    const auto toward = [](int from, int to) {
        return from < to ? std::min(from + kStep, to) : std::max(from - kStep, to);
    };
    const int tuneTarget = BandPlan::defaultTune(band_, segment_);
    const int loadTarget = BandPlan::defaultLoad(band_, segment_);
    tune_ = toward(tune_, tuneTarget);
    load_ = toward(load_, loadTarget);
    sendTuning();
    if (tune_ == tuneTarget && load_ == loadTarget)
        tuning_ = false;
    else
        nextTuneStepAt_ = nowMs_ + autotuneStepMs_;
}

} // namespace tarvex::sim
