#include "ferro_driver.h"

namespace tarvex {

namespace {
constexpr std::int32_t kTypeInt = 0;
constexpr std::int32_t kTypeStr = 6;
constexpr std::int32_t kTypeBool = 9;
} // namespace

ItemPtr FerroDriver::MakeItem(const QString& baseName, std::int32_t low, std::int32_t high,
                              std::int32_t metrics, std::int32_t security, const QString& extended,
                              const Variant& initial) {
    auto ii = std::make_shared<ItemInfo>();
    ii->Extended = extended;
    ii->High = high;
    ii->Low = low;
    ii->Security = security;
    ii->Metrics = metrics;
    ItemPtr item = mHub->AttachItem(QString::number(mIndex) + baseName);
    item->setInfo(ii);
    item->setValue(initial);
    return item;
}

void FerroDriver::listen(const ItemPtr& item, void (FerroDriver::*handler)()) {
    connect(item.get(), &Item::ValueChange, this, handler);
}

void FerroDriver::CreateTraceItems() {
    const QString none;
    mitTraceMode = MakeItem(QStringLiteral("TraceMode"), 0, 3, 1039, 3,
                            QStringLiteral("Disabled,To Unit,From Unit,Both"), std::int16_t{0});
    mitTraceToUnit = MakeItem(QStringLiteral("TraceToUnit"), 0, 1, 4102, 3, none, Variant());
    mitTraceFromUnit = MakeItem(QStringLiteral("TraceFromUnit"), 0, 1, 4102, 3, none, Variant());
    mitDebugToUnit = MakeItem(QStringLiteral("DebugToUnit"), 0, 1, kTypeStr, 3, none, Variant());
    listen(mitDebugToUnit, &FerroDriver::mitDebugToUnit_ValueChange);
    mitDebugFromUnit =
        MakeItem(QStringLiteral("DebugFromUnit"), 0, 9, kTypeStr, 3, none, Variant());
    listen(mitDebugFromUnit, &FerroDriver::mitDebugFromUnit_ValueChange);
}

void FerroDriver::CreateItems() {
    const QString none;
    const Variant empty;
    auto make = [&](const char* base, std::int32_t low, std::int32_t high, std::int32_t metrics) {
        return MakeItem(QString::fromLatin1(base), low, high, metrics, 0, none, empty);
    };
    i_ac = make("ac", 0, 1, 521);
    listen(i_ac, &FerroDriver::i_ac_ValueChange);
    i_oper = make("oper", 0, 1, 521);
    listen(i_oper, &FerroDriver::i_oper_ValueChange);
    i_hv = make("hv", 0, 1, kTypeBool);
    listen(i_hv, &FerroDriver::i_hv_ValueChange);
    i_message = make("message", 0, 1, kTypeStr);
    i_warmup = make("warmup", 0, 1, kTypeBool);
    i_fault = make("fault", 0, 1, kTypeInt);
    i_band = make("band", 1, 9, kTypeInt);
    listen(i_band, &FerroDriver::i_band_ValueChange);
    i_segment = make("segment", 1, 5, kTypeInt);
    listen(i_segment, &FerroDriver::i_segment_ValueChange);
    i_ver = make("ver", 0, 1, kTypeStr);
    i_ser = make("ser", 0, 1, kTypeStr);
    i_freq = make("freq", 0, 1, kTypeInt);
    listen(i_freq, &FerroDriver::i_freq_ValueChange);
    i_tune = make("tune", 0, 100, kTypeInt);
    listen(i_tune, &FerroDriver::i_tune_ValueChange);
    i_load = make("load", 0, 100, kTypeInt);
    listen(i_load, &FerroDriver::i_load_ValueChange);
    i_ig = make("ig", 0, 1000, kTypeInt);
    i_ip = make("ip", 0, 10000, kTypeInt);
    i_pfwd = make("pfwd", 0, 10000, kTypeInt);
    i_prfl = make("prfl", 0, 10000, kTypeInt);
    i_pinp = make("pinp", 0, 10000, kTypeInt);
    i_def = make("def", 0, 1, kTypeBool);
    listen(i_def, &FerroDriver::i_def_ValueChange);
    i_ent = make("ent", 0, 1, kTypeBool);
    listen(i_ent, &FerroDriver::i_ent_ValueChange);
    i_trim = make("trim", 0, 1, kTypeBool);
    listen(i_trim, &FerroDriver::i_trim_ValueChange);
    i_name = MakeItem(QStringLiteral("name"), 0, 1, kTypeStr, 0, none, mDeviceName);
    // Beside the panel items: what the amplifier itself said, and whether it can be reached.
    i_link = MakeItem(QString::fromLatin1(amp::kLink), 0, 2, kTypeInt, 0,
                      QString::fromLatin1(amp::kLinkNames), static_cast<int>(mLink));
    i_state = MakeItem(QString::fromLatin1(amp::kState), 0, 4, kTypeInt, 0,
                       QString::fromLatin1(amp::kStateNames), empty);
    i_faulttext = make(amp::kFaultText, 0, 1, kTypeStr);
    i_reportedband = make(amp::kReportedBand, 0, 9, kTypeInt);
    i_reportedfreq = make(amp::kReportedFreq, 0, 1, kTypeInt);
    i_reportedsegment = make(amp::kReportedSegment, 0, 5, kTypeInt);
    i_reportedtune = make(amp::kReportedTune, 0, 100, kTypeInt);
    i_reportedload = make(amp::kReportedLoad, 0, 100, kTypeInt);
    i_reportedhv = make(amp::kReportedHv, 0, 1, kTypeBool);
    i_reportedtrim = make(amp::kReportedTrim, 0, 1, kTypeBool);
    SendStartupCommands();
}

void FerroDriver::ReleaseItems() {
    for (ItemPtr* ref : {&i_ac,
                         &i_oper,
                         &i_hv,
                         &i_band,
                         &i_segment,
                         &i_freq,
                         &i_tune,
                         &i_load,
                         &i_def,
                         &i_ent,
                         &i_trim,
                         &i_message,
                         &i_warmup,
                         &i_fault,
                         &i_ver,
                         &i_ser,
                         &i_ig,
                         &i_ip,
                         &i_pfwd,
                         &i_prfl,
                         &i_pinp,
                         &i_name,
                         &i_link,
                         &i_state,
                         &i_faulttext,
                         &i_reportedband,
                         &i_reportedfreq,
                         &i_reportedsegment,
                         &i_reportedtune,
                         &i_reportedload,
                         &i_reportedhv,
                         &i_reportedtrim,
                         &mitTraceMode,
                         &mitTraceToUnit,
                         &mitTraceFromUnit,
                         &mitDebugToUnit,
                         &mitDebugFromUnit}) {
        if (*ref)
            disconnect(ref->get(), nullptr, this, nullptr);
        ref->reset();
    }
}

} // namespace tarvex
