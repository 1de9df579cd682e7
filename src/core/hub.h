#pragma once

#include "item.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

namespace tarvex {

// The one registry of named items of a server run. Names compare without regard to case;
// the collection keeps insertion order and never shrinks.
class Hub : public QObject, public std::enable_shared_from_this<Hub> {
    Q_OBJECT

public:
    static HubPtr create();

    // A snapshot of the collection in creation order: a handler that attaches an item while the
    // caller walks it must not pull the ground from under the walk.
    std::vector<ItemPtr> GetItemCollection() const { return mItems; }
    // Returns the item of that name, creating it (and raising NewItem) when there is none.
    ItemPtr AttachItem(const QString& sName);
    // Returns the item of that name or null; never creates.
    ItemPtr GetItem(const QString& sName) const;

    void NotifyValueChange(const ItemPtr& itemChanging);
    void NotifyInfoChange(const ItemPtr& it);

signals:
    void ItemChangedValue(const tarvex::ItemPtr& it);
    void ItemChangedInfo(const tarvex::ItemPtr& it);
    void NewItem(const tarvex::ItemPtr& it);

private:
    Hub() = default;
    static QString key(const QString& name) { return name.toCaseFolded(); }

    std::vector<ItemPtr> mItems;
    QHash<QString, ItemPtr> mByName;
};

} // namespace tarvex
