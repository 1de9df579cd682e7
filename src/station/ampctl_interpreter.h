#pragma once

#include "amplifier_items.h"

#include <QByteArray>

#include <optional>

namespace tarvex {

class BandSwitch;
class PeakHold;

// One client's side of the amplifier protocol: a line in, the reply out, in the daemon's own
// forms. A get answers its value line(s), a set "RPRT n" with the usual error numbers, "+"
// in front gives the extended form, an unknown command gets no reply. A command whose
// argument is missing takes the next line as its argument, as the daemon does.
// Values come from what the amplifier reported, never from what a panel or client wrote: a set
// while the amplifier does not answer, and a get while its port is down, fail with kIo (and
// the power state too while it is silent). What could hurt is refused with kRejected: a
// frequency while the radio transmits or may, while the amplifier shows RF, or while the
// amplifier follows the radio; operate while it shows RF. Standby and off are always carried
// out: they are how trouble is stopped.
class AmpctlInterpreter {
public:
    enum class Command; // what a line asks for, by its short or long name
    // The protocol's error numbers (answered negated).
    enum Error { kOk = 0, kInvalid = 1, kIo = 6, kRejected = 9, kNotAvailable = 11 };

    struct Reply {
        QByteArray text;
        bool close = false;
    };

    AmpctlInterpreter(AmplifierItems amp, const PeakHold& peak, BandSwitch& bands);

    Reply handle(QByteArray line);
    // Whether handling this line would carry out a set command, the argument of one waiting
    // included.
    bool wouldSet(const QByteArray& line) const;

    // The protocol's power status of a reported state: 0 mains off, 1 warming up, 2 standby,
    // 4 operating; nullopt while unknown.
    static std::optional<int> powerStat(amp::State state);

    // Lines without their newlines. The plain form of a set, or of a get that failed, is
    // "RPRT n" alone. A get fills only the form asked for.
    struct Answer {
        const char* name = ""; // the extended form's first line ("set_freq:") ...
        QByteArray echo;       // ... with the argument after it, for a set or a level
        QByteArrayList plain;
        QByteArrayList extended;
        int error = kOk;
        bool isSet = false;
    };

private:
    // Parts of the line parsed, valid while it is.
    struct Parsed {
        QByteArray command; // "+" included
        QByteArray arg;
        bool fromWaiting = false;
    };
    Parsed parse(const QByteArray& trimmedLine) const;

    Answer run(Command command, const QByteArray& arg, bool extended);
    Answer getLevel(const QByteArray& level) const;
    Answer setPowerStat(const QByteArray& arg);
    Answer setFrequency(const QByteArray& arg);
    QByteArray faultText() const;

    AmplifierItems mAmp;
    const PeakHold& mPeak;
    BandSwitch& mBands;
    QByteArray mWaiting; // a command, "+" included, whose argument is the next line
};

} // namespace tarvex
