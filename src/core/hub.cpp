#include "hub.h"

namespace tarvex {

HubPtr Hub::create() {
    return HubPtr(new Hub());
}

ItemPtr Hub::AttachItem(const QString& sName) {
    const QString k = key(sName);
    if (auto it = mByName.constFind(k); it != mByName.constEnd())
        return it.value();
    auto item = std::make_shared<Item>();
    item->setHub(shared_from_this());
    item->setName(sName);
    mItems.push_back(item);
    mByName.insert(k, item);
    emit NewItem(item);
    return item;
}

ItemPtr Hub::GetItem(const QString& sName) const {
    return mByName.value(key(sName));
}

void Hub::NotifyValueChange(const ItemPtr& itemChanging) {
    emit ItemChangedValue(itemChanging);
}

void Hub::NotifyInfoChange(const ItemPtr& it) {
    emit ItemChangedInfo(it);
}

} // namespace tarvex
