#include "ampctl_interpreter.h"

#include "band_switch.h"
#include "core/band_table.h"
#include "core/swr.h"
#include "peak_hold.h"
#include "rig_items.h"
#include "station_log.h"

#include <tarvex/version.h>

#include <QHash>

#include <cctype>
#include <cmath>

namespace tarvex {

namespace {

const QString kReportedFreq = QString::fromLatin1(amp::kReportedFreq);
const QString kFaultText = QString::fromLatin1(amp::kFaultText);
const QByteArray kLevels = "SWR PWRINPUT PWRFORWARD PWRREFLECTED PWRPEAK FAULT ";

} // namespace

enum class AmpctlInterpreter::Command {
    Unknown,
    Quit,
    GetPowerStat,
    SetPowerStat,
    GetLevel,
    SetLevel,
    GetFreq,
    SetFreq,
    Info,
    DumpState
};

namespace {

using Command = AmpctlInterpreter::Command;

struct CommandKind {
    Command command = Command::Unknown;
    bool set = false;
    bool needsArgument = false; // without one, the next line is its argument
};

// By name, short and long; one lookup per line rather than a comparison per command.
const QHash<QByteArray, CommandKind> kCommands = {
    {"q", {Command::Quit}},
    {"Q", {Command::Quit}},
    {"\\get_powerstat", {Command::GetPowerStat}},
    {"\\set_powerstat", {Command::SetPowerStat, true, true}},
    {"l", {Command::GetLevel, false, true}},
    {"\\get_level", {Command::GetLevel, false, true}},
    {"L", {Command::SetLevel, true, true}},
    {"\\set_level", {Command::SetLevel, true, true}},
    {"f", {Command::GetFreq}},
    {"\\get_freq", {Command::GetFreq}},
    {"F", {Command::SetFreq, true, true}},
    {"\\set_freq", {Command::SetFreq, true, true}},
    {"_", {Command::Info}},
    {"\\get_info", {Command::Info}},
    {"\\dump_state", {Command::DumpState}},
};

// A part of a line, spaces around it left out, that lives while the line does: what is only
// looked at is not copied.
QByteArray part(const QByteArray& line, qsizetype from, qsizetype to) {
    while (from < to && std::isspace(uchar(line.at(from))))
        ++from;
    while (to > from && std::isspace(uchar(line.at(to - 1))))
        --to;
    return QByteArray::fromRawData(line.constData() + from, to - from);
}

QByteArray bare(const QByteArray& command) {
    return command.startsWith('+') ? part(command, 1, command.size()) : command;
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
    if (space < 0)
        return {line, {}};
    return {part(line, 0, space), part(line, space + 1, line.size())};
}

bool AmpctlInterpreter::wouldSet(const QByteArray& line) const {
    const QByteArray trimmed = line.trimmed();
    if (trimmed.isEmpty())
        return false;
    const Parsed p = parse(trimmed);
    return (p.fromWaiting || !p.arg.isEmpty()) && kCommands.value(bare(p.command)).set;
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
    const CommandKind kind = kCommands.value(bare(command));
    if (kind.command == Command::Quit)
        return {{}, true};
    if (arg.isEmpty() && !p.fromWaiting && kind.needsArgument) {
        mWaiting = QByteArray(command.constData(), command.size()); // outlives the line
        return {};
    }
    if (kind.command == Command::Unknown)
        return {};
    const qsizetype space = arg.indexOf(' ');
    const Answer a = run(kind.command, space < 0 ? arg : arg.left(space), extended);
    QByteArray out;
    const auto put = [&out](const QByteArray& text) {
        out += text;
        out += '\n';
    };
    if (extended) {
        put(a.echo.isEmpty() ? QByteArray(a.name) : a.name + (' ' + a.echo));
        for (const QByteArray& l : a.extended)
            put(l);
    }
    if (extended || a.isSet || a.error != kOk) {
        put("RPRT " + number(-a.error));
    } else {
        for (const QByteArray& l : a.plain)
            put(l);
    }
    return {out, false};
}

AmpctlInterpreter::Answer AmpctlInterpreter::run(Command command, const QByteArray& arg,
                                                 bool extended) {
    // Asked is not done: a set goes only to an amplifier that answers, and a get while the port
    // is down has nothing true to give. Both fail as the daemon's own backends fail then.
    const amp::Link link = mAmp.link();
    switch (command) {
    case Command::GetPowerStat: {
        const auto stat = link == amp::Link::Up ? powerStat(mAmp.state()) : std::nullopt;
        if (!stat)
            return {"get_powerstat:", {}, {}, {}, kIo};
        if (extended)
            return {"get_powerstat:", {}, {}, {"Power Status: " + number(*stat)}};
        return {"get_powerstat:", {}, {number(*stat)}, {}};
    }
    case Command::SetPowerStat:
        return link == amp::Link::Up ? setPowerStat(arg)
                                     : failed({"set_powerstat:", arg, {}, {}, kOk, true}, kIo);
    case Command::GetLevel: {
        const Answer a = getLevel(arg);
        return link == amp::Link::Down && arg != "?" ? failed(a, kIo) : a;
    }
    case Command::SetLevel:
        return {"set_level:", arg, {}, {}, link == amp::Link::Up ? kNotAvailable : kIo, true};
    case Command::GetFreq: {
        const QByteArray hz = number(qint64{mAmp.integer(kReportedFreq)} * 1000);
        const Answer a = extended ? Answer{"get_freq:", {}, {}, {"Frequency(Hz): " + hz}}
                                  : Answer{"get_freq:", {}, {hz}, {}};
        return link == amp::Link::Down ? failed(a, kIo) : a;
    }
    case Command::SetFreq:
        return link == amp::Link::Up ? setFrequency(arg)
                                     : failed({"set_freq:", arg, {}, {}, kOk, true}, kIo);
    case Command::Info: { // what the server itself is; true whatever the amplifier does
        const QByteArray info =
            "Tarvex " + QByteArray(version::kFull) + ", " + mAmp.title().toUtf8();
        return {"get_info:", {}, {info}, {"Info: " + info}};
    }
    case Command::DumpState:
        if (extended)
            return {"dump_state:", {}, {}, {"ampctld Protocol Ver: 0", "Amplifier Model: Ferro"}};
        return {"dump_state:", {}, {"0"}, {}};
    case Command::Unknown:
    case Command::Quit:
        break;
    }
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
        return {"get_level:", level, {}, {}, kInvalid};
    }
    return {"get_level:", level, {value}, {value}};
}

QByteArray AmpctlInterpreter::faultText() const {
    QString text;
    // A standing alarm says more than the fault code: what tripped, and what was done.
    if (mAmp.integer(QString::fromLatin1(amp::kAlarm)) != 0) {
        mAmp.value(QString::fromLatin1(amp::kAlarmText)).tryToString(text);
        if (!text.isEmpty())
            return text.toUtf8();
    }
    mAmp.value(kFaultText).tryToString(text);
    return text.isEmpty() ? QByteArray("No Fault") : text.toUtf8();
}

AmpctlInterpreter::Answer AmpctlInterpreter::setPowerStat(const QByteArray& arg) {
    Answer a{"set_powerstat:", arg, {}, {}, kOk, true};
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
    Answer a{"set_freq:", arg, {}, {}, kOk, true};
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
