#include "ferro_driver.h"

#include "ferro_messages.h"
#include "wire_format.h"

#include "core/pass_end.h"

namespace tarvex {

namespace {

// The receive buffer holds at most this many characters without a line end; beyond that the
// text cannot be a line the amplifier sends, and keeping it would let memory grow without bound.
constexpr qsizetype kMaxRxBuffer = 32767;

const QString kLineEnd = QStringLiteral("\r\n");

// Removes spaces only: a lone CR or LF is line content.
QStringView trimSpaces(QStringView s) {
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && s[b] == u' ')
        ++b;
    while (e > b && s[e - 1] == u' ')
        --e;
    return s.mid(b, e - b);
}

// The separator of a key/value line: " = ", else " IS ", else the first single space.
// Returns its 0-based position (or -1) and its length.
std::pair<qsizetype, qsizetype> findSeparator(QStringView msg) {
    if (const qsizetype p = msg.indexOf(u" = "); p >= 0)
        return {p, 3};
    if (const qsizetype p = msg.indexOf(u" IS "); p >= 0)
        return {p, 4};
    return {msg.indexOf(u' '), 1};
}

} // namespace

void FerroDriver::mCom_OnComm() {
    // What listeners do once a line is whole (judge alarms, close a second of the record) runs
    // as this returns: the lines read are then whole, and the driver takes commands again.
    const PassScope pass;
    try {
        if (mCom && mCom->commEvent() == SerialLink::kEventReceive)
            ReceiveChars();
    } catch (const std::exception&) {
        // A bad line must never stop the program; the next one is handled afresh.
    }
}

void FerroDriver::ReceiveChars() {
    mRxBuffer += mCom->input();
    for (;;) {
        const qsizetype end = mRxBuffer.indexOf(kLineEnd);
        if (end < 0)
            break;
        // Out of the buffer before it is handled: a line that throws must not run again with
        // the next chunk, nor take the lines after it along.
        const QString line = mRxBuffer.left(end);
        mRxBuffer.remove(0, end + 2);
        if (line.isEmpty())
            continue;
        try {
            if (mSilence)
                mSilence->heard();
            if (mLink != amp::Link::Up)
                setLink(amp::Link::Up);
            traceReceived(line);
            DispatchLine(line);
        } catch (const std::exception&) {
            // A bad line must never stop the program; the next one is handled afresh.
        }
    }
    if (mRxBuffer.size() > kMaxRxBuffer) {
        // Keep a trailing CR: it may be the first half of the next line end.
        const bool keepCr = mRxBuffer.endsWith(u'\r');
        mRxBuffer = keepCr ? QStringLiteral("\r") : QString();
    }
}

void FerroDriver::traceReceived(const QString& line) {
    if (!mitTraceMode || !mitTraceFromUnit)
        return;
    try {
        const int mode = mitTraceMode->Value().toInteger();
        if (mode == 2 || mode == 3)
            mitTraceFromUnit->setValue(line);
    } catch (const std::exception&) {
    }
}

void FerroDriver::DispatchLine(const QString& line) {
    if (!line.isEmpty())
        OnAmpMsg(line);
}

void FerroDriver::mitDebugFromUnit_ValueChange() {
    try {
        DispatchLine(mitDebugFromUnit->Value().toString());
    } catch (const std::exception&) {
    }
}

void FerroDriver::OnAmpMsg(const QString& line) {
    if (!i_ac)
        return; // not running
    if (line == u"POWER ON SEQUENCE") {
        // Deliberately without echo suppression: the amplifier has just been switched on
        // and the command handlers answer it.
        i_warmup->setValue(true);
        i_ac->setValue(true);
        i_oper->setValue(false);
        i_message->setValue(QString::fromLatin1(kMsgWarmUp));
        setState(amp::State::WarmUp);
        return;
    }
    if (line.startsWith(u"RM")) {
        OnAmpRM(QStringView(line).right(5));
        return;
    }
    // A line may carry several reports; each one after the first is dispatched as a line of
    // its own, in order (a loop rather than recursion keeps long lines off the stack). Views
    // into the line spare a copy per piece.
    QStringView msg = line;
    for (;;) {
        const auto [sep, sepLen] = findSeparator(msg);
        if (sep + 1 <= 2)
            return;
        const QStringView key = trimSpaces(msg.left(sep + 1));
        const QStringView value = trimSpaces(msg.mid(sep + sepLen));
        if (key.size() == 4 && key.startsWith(u"B7")) {
            OnAmpDM(key.toString(), value.toString());
            return;
        }
        const qsizetype sp = value.indexOf(u' ');
        if (sp < 0) {
            OnAmpMsg2(key, value);
            return;
        }
        OnAmpMsg2(key, trimSpaces(value.left(sp + 1)));
        if (!i_ac)
            return;
        msg = trimSpaces(value.mid(sp));
        if (msg.isEmpty())
            return;
        if (msg == u"POWER ON SEQUENCE" || msg.startsWith(u"RM")) {
            OnAmpMsg(msg.toString());
            return;
        }
    }
}

void FerroDriver::OnAmpRM(QStringView lastFive) {
    if (lastFive.size() < 5)
        return; // too short to carry five readings
    int d[5];
    for (int k = 0; k < 5; ++k)
        d[k] = (lastFive[k].unicode() & 0xFF) - 48;
    // Products in 32 bits, then divided by 256 and rounded half to even.
    auto meter = [](std::int32_t product) { return wire::toInt16(product / 256.0); };
    const std::optional<std::int16_t> values[5] = {
        meter(d[0] * d[0] * std::int32_t{mCal[kCalFwd]}),
        meter(d[1] * d[1] * std::int32_t{mCal[kCalRfl]}),
        meter(d[2] * d[2] * std::int32_t{mCal[kCalInp]}),
        meter(d[3] * std::int32_t{mCal[kCalGrid]}),
        meter(d[4] * std::int32_t{mCal[kCalGrid]} * 20),
    };
    const ItemPtr items[5] = {i_pfwd, i_prfl, i_pinp, i_ig, i_ip};
    for (int k = 0; k < 5; ++k) {
        // A reading beyond 16 bits (a character far past "9") leaves that meter as it was.
        if (values[k] && items[k])
            items[k]->setValue(*values[k]);
    }
}

void FerroDriver::OnAmpDM(const QString& key, const QString& value) {
    const auto h = wire::parseHex(value.left(5));
    if (!h)
        return; // beyond FFFF: not a calibration value
    static const char* const kLocations[kCalCount] = {"B79D", "B799", "B79B", "B791", "B7A1"};
    for (int slot = 0; slot < kCalCount; ++slot) {
        if (key == QLatin1String(kLocations[slot]))
            mCal[static_cast<std::size_t>(slot)] = *h;
    }
}

} // namespace tarvex
