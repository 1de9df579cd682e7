#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvex::sim {

enum class PowerState { Off, WarmingUp, Standby, Operate };

// One "RM" line: five readings, each a digit 0..9 that the driver scales with the
// calibration words it reads from memory.
struct MeterDigits {
    int fwd = 0;
    int rfl = 0;
    int inp = 0;
    int grid = 0;
    int plate = 0;
};

// The two ways the amplifier announces a fault: "FAULT = 12" or "12 FAULT".
enum class FaultForm { KeyValue, CodeFirst };

// The amplifier's side of the serial protocol, without any I/O: bytes in through feed(),
// reply bytes out through the output handler (or queued for takeOutput()). Time only
// moves when told to (advance(), or poll() with a clock), so tests are deterministic.
class AmpModel {
public:
    using OutputHandler = std::function<void(const std::string& bytes)>;
    using Clock = std::function<std::int64_t()>;

    static constexpr int kDefaultWarmupMs = 180000; // the "3 Minute Warm-Up"
    static constexpr int kDefaultAutotuneStepMs = 250;
    static constexpr std::size_t kMaxCommandLength = 128;

    // Memory locations holding the metering calibration words.
    static constexpr std::uint16_t kCalForward = 0xB79D;
    static constexpr std::uint16_t kCalReflected = 0xB799;
    static constexpr std::uint16_t kCalInput = 0xB79B;
    static constexpr std::uint16_t kCalCurrent = 0xB791;
    static constexpr std::uint16_t kCalSpare = 0xB7A1;

    AmpModel();

    // --- wire ---------------------------------------------------------------------------
    // Received bytes; commands end with CR. A LF also ends a non-empty command, other
    // control bytes are dropped, and an over-long line is discarded whole.
    void feed(std::string_view bytes);
    // With a handler, each reply goes out as soon as it is made; without, it queues.
    void setOutputHandler(OutputHandler handler);
    std::string takeOutput();

    // --- time ---------------------------------------------------------------------------
    void advance(std::int64_t ms);
    // Optional wall clock (ms, monotonic). When set, every call first catches up with it;
    // poll() does only that.
    void setClock(Clock clock);
    void poll();
    std::int64_t nowMs() const { return nowMs_; }
    // Milliseconds until the next timed event (warm-up end, auto-tune step), or -1.
    std::int64_t msUntilNextEvent() const;
    void setWarmupMs(int ms) { warmupMs_ = ms < 0 ? 0 : ms; }
    int warmupMs() const { return warmupMs_; }
    void setAutotuneStepMs(int ms) { autotuneStepMs_ = ms < 1 ? 1 : ms; }

    // --- operations from outside the wire (front panel, test and benchmark control) -----
    void powerOnFromPanel(); // mains switched on at the amplifier: notice, then warm-up
    void powerOffFromPanel();
    // Latches the fault (a nonzero code drops operate to standby) and sends its report.
    void injectFault(int code, FaultForm form = FaultForm::KeyValue);
    void emitMeter(const MeterDigits& digits);
    // Sends one metering line with meterDigits() if metering is active; says whether it did.
    // The status report and leaving operate send the same readings as plain numbers.
    bool meterTick();
    void setMeterDigits(const MeterDigits& digits); // each clamped to 0..9
    MeterDigits meterDigits() const;
    void emitRaw(std::string_view line); // CR LF is appended
    void setMemory(std::uint16_t address, std::uint16_t value) { memory_[address] = value; }
    std::uint16_t memory(std::uint16_t address) const;

    // --- observation ----------------------------------------------------------------------
    const std::vector<std::string>& commandLog() const { return commandLog_; }
    // Called with every whole command line received (an over-long one is not a command).
    void setCommandObserver(std::function<void(const std::string& line)> observer) {
        commandObserver_ = std::move(observer);
    }
    const std::string& receivedBytes() const { return receivedBytes_; }
    void clearLog();
    void setLogging(bool on) { logging_ = on; } // benchmarks switch the logs off

    PowerState state() const { return state_; }
    bool acOn() const { return state_ != PowerState::Off; }
    bool highPower() const { return highPower_; }
    int band() const { return band_; }
    int segment() const { return segment_; }
    int frequencyKhz() const { return frequencyKhz_; }
    int tune() const { return tune_; }
    int load() const { return load_; }
    bool autotuneEnabled() const { return autotune_; }
    bool autotuneRunning() const { return tuning_; }
    int fault() const { return fault_; }
    bool remoteMetering() const { return remoteMetering_; }
    bool meteringActive() const { return remoteMetering_ && state_ == PowerState::Operate; }
    bool extEnabled() const { return ext_; }
    bool gpioEnabled() const { return gpio_; }

private:
    // amp_commands.cpp
    void handleCommand(const std::string& line);
    void cmdAc(const std::string& arg);
    void cmdStat(const std::string& arg);
    void cmdOper(const std::string& arg);
    void cmdMode(const std::string& arg);
    void cmdBand(const std::string& arg);
    void cmdSeg(const std::string& arg);
    void cmdFreq(const std::string& arg);
    void cmdTune(const std::string& arg);
    void cmdLoad(const std::string& arg);
    void cmdDef(const std::string& arg);
    void cmdEnt(const std::string& arg);
    void cmdAutotune(const std::string& arg);
    void cmdGpio(const std::string& arg);
    void cmdExt(const std::string& arg);
    void cmdRm(const std::string& arg);
    void cmdDm(const std::string& arg);

    // amp_reports.cpp
    void sendLine(std::string_view line);
    void sendState();
    void sendMode();
    void sendBand();
    void sendTuning();
    void sendAutotune();
    void sendFault(int code, FaultForm form);
    void sendAmplifier();
    void sendStatus();
    void sendReadings();

    // amp_model.cpp
    void finishLine();
    void advanceTo(std::int64_t t);
    void catchUp();
    void powerOn();
    void powerOff();
    void finishWarmup();
    void leaveOperate();
    void selectSegment(int band, int segment, std::optional<int> khz = std::nullopt);
    void startAutotune();
    void stopAutotune() { tuning_ = false; }
    void autotuneStep();

    OutputHandler output_;
    std::string pendingOutput_;
    Clock clock_;

    std::string lineBuffer_;
    bool lineOverflow_ = false;
    bool logging_ = true;
    std::vector<std::string> commandLog_;
    std::function<void(const std::string&)> commandObserver_;
    std::string receivedBytes_;

    std::int64_t nowMs_ = 0;
    int warmupMs_ = kDefaultWarmupMs;
    std::int64_t warmupEndsAt_ = 0;
    int autotuneStepMs_ = kDefaultAutotuneStepMs;
    std::int64_t nextTuneStepAt_ = 0;

    PowerState state_ = PowerState::Off;
    bool highPower_ = true;
    int band_ = 5;
    int segment_ = 2;
    int frequencyKhz_ = 0;
    int tune_ = 0;
    int load_ = 0;
    bool autotune_ = false;
    bool tuning_ = false;
    int fault_ = 0;
    bool remoteMetering_ = false;
    bool ext_ = false;
    bool gpio_ = true;
    std::optional<MeterDigits> meterDigits_;
    std::array<int, 10> lastSegment_{};                         // per band, index 1..9
    std::map<std::pair<int, int>, std::pair<int, int>> stored_; // (band,segment) -> (tune,load)
    std::map<std::uint16_t, std::uint16_t> memory_;
};

} // namespace tarvex::sim
