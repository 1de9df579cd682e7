#include "ferro_driver.h"

#include "core/guard.h"

#include "wire_format.h"

namespace tarvex {

namespace {
const char* const kStartupCommands[] = {"AC",      "STAT",    "GPIO OFF", "EXT ON",
                                        "RM ON",   "DM B79D", "DM B799",  "DM B79B",
                                        "DM B791", "DM B7A1", "AUTOTUNE"};
} // namespace

namespace {
using Urgency = CommandQueue::Urgency;
// Characters the line may still hold before the next command goes to it: a few commands'
// worth, so commands flow back to back, while an urgent one never waits behind more.
constexpr qint64 kMaxPendingOutput = 16;
} // namespace

void FerroDriver::traceCommand(const QString& cmd) {
    if (mitTraceMode && mitTraceToUnit) {
        const int mode = mitTraceMode->Value().toInteger();
        if (mode == 1 || mode == 3)
            mitTraceToUnit->setValue(cmd);
    }
}

void FerroDriver::SendCommand(const QString& cmd) {
    SendCommand(QStringList{cmd}, QString());
}

void FerroDriver::SendCommand(const QStringList& lines, const QString& control,
                              Urgency urgency) {
    if (mAmpPort == 0 || !mCom || !mCom->portOpen()) {
        // Traced as asked; nothing waits for a port that is not there, so nothing stale is
        // written when it returns.
        for (const QString& cmd : lines)
            traceCommand(cmd);
        if (mAmpPort == 0)
            return;
        if (!mCom)
            throw SerialError(tr("no serial service"));
        mCom->setOutput(lines.value(0) + QLatin1Char('\r')); // says why it cannot
        return;
    }
    mOutgoing.push(control, lines, urgency);
    pumpCommands();
}

void FerroDriver::pumpCommands() {
    while (!mOutgoing.empty() && mCom && mCom->pendingOutput() <= kMaxPendingOutput) {
        const QStringList lines = *mOutgoing.pop();
        for (const QString& cmd : lines) {
            traceCommand(cmd);
            try {
                mCom->setOutput(cmd + QLatin1Char('\r'));
            } catch (const SerialError&) {
                // The port failed under the write; its loss is reported on its own, and
                // nothing asked before it may go out after a return.
                mOutgoing.clear();
                throw;
            }
        }
    }
}

void FerroDriver::SendValueCommand(const QString& keyword, const ItemPtr& item) {
    if (mInReport)
        return;
    SendCommand(QStringList{keyword + wire::signedDecimal(item->Value().toDouble())},
                keyword);
}

void FerroDriver::SendStartupCommands() {
    // A command that cannot be written ends the list.
    for (const char* cmd : kStartupCommands)
        SendCommand(QString::fromLatin1(cmd));
}

void FerroDriver::i_ac_ValueChange() {
    watchSilence(); // whoever changed it: only an amplifier with mains on is expected to talk
    if (mInReport || !i_ac)
        return;
    guarded(lcDriver(), "command", [&] {
        // Mains off goes before anything else that waits: it is how trouble is stopped.
        if (i_ac->Value().toBoolean())
            SendCommand({QStringLiteral("AC ON")}, QStringLiteral("AC"));
        else
            SendCommand({QStringLiteral("AC OFF")}, QStringLiteral("AC"), Urgency::First);
    });
}

void FerroDriver::i_oper_ValueChange() {
    if (mInReport || !i_oper)
        return;
    guarded(lcDriver(), "command", [&] {
        if (i_oper->Value().toBoolean()) {
            QStringList lines{QStringLiteral("OPER ON")};
            if (i_fault && i_fault->Value().toInteger() != 0)
                lines.prepend(QStringLiteral("OPER OFF")); // acknowledges the fault first
            SendCommand(lines, QStringLiteral("OPER"));
        } else {
            SendCommand({QStringLiteral("OPER OFF")}, QStringLiteral("OPER"), Urgency::First);
        }
    });
}

void FerroDriver::i_hv_ValueChange() {
    if (mInReport || !i_hv)
        return;
    guarded(lcDriver(), "command", [&] {
        SendCommand({i_hv->Value().toBoolean() ? QStringLiteral("MODE HIGH")
                                               : QStringLiteral("MODE LOW")},
                    QStringLiteral("MODE"));
    });
}

void FerroDriver::i_trim_ValueChange() {
    if (mInReport || !i_trim)
        return;
    guarded(lcDriver(), "command", [&] {
        SendCommand({i_trim->Value().toBoolean() ? QStringLiteral("AUTOTUNE ON")
                                                 : QStringLiteral("AUTOTUNE OFF")},
                    QStringLiteral("AUTOTUNE"));
    });
}

void FerroDriver::i_band_ValueChange() {
    if (mInReport || !i_band)
        return;
    guarded(lcDriver(), "command", [&] {
        // Asked is not done: the amplifier's band report must follow, whoever asked.
        mAwaitedBand = i_band->Value().toInteger();
        mBandDeadline.start();
        SendValueCommand(QStringLiteral("BAND"), i_band);
    });
}

void FerroDriver::i_segment_ValueChange() {
    guarded(lcDriver(), "command", [&] { SendValueCommand(QStringLiteral("SEG"), i_segment); });
}

void FerroDriver::i_freq_ValueChange() {
    guarded(lcDriver(), "command", [&] { SendValueCommand(QStringLiteral("FREQ"), i_freq); });
}

void FerroDriver::i_tune_ValueChange() {
    guarded(lcDriver(), "command", [&] { SendValueCommand(QStringLiteral("TUNE"), i_tune); });
}

void FerroDriver::i_load_ValueChange() {
    guarded(lcDriver(), "command", [&] { SendValueCommand(QStringLiteral("LOAD"), i_load); });
}

void FerroDriver::i_def_ValueChange() {
    if (!i_def)
        return;
    guarded(lcDriver(), "command", [&] {
        const auto same = i_def->Value().equals(Variant(true));
        if (!same.value_or(false))
            return;
        guarded(lcDriver(), "DEF", [&] { SendCommand({QStringLiteral("DEF")}, QStringLiteral("DEF")); });
        i_def->setValue(std::int16_t{0}); // a momentary key: it reads false again
    });
}

void FerroDriver::i_ent_ValueChange() {
    if (!i_ent)
        return;
    guarded(lcDriver(), "command", [&] {
        if (!i_ent->Value().equals(Variant(true)).value_or(false))
            return;
        guarded(lcDriver(), "ENT", [&] { SendCommand({QStringLiteral("ENT")}, QStringLiteral("ENT")); });
        i_ent->setValue(std::int16_t{0});
    });
}

void FerroDriver::mitDebugToUnit_ValueChange() {
    if (!mitDebugToUnit)
        return;
    guarded(lcDriver(), "command", [&] { SendCommand(mitDebugToUnit->Value().toString()); });
}

} // namespace tarvex
