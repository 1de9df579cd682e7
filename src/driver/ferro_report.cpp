#include "ferro_driver.h"

#include "core/guard.h"

#include "fault_table.h"
#include "ferro_messages.h"
#include "wire_format.h"

#include <algorithm>
#include <cmath>

namespace tarvex {

namespace {

// Sets a flag for the lifetime of a scope, even when the scope is left by an exception.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : mFlag(flag) { mFlag = true; }
    ~FlagScope() { mFlag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& mFlag;
};

// The whole number of thousandths in a reported value, rounded down. A decimal such as 1.001 is
// held a hair below itself, so its product 1000.9999999999999 must still count as 1001.
double floorThousandths(double v) {
    const double t = v * 1000;
    const double nearest = std::nearbyint(t);
    return std::fabs(t - nearest) <= 1e-9 * std::max(1.0, std::fabs(t)) ? nearest : std::floor(t);
}

} // namespace

void FerroDriver::OnAmpMsg2(QStringView key, QStringView value) {
    if (!i_ac)
        return;
    const double lv = wire::leadingNumber(value);
    double n = lv < 32767 ? std::nearbyint(lv) : 0;

    FlagScope inReport(mInReport);
    QString faultValue;
    if (value == u"FAULT") {
        const double lk = wire::leadingNumber(key);
        if (lk > 0) {
            n = std::nearbyint(lk);
            key = u"FAULT";
            faultValue = wire::signedDecimal(n);
            value = faultValue;
        }
    }
    // A number that does not fit its item ends this report; the items keep what they had.
    guarded(lcDriver(), "report", [&] { applyReport(key, value, n); });
}

void FerroDriver::applyReport(QStringView key, QStringView value, double n) {
    const Variant empty;
    if (key == u"FAULT") {
        const auto code = wire::toInt16(n);
        if (!code)
            return;
        i_faulttext->setValue(FaultText(*code));
        i_fault->setValue(*code);
        i_message->setValue(value.toString() + QStringLiteral(": ") + FaultText(*code));
    } else if (key == u"STATE") {
        if (value == u"OPERATE") {
            i_oper->setValue(true);
            i_warmup->setValue(false);
            i_message->setValue(QString::fromLatin1(kMsgOperating));
            i_faulttext->setValue(QString());
            i_fault->setValue(std::int16_t{0});
            i_warmup->setValue(false);
            i_ac->setValue(true);
            setState(amp::State::Operate);
        } else if (value == u"STANDBY") {
            i_ac->setValue(true);
            i_oper->setValue(false);
            i_warmup->setValue(false);
            if (i_fault->Value().toInteger() == 0)
                i_message->setValue(QString::fromLatin1(kMsgStandingBy));
            setState(amp::State::Standby);
        } else if (value == u"WARMUP") {
            i_ac->setValue(true);
            i_oper->setValue(false);
            i_warmup->setValue(true);
            setState(amp::State::WarmUp);
        }
    } else if (key == u"MODE") {
        i_hv->setValue(value != u"LOW");
        i_reportedhv->setValue(value != u"LOW");
    } else if (key == u"AMPLIFIER") {
        if (value == u"OFF") {
            i_ac->setValue(false);
            i_message->setValue(QString::fromLatin1(kMsgPowerOff));
            i_faulttext->setValue(QString());
            for (const ItemPtr& it : {i_warmup, i_fault, i_oper, i_hv, i_band, i_segment})
                it->setValue(empty);
            for (const ItemPtr& it : {i_reportedband, i_reportedsegment, i_reportedhv})
                it->setValue(empty);
            setState(amp::State::Off);
        } else {
            i_ac->setValue(true);
            // On, but in which state it has yet to say.
            if (i_state->Value().toInteger() == static_cast<int>(amp::State::Off))
                setState(amp::State::Unknown);
        }
    } else if (key == u"AUTOTUNE") {
        const bool enabled = value == u"ENABLED";
        i_trim->setValue(enabled);
        i_reportedtrim->setValue(enabled);
        i_message->setValue(enabled ? QString::fromLatin1(kMsgAutoTuneOn)
                                    : QString::fromLatin1(kMsgAutoTuneOff));
    } else if (key == u"IP") {
        assignNumber(i_ip, key, floorThousandths(wire::leadingNumber(value)));
    } else {
        const ItemPtr* target = nullptr;
        if (key == u"FREQUENCY")
            target = &i_freq;
        else if (key == u"BAND")
            target = &i_band;
        else if (key == u"SEGMENT")
            target = &i_segment;
        else if (key == u"TUNE")
            target = &i_tune;
        else if (key == u"LOAD")
            target = &i_load;
        else if (key == u"IG")
            target = &i_ig;
        else if (key == u"FWD")
            target = &i_pfwd;
        else if (key == u"RFL")
            target = &i_prfl;
        else if (key == u"INP")
            target = &i_pinp;
        if (!target)
            return;
        assignNumber(*target, key, n);
        // Only the amplifier's own report confirms a setting; its twin holds what it said.
        const std::pair<const ItemPtr*, const ItemPtr*> kTwins[] = {
            {&i_band, &i_reportedband}, {&i_freq, &i_reportedfreq},
            {&i_segment, &i_reportedsegment}, {&i_tune, &i_reportedtune},
            {&i_load, &i_reportedload}};
        for (const auto& [panel, reported] : kTwins) {
            if (target == panel)
                assignNumber(*reported, key, n);
        }
        if (target == &i_band && mAwaitedBand != 0 &&
            i_reportedband->Value().toInteger() == mAwaitedBand) {
            mAwaitedBand = 0;
            mBandDeadline.stop();
        }
    }
}

void FerroDriver::assignNumber(const ItemPtr& item, QStringView key, double n) {
    // Out of range is routine on a noisy line; refused without the cost of a throw.
    if (const std::int32_t e = item->trySetValue(n))
        qCDebug(lcDriver) << "report" << key << "skipped: error" << e;
}

} // namespace tarvex
