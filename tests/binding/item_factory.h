#pragma once

#include "core/hub.h"

namespace tarvex::test {

// An item the way a driver publishes it: attached in a hub and given metadata, so that values
// stick. Type code 2 is none of the five coded types: values, null included, are stored as given.
inline ItemPtr publishedItem(const HubPtr& hub, const QString& name, int typeCode,
                             std::int32_t low = 0, std::int32_t high = 1) {
    ItemPtr it = hub->AttachItem(name);
    it->setInfo(std::make_shared<ItemInfo>(ItemInfo{low, high, typeCode, 0, {}}));
    return it;
}

// An item holding null. Only an empty item can become null: any comparison with null is
// undecided, so an item holding a value never takes null, nor does a null item leave it.
inline ItemPtr nullItem(const HubPtr& hub, const QString& name) {
    ItemPtr it = publishedItem(hub, name, 2);
    it->setValue(Variant::null());
    return it;
}

} // namespace tarvex::test
