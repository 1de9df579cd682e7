#pragma once

#include "core/amplifier_vocabulary.h"
#include "core/hub.h"

#include <QHash>
#include <QString>

#include <memory>

namespace tarvex {

// One amplifier's items in the hub, by base name ("band", "pfwd"), as a panel reaches them:
// the station never calls a driver. Reading an item that is missing gives the empty value.
// Copies share what they have found: a hub never loses an item, and a server asks for the same
// few items on every command.
class AmplifierItems {
public:
    AmplifierItems(HubPtr hub, int index)
        : mHub(std::move(hub)), mIndex(index), mFound(std::make_shared<QHash<QString, ItemPtr>>()) {
    }

    ItemPtr item(const QString& base) const;
    Variant value(const QString& base) const;
    int integer(const QString& base) const;
    // What the driver alone publishes: whether the amplifier can be reached (Down when there is
    // no driver behind the index), and the power state it last reported.
    amp::Link link() const;
    amp::State state() const;
    // Mains on by its own report: warming up, standing by or operating.
    bool reportsMainsOn() const;
    // Assigns through the item, so the driver's command path acts on it. False when the item
    // is missing or refused the value; nothing is thrown.
    bool write(const QString& base, const Variant& v) const;

    int index() const { return mIndex; }
    const HubPtr& hub() const { return mHub; }
    // "Amplifier 1 (Name)", for messages and the info line.
    QString title() const;

private:
    HubPtr mHub;
    int mIndex;
    std::shared_ptr<QHash<QString, ItemPtr>> mFound; // by base name
};

} // namespace tarvex
