#pragma once

#include "item_info.h"
#include "variant.h"

#include <QObject>
#include <QString>

#include <memory>

namespace tarvex {

class Hub;
using HubPtr = std::shared_ptr<Hub>;

// A named value cell: remembers its previous value, carries metadata and announces changes.
// Created only by Hub::AttachItem. Its back reference to the hub does not own it.
class Item : public QObject, public std::enable_shared_from_this<Item> {
    Q_OBJECT

public:
    Item();

    // Plain assignment: converted by the data-type code of Info, stored and announced only when
    // it differs. Does nothing while the item has no Info. Throws VariantError when the value
    // cannot be converted; the item is then unchanged.
    void setValue(const Variant& vData);
    // The same, returning the conversion's error number (0 when assigned or equal) instead of
    // throwing it. What a handler throws while the change is announced still propagates.
    std::int32_t trySetValue(const Variant& vData);
    // Object assignment: stored and announced unconditionally, without conversion.
    void setValueObject(ObjectRef ref);
    // Copies: a handler reached while the caller still uses the value may assign the item.
    Variant Value() const { return mValue; }
    Variant LastValue() const { return mLastValue; }

    // Accepted once; a second hub throws 5555 "Tried to reset Hub on Item". No hub (null) is
    // not a hub: it neither counts as the one accepted nor throws.
    void setHub(const HubPtr& vData);
    HubPtr getHub() const { return mHub.lock(); }

    const QString& Name() const { return mName; }
    void setName(const QString& name) { mName = name; }

    const ItemInfoPtr& Info() const { return mInfo; }
    // Stores the record, then the hub raises ItemChangedInfo, then the item raises InfoChange.
    void setInfo(const ItemInfoPtr& ii);

signals:
    void InfoChange();
    void ValueChange();

private:
    // Converts to the item's data type: 0, or the conversion's error number.
    std::int32_t convert(const Variant& v, Variant& out) const;
    void announceValueChange();

    std::weak_ptr<Hub> mHub;
    bool mHasHub = false;
    QString mName;
    ItemInfoPtr mInfo;
    Variant mValue;
    Variant mLastValue = Variant::null();
};

using ItemPtr = std::shared_ptr<Item>;

} // namespace tarvex
