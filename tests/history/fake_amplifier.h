#pragma once

#include "core/amplifier_vocabulary.h"
#include "core/hub.h"
#include "core/item_info.h"

#include <QString>

namespace tarvex::test {

// An amplifier as the record meets it: the driver's items, made as the driver makes them
// (metadata first, then an empty first value that the item turns into false, 0 or empty text;
// the link where the port stands: open, nothing heard yet), and changed in the driver's order.
class FakeAmplifier {
public:
    FakeAmplifier(const HubPtr& hub, int index, const QString& deviceName) {
        const auto make = [&](const char* base, std::int32_t type, const Variant& first = {}) {
            auto info = std::make_shared<ItemInfo>();
            info->Metrics = type;
            ItemPtr it = hub->AttachItem(QString::number(index) + QLatin1String(base));
            it->setInfo(info);
            it->setValue(first);
            return it;
        };
        // Types: 0 a number, 6 text, 9 true or false.
        ac = make("ac", 9), oper = make("oper", 9), message = make("message", 6);
        fault = make("fault", 0), band = make("band", 0), pfwd = make("pfwd", 0);
        name = make("name", 6, deviceName), link = make(amp::kLink, 0, int(amp::Link::Silent));
        state = make(amp::kState, 0), faulttext = make(amp::kFaultText, 6);
        reportedband = make(amp::kReportedBand, 0);
        prfl = make("prfl", 0), pinp = make("pinp", 0), ig = make("ig", 0), ip = make("ip", 0);
        alarmtext = make(amp::kAlarmText, 6), alarm = make(amp::kAlarm, 0);
    }

    // The first line heard.
    void answer() { link->setValue(static_cast<int>(amp::Link::Up)); }
    // The port lost, or the amplifier silent: the reason, the meters zeroed, then the link.
    void lose(const QString& reason, amp::Link to = amp::Link::Down) {
        message->setValue(reason);
        pfwd->setValue(0);
        state->setValue(static_cast<int>(amp::State::Unknown));
        link->setValue(static_cast<int>(to));
    }
    void report(amp::State s) { state->setValue(static_cast<int>(s)); }
    // The alarm monitor: the text, then the level.
    void raise(amp::Alarm level, const QString& text) {
        alarmtext->setValue(text);
        alarm->setValue(static_cast<int>(level));
    }
    void reportFault(int code, const QString& text) {
        faulttext->setValue(text);
        fault->setValue(code);
        message->setValue(QStringLiteral("%1: %2").arg(code).arg(text));
    }

    ItemPtr ac, oper, message, fault, band, pfwd, name, link, state, faulttext, reportedband;
    ItemPtr prfl, pinp, ig, ip, alarm, alarmtext;
};

} // namespace tarvex::test
