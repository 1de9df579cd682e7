#include "item.h"

#include "hub.h"

namespace tarvex {

Item::Item() = default;

std::int32_t Item::convert(const Variant& v, Variant& out) const {
    auto as = [&]<typename T>(std::int32_t (Variant::*tryTo)(T&) const) {
        T value{};
        const std::int32_t e = (v.*tryTo)(value);
        if (e == 0)
            out = Variant(value);
        return e;
    };
    switch (mInfo->typeCode()) {
    case ItemInfo::kInt:
        return as(&Variant::tryToInteger);
    case ItemInfo::kLong:
        return as(&Variant::tryToLong);
    case ItemInfo::kStr:
        return as(&Variant::tryToString);
    case ItemInfo::kBool:
        return as(&Variant::tryToBoolean);
    case ItemInfo::kByte:
        return as(&Variant::tryToByte);
    default:
        out = v;
        return 0;
    }
}

void Item::setValue(const Variant& vData) {
    if (const std::int32_t e = trySetValue(vData))
        throw VariantError::conversion(e);
}

std::int32_t Item::trySetValue(const Variant& vData) {
    if (!mInfo)
        return 0;
    Variant converted;
    if (const std::int32_t e = convert(vData, converted))
        return e; // before anything changes
    if (!mValue.isEmpty()) {
        const auto same = mValue.equals(converted);
        if (!same.has_value() || *same)
            return 0; // equal, or undecidable because of a null
    }
    mLastValue = std::move(mValue);
    mValue = std::move(converted);
    announceValueChange();
    return 0;
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
