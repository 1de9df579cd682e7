#pragma once

#include "core/hub.h"
#include "core/item_info.h"

#include <QString>

namespace tarvex::test {

// An amplifier's items as the driver makes them: metadata first, then an empty first value
// that the item turns into false, 0 or empty text.
struct AmplifierItems {
    AmplifierItems(const HubPtr& hub, int index, const QString& deviceName) {
        const auto make = [&](const char* base, std::int32_t type) {
            auto info = std::make_shared<ItemInfo>();
            info->Metrics = type;
            ItemPtr it = hub->AttachItem(QString::number(index) + QLatin1String(base));
            it->setInfo(info);
            it->setValue(Variant());
            return it;
        };
        ac = make("ac", 9), warmup = make("warmup", 9), fault = make("fault", 0);
        message = make("message", 6), name = make("name", 6);
        name->setValue(deviceName);
    }
    ItemPtr ac, warmup, fault, message, name;
};

} // namespace tarvex::test
