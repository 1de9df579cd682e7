#include "ampctl_interpreter.h"

#include "band_switch.h"
#include "core/band_table.h"
#include "core/swr.h"
#include "peak_hold.h"
#include "rig_items.h"
#include "station_log.h"

#include <tarvex/version.h>

#include <cmath>

namespace tarvex {

namespace {

const QString kReportedFreq = QString::fromLatin1(amp::kReportedFreq);
const QString kFaultText = QString::fromLatin1(amp::kFaultText);
const QByteArray kLevels = "SWR PWRINPUT PWRFORWARD PWRREFLECTED PWRPEAK FAULT ";
const QByteArrayList kSets = {"\\set_powerstat", "F", "\\set_freq", "L", "\\set_level"};
// Commands that take the next line as their argument when they have none.
const QByteArrayList kNeedArgument = kSets + QByteArrayList{"l", "\\get_level"};

QByteArray bare(const QByteArray& command) {
    return command.startsWith('+') ? command.mid(1) : command;
}

QByteArray number(qint64 n) {
    return QByteArray::number(n);
}

AmpctlInterpreter::Answer failed(AmpctlInterpreter::Answer a, int error) {
    a.error = error;
    return a;
}

} // namespace

AmpctlInterpreter::AmpctlInterpreter(AmplifierItems amp, const PeakHold& peak, BandSwitch& bands)
    : mAmp(std::move(amp)), mPeak(peak), mBands(bands) {}

std::optional<int> AmpctlInterpreter::powerStat(amp::State state) {
    switch (state) {
    case amp::State::Off:
        return 0;
    case amp::State::WarmUp:
        return 1;
    case amp::State::Standby:
        return 2;
    case amp::State::Operate:
        return 4;
    case amp::State::Unknown:
        break;
    }
    return std::nullopt;
}

AmpctlInterpreter::Parsed AmpctlInterpreter::parse(const QByteArray& line) const {
    if (!mWaiting.isEmpty())
        return {mWaiting, line, true};
    const qsizetype space = line.indexOf(' ');
    return {space < 0 ? line : line.left(space),
            space < 0 ? QByteArray() : line.mid(space + 1).trimmed()};
}

bool AmpctlInterpreter::wouldSet(const QByteArray& line) const {
    const QByteArray trimmed = line.trimmed();
    if (trimmed.isEmpty())
        return false;
    const Parsed p = parse(trimmed);
    return (p.fromWaiting || !p.arg.isEmpty()) && kSets.contains(bare(p.command));
}

AmpctlInterpreter::Reply AmpctlInterpreter::handle(QByteArray line) {
    line = line.trimmed();
    if (line.isEmpty())
        return {};
    const Parsed p = parse(line);
    mWaiting.clear();
    const QByteArray& command = p.command;
    const QByteArray& arg = p.arg;
    const bool extended = command.startsWith('+');
    const QByteArray name = bare(command);
    if (name == "q" || name == "Q")
        return {{}, true};
    if (arg.isEmpty() && !p.fromWaiting && kNeedArgument.contains(name)) {
        mWaiting = command;
        return {};
    }
    bool known = true;
    const qsizetype space = arg.indexOf(' ');
    const Answer a = run(name, space < 0 ? arg : arg.left(space), &known);
    if (!known)
        return {};
    QByteArray out;
    const auto report = [&a] { return "RPRT " + number(-a.error) + '\n'; };
    if (extended) {
        out = a.header + '\n';
        for (const QByteArray& l : a.extended)
            out += l + '\n';
        out += report();
    } else if (a.isSet || a.error != kOk) {
        out = report();
    } else {
        for (const QByteArray& l : a.plain)
            out += l + '\n';
    }
    return {out, false};
}

AmpctlInterpreter::Answer AmpctlInterpreter::run(const QByteArray& name, const QByteArray& arg,
                                                 bool* known) {
    // Asked is not done: a set goes only to an amplifier that answers, and a get while the port
    // is down has nothing true to give. Both fail as the daemon's own backends fail then.
    const amp::Link link = mAmp.link();
    if (name == "\\get_powerstat") {
        const auto stat = link == amp::Link::Up ? powerStat(mAmp.state()) : std::nullopt;
        if (!stat)
            return {"get_powerstat:", {}, {}, kIo};
        return {"get_powerstat:", {number(*stat)}, {"Power Status: " + number(*stat)}};
    }
    if (name == "\\set_powerstat")
        return link == amp::Link::Up ? setPowerStat(arg)
                                     : failed({"set_powerstat: " + arg, {}, {}, kOk, true}, kIo);
    if (name == "l" || name == "\\get_level") {
        const Answer a = getLevel(arg);
        return link == amp::Link::Down && arg != "?" ? failed(a, kIo) : a;
    }
    if (name == "L" || name == "\\set_level")
        return {"set_level: " + arg, {}, {}, link == amp::Link::Up ? kNotAvailable : kIo, true};
    if (name == "f" || name == "\\get_freq") {
        const QByteArray hz = number(qint64{mAmp.integer(kReportedFreq)} * 1000);
        const Answer a{"get_freq:", {hz}, {"Frequency(Hz): " + hz}};
        return link == amp::Link::Down ? failed(a, kIo) : a;
    }
    if (name == "F" || name == "\\set_freq")
        return link == amp::Link::Up ? setFrequency(arg)
                                     : failed({"set_freq: " + arg, {}, {}, kOk, true}, kIo);
    // What the server itself is; true whatever the amplifier does.
    if (name == "_" || name == "\\get_info") {
        const QByteArray info = QStringLiteral("Tarvex %1, %2")
                                    .arg(QString::fromLatin1(version::kFull), mAmp.title())
                                    .toUtf8();
        return {"get_info:", {info}, {"Info: " + info}};
    }
    if (name == "\\dump_state")
        return {"dump_state:", {"0"}, {"ampctld Protocol Ver: 0", "Amplifier Model: Ferro"}};
    *known = false;
    return {};
}

AmpctlInterpreter::Answer AmpctlInterpreter::getLevel(const QByteArray& level) const {
    QByteArray value;
    if (level == "?") {
        value = kLevels;
    } else if (level == "PWRFORWARD") {
        value = number(mAmp.integer(QStringLiteral("pfwd")));
    } else if (level == "PWRREFLECTED") {
        value = number(mAmp.integer(QStringLiteral("prfl")));
    } else if (level == "PWRINPUT") {
        value = number(mAmp.integer(QStringLiteral("pinp")));
    } else if (level == "PWRPEAK") {
        value = number(mPeak.peak());
    } else if (level == "SWR") {
        value = QByteArray::number(
            swr(mAmp.integer(QStringLiteral("pfwd")), mAmp.integer(QStringLiteral("prfl"))), 'f',
            6);
    } else if (level == "FAULT") {
        value = faultText();
    } else {
        return {"get_level: " + level, {}, {}, kInvalid};
    }
    return {"get_level: " + level, {value}, {value}};
}

QByteArray AmpctlInterpreter::faultText() const {
    QString text;
    mAmp.value(kFaultText).tryToString(text);
    return text.isEmpty() ? QByteArray("No Fault") : text.toUtf8();
}

AmpctlInterpreter::Answer AmpctlInterpreter::setPowerStat(const QByteArray& arg) {
    Answer a{"set_powerstat: " + arg, {}, {}, kOk, true};
    bool ok = false;
    const int stat = arg.toInt(&ok);
    const QString item = stat == 0 || stat == 1 ? QStringLiteral("ac") : QStringLiteral("oper");
    if (!ok || (stat != 0 && stat != 1 && stat != 2 && stat != 4)) {
        a.error = kInvalid;
    } else if (stat == 4 && mBands.rf().present()) {
        qCInfo(lcStation).noquote() << mAmp.title() << "refused operate from a client: RF present";
        a.error = kRejected;
    } else if (!mAmp.write(item, stat == 1 || stat == 4)) {
        a.error = kIo;
    }
    return a;
}

AmpctlInterpreter::Answer AmpctlInterpreter::setFrequency(const QByteArray& arg) {
    Answer a{"set_freq: " + arg, {}, {}, kOk, true};
    bool ok = false;
    const double hz = arg.toDouble(&ok);
    const auto band = ok && std::isfinite(hz) ? BandTable::bandOf(std::llround(hz)) : std::nullopt;
    if (!band)
        return failed(a, kInvalid);
    // Following would put it straight back, and a reply of success would be a lie.
    if (mBands.followed()) {
        qCInfo(lcStation).noquote()
            << mAmp.title() << "refused a client's frequency: it follows the radio's band";
        return failed(a, kRejected);
    }
    // Not while the radio transmits or nobody knows whether it does, as band following.
    if (!RigItems::allowsBandChange(mAmp.hub()))
        return failed(a, kRejected);
    switch (mBands.request(*band, true)) {
    case BandSwitch::Result::Sent:
    case BandSwitch::Result::AlreadyThere:
    case BandSwitch::Result::AlreadyTried:
        break;
    case BandSwitch::Result::MainsOff:
    case BandSwitch::Result::UnderPower:
        return failed(a, kRejected);
    case BandSwitch::Result::Unreachable:
    case BandSwitch::Result::NoAmplifier:
        return failed(a, kIo);
    }
    // The frequency picks the segment inside the band; only the band report confirms either.
    const auto khz = static_cast<std::int16_t>(std::lround(hz / 1000.0));
    if (!mAmp.write(QStringLiteral("freq"), khz))
        a.error = kIo;
    return a;
}

} // namespace tarvex
