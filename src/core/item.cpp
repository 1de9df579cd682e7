#include "item.h"

#include "hub.h"

namespace tarvex {

Item::Item() = default;

Variant Item::convert(const Variant& v) const {
    switch (mInfo->typeCode()) {
    case ItemInfo::kInt:
        return v.toInteger();
    case ItemInfo::kLong:
        return v.toLong();
    case ItemInfo::kStr:
        return v.toString();
    case ItemInfo::kBool:
        return v.toBoolean();
    case ItemInfo::kByte:
        return v.toByte();
    default:
        return v;
    }
}

void Item::setValue(const Variant& vData) {
    if (!mInfo)
        return;
    Variant converted = convert(vData); // throws before anything changes
    if (!mValue.isEmpty()) {
        const auto same = mValue.equals(converted);
        if (!same.has_value() || *same)
            return; // equal, or undecidable because of a null
    }
    mLastValue = std::move(mValue);
    mValue = std::move(converted);
    announceValueChange();
}

void Item::setValueObject(ObjectRef ref) {
    mLastValue = std::move(mValue);
    mValue = Variant(std::move(ref));
    announceValueChange();
}

void Item::announceValueChange() {
    // Listeners may drop their last reference to us while we are still emitting.
    const auto keepAlive = weak_from_this().lock();
    emit ValueChange();
    if (auto hub = mHub.lock())
        hub->NotifyValueChange(keepAlive ? keepAlive : ItemPtr());
}

void Item::setHub(const HubPtr& vData) {
    if (!vData)
        return;
    if (mHasHub)
        throw VariantError(kErrHubReset, QStringLiteral("Tried to reset Hub on Item"));
    mHub = vData;
    mHasHub = true;
}

void Item::setInfo(const ItemInfoPtr& ii) {
    const auto keepAlive = weak_from_this().lock();
    mInfo = ii;
    if (auto hub = mHub.lock())
        hub->NotifyInfoChange(keepAlive);
    emit InfoChange();
}

} // namespace tarvex
