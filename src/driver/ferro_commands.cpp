#include "ferro_driver.h"

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

void FerroDriver::sendGuarded(const std::function<void()>& send) {
    try {
        send();
    } catch (const std::exception&) {
        // A port that failed to open or went away: the message line already says why, and a
        // click on a panel must never stop the program.
    }
}

void FerroDriver::i_ac_ValueChange() {
    if (mInReport || !i_ac)
        return;
    sendGuarded([&] {
        SendCommand(i_ac->Value().toBoolean() ? QStringLiteral("AC ON") : QStringLiteral("AC OFF"));
    });
}

void FerroDriver::i_oper_ValueChange() {
    if (mInReport || !i_oper)
        return;
    sendGuarded([&] {
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
    sendGuarded([&] {
        SendCommand(i_hv->Value().toBoolean() ? QStringLiteral("MODE HIGH")
                                              : QStringLiteral("MODE LOW"));
    });
}

void FerroDriver::i_trim_ValueChange() {
    if (mInReport || !i_trim)
        return;
    sendGuarded([&] {
        SendCommand(i_trim->Value().toBoolean() ? QStringLiteral("AUTOTUNE ON")
                                                : QStringLiteral("AUTOTUNE OFF"));
    });
}

void FerroDriver::i_band_ValueChange() {
    sendGuarded([&] { SendValueCommand(QStringLiteral("BAND"), i_band); });
}

void FerroDriver::i_segment_ValueChange() {
    sendGuarded([&] { SendValueCommand(QStringLiteral("SEG"), i_segment); });
}

void FerroDriver::i_freq_ValueChange() {
    sendGuarded([&] { SendValueCommand(QStringLiteral("FREQ"), i_freq); });
}

void FerroDriver::i_tune_ValueChange() {
    sendGuarded([&] { SendValueCommand(QStringLiteral("TUNE"), i_tune); });
}

void FerroDriver::i_load_ValueChange() {
    sendGuarded([&] { SendValueCommand(QStringLiteral("LOAD"), i_load); });
}

void FerroDriver::i_def_ValueChange() {
    if (!i_def)
        return;
    sendGuarded([&] {
        const auto same = i_def->Value().equals(Variant(true));
        if (!same.value_or(false))
            return;
        try {
            SendCommand(QStringLiteral("DEF"));
        } catch (const std::exception&) {
        }
        i_def->setValue(std::int16_t{0}); // a momentary key: it reads false again
    });
}

void FerroDriver::i_ent_ValueChange() {
    if (!i_ent)
        return;
    sendGuarded([&] {
        if (!i_ent->Value().equals(Variant(true)).value_or(false))
            return;
        try {
            SendCommand(QStringLiteral("ENT"));
        } catch (const std::exception&) {
        }
        i_ent->setValue(std::int16_t{0});
    });
}

void FerroDriver::mitDebugToUnit_ValueChange() {
    if (!mitDebugToUnit)
        return;
    sendGuarded([&] { SendCommand(mitDebugToUnit->Value().toString()); });
}

} // namespace tarvex
