#pragma once

#include "core/amplifier_vocabulary.h"
#include "core/hub.h"

#include <QString>

#include <optional>

namespace tarvex {

// One amplifier's items in the hub, by base name ("band", "reportedband"): the remote panel
// never calls a driver. A missing item reads as the empty value.
class RemoteAmplifier {
public:
    RemoteAmplifier(HubPtr hub, int index) : mHub(std::move(hub)), mIndex(index) {}

    ItemPtr item(const QString& base) const;
    Variant value(const QString& base) const;
    // The value as a whole number; nullopt when it is empty (not reported yet) or no number.
    std::optional<int> number(const QString& base) const;
    std::optional<bool> flag(const QString& base) const;
    QString text(const QString& base) const;
    amp::Link link() const;
    amp::State state() const;

    // Assigns through the item, so the driver's command path acts on it. Empty text when the
    // item took the value, else why not; nothing is thrown.
    QString write(const QString& base, const Variant& v) const;

    int index() const { return mIndex; }
    int number() const { return mIndex + 1; }
    const HubPtr& hub() const { return mHub; }

private:
    HubPtr mHub;
    int mIndex;
};

} // namespace tarvex
