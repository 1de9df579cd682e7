#include "ferro_driver.h"

#include "core/guard.h"

#include "wire_format.h"

namespace tarvex {

namespace {
const char* const kStartupCommands[] = {"AC",      "STAT",    "GPIO OFF", "EXT ON",
                                        "RM ON",   "DM B79D", "DM B799",  "DM B79B",
                                        "DM B791", "DM B7A1", "AUTOTUNE"};
} // namespace

void FerroDriver::SendCommand(const QString& cmd) {
    if (mitTraceMode && mitTraceToUnit) {
        const int mode = mitTraceMode->Value().toInteger();
        if (mode == 1 || mode == 3)
            mitTraceToUnit->setValue(cmd);
    }
    if (mAmpPort == 0)
        return;
    if (!mCom)
        throw SerialError(tr("no serial service"));
    mCom->setOutput(cmd + QLatin1Char('\r'));
}

void FerroDriver::SendValueCommand(const QString& keyword, const ItemPtr& item) {
    if (mInReport)
        return;
    SendCommand(keyword + wire::signedDecimal(item->Value().toDouble()));
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
        SendCommand(i_ac->Value().toBoolean() ? QStringLiteral("AC ON") : QStringLiteral("AC OFF"));
    });
}

void FerroDriver::i_oper_ValueChange() {
    if (mInReport || !i_oper)
        return;
    guarded(lcDriver(), "command", [&] {
        if (i_oper->Value().toBoolean()) {
            if (i_fault && i_fault->Value().toInteger() != 0)
                SendCommand(QStringLiteral("OPER OFF"));
            SendCommand(QStringLiteral("OPER ON"));
        } else {
            SendCommand(QStringLiteral("OPER OFF"));
        }
    });
}

void FerroDriver::i_hv_ValueChange() {
    if (mInReport || !i_hv)
        return;
    guarded(lcDriver(), "command", [&] {
        SendCommand(i_hv->Value().toBoolean() ? QStringLiteral("MODE HIGH")
                                              : QStringLiteral("MODE LOW"));
    });
}

void FerroDriver::i_trim_ValueChange() {
    if (mInReport || !i_trim)
        return;
    guarded(lcDriver(), "command", [&] {
        SendCommand(i_trim->Value().toBoolean() ? QStringLiteral("AUTOTUNE ON")
                                                : QStringLiteral("AUTOTUNE OFF"));
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
        guarded(lcDriver(), "DEF", [&] { SendCommand(QStringLiteral("DEF")); });
        i_def->setValue(std::int16_t{0}); // a momentary key: it reads false again
    });
}

void FerroDriver::i_ent_ValueChange() {
    if (!i_ent)
        return;
    guarded(lcDriver(), "command", [&] {
        if (!i_ent->Value().equals(Variant(true)).value_or(false))
            return;
        guarded(lcDriver(), "ENT", [&] { SendCommand(QStringLiteral("ENT")); });
        i_ent->setValue(std::int16_t{0});
    });
}

void FerroDriver::mitDebugToUnit_ValueChange() {
    if (!mitDebugToUnit)
        return;
    guarded(lcDriver(), "command", [&] { SendCommand(mitDebugToUnit->Value().toString()); });
}

} // namespace tarvex
