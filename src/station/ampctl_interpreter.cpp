#include "ampctl_interpreter.h"

#include "band_switch.h"
#include "core/band_table.h"
#include "core/swr.h"
#include "peak_hold.h"

#include <tarvex/version.h>

#include <QRegularExpression>

#include <cmath>

namespace tarvex {

namespace {

const QByteArray kLevels = "SWR PWRINPUT PWRFORWARD PWRREFLECTED PWRPEAK FAULT ";

QByteArray number(qint64 n) {
    return QByteArray::number(n);
}

} // namespace

AmpctlInterpreter::AmpctlInterpreter(AmplifierItems amp, const PeakHold& peak, BandSwitch& bands)
    : mAmp(std::move(amp)), mPeak(peak), mBands(bands) {}

int AmpctlInterpreter::powerStat(const AmplifierItems& amp) {
    if (!amp.flag(QStringLiteral("ac")))
        return 0;
    if (amp.flag(QStringLiteral("warmup")))
        return 1;
    return amp.flag(QStringLiteral("oper")) ? 4 : 2;
}

AmpctlInterpreter::Reply AmpctlInterpreter::handle(QByteArray line) {
    line = line.trimmed();
    if (line.isEmpty())
        return {};
    QByteArray command;
    QByteArray arg;
    if (!mWaiting.isEmpty()) {
        command = std::exchange(mWaiting, {});
        arg = line;
    } else {
        const qsizetype space = line.indexOf(' ');
        command = space < 0 ? line : line.left(space);
        arg = space < 0 ? QByteArray() : line.mid(space + 1).trimmed();
    }
    const bool extended = command.startsWith('+');
    const QByteArray name = extended ? command.mid(1) : command;
    if (name == "q" || name == "Q")
        return {{}, true};
    static const QByteArrayList kNeedArgument = {"\\set_powerstat", "l", "\\get_level", "F",
                                                 "\\set_freq",      "L", "\\set_level"};
    if (arg.isEmpty() && kNeedArgument.contains(name)) {
        mWaiting = command;
        return {};
    }
    bool known = true;
    const Answer a = run(name, arg.split(' ').value(0), &known);
    if (!known)
        return {};
    QByteArray out;
    const QByteArray report = "RPRT " + number(-a.error) + '\n';
    if (extended) {
        out = a.header + '\n';
        for (const QByteArray& l : a.extended)
            out += l + '\n';
        out += report;
    } else if (a.isSet || a.error != kOk) {
        out = report;
    } else {
        for (const QByteArray& l : a.plain)
            out += l + '\n';
    }
    return {out, false};
}

AmpctlInterpreter::Answer AmpctlInterpreter::run(const QByteArray& name, const QByteArray& arg,
                                                 bool* known) {
    if (name == "\\get_powerstat") {
        const QByteArray stat = number(powerStat(mAmp));
        return {"get_powerstat:", {stat}, {"Power Status: " + stat}};
    }
    if (name == "\\set_powerstat")
        return setPowerStat(arg);
    if (name == "l" || name == "\\get_level")
        return getLevel(arg);
    if (name == "L" || name == "\\set_level")
        return {"set_level: " + arg, {}, {}, kNotAvailable, true};
    if (name == "f" || name == "\\get_freq") {
        const QByteArray hz = number(qint64{mAmp.integer(QStringLiteral("freq"))} * 1000);
        return {"get_freq:", {hz}, {"Frequency(Hz): " + hz}};
    }
    if (name == "F" || name == "\\set_freq")
        return setFrequency(arg);
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
    const int code = mAmp.integer(QStringLiteral("fault"));
    if (code == 0)
        return "No Fault";
    // The driver shows a fault as "12: text" on the message line; that text is the one to
    // give, unless something has been written over it since.
    QString message;
    mAmp.value(QStringLiteral("message")).tryToString(message);
    static const QRegularExpression kFault(QStringLiteral("^\\s*(-?\\d+): (.+)$"));
    const auto m = kFault.match(message);
    if (m.hasMatch() && m.captured(1).toInt() == code)
        return m.captured(2).toUtf8();
    return "Fault " + number(code);
}

bool AmpctlInterpreter::transmitting() const {
    const ItemPtr ptt = mAmp.hub()->GetItem(QStringLiteral("rig.ptt"));
    bool on = false;
    return ptt && ptt->Value().tryToBoolean(on) == 0 && on;
}

AmpctlInterpreter::Answer AmpctlInterpreter::setPowerStat(const QByteArray& arg) {
    Answer a{"set_powerstat: " + arg, {}, {}, kOk, true};
    bool ok = false;
    const int stat = arg.toInt(&ok);
    const char* item = stat == 0 || stat == 1 ? "ac" : "oper";
    if (!ok || (stat != 0 && stat != 1 && stat != 2 && stat != 4))
        a.error = kInvalid;
    else if (!mAmp.write(QString::fromLatin1(item), stat == 1 || stat == 4))
        a.error = kIo;
    return a;
}

AmpctlInterpreter::Answer AmpctlInterpreter::setFrequency(const QByteArray& arg) {
    Answer a{"set_freq: " + arg, {}, {}, kOk, true};
    bool ok = false;
    const double hz = arg.toDouble(&ok);
    const auto band = ok && std::isfinite(hz) ? BandTable::bandOf(std::llround(hz)) : std::nullopt;
    if (!band) {
        a.error = kInvalid;
    } else if (transmitting() || !mAmp.flag(QStringLiteral("ac"))) {
        // Not while the radio transmits, as band following; and an amplifier with its mains
        // off cannot move.
        a.error = kRejected;
    } else {
        mBands.request(*band, true);
        const auto khz = static_cast<std::int16_t>(std::lround(hz / 1000.0));
        if (!mAmp.write(QStringLiteral("freq"), khz))
            a.error = kIo;
    }
    return a;
}

} // namespace tarvex
