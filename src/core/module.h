#pragma once

#include "hub.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace tarvex {

class PropertyBag;

// The one interface through which the server, the configuration dialog and the main window
// drive every producer or consumer of items: drivers, panels and diagnostic views.
class Module {
public:
    virtual ~Module() = default;

    virtual void Initialize(const HubPtr& theHub, std::int16_t theIndex) = 0;
    // Must cope with a module that was never initialized.
    virtual void Terminate() = 0;
    virtual void EditProperties() = 0;
    virtual QString Description() const = 0;
    virtual void WriteProps(PropertyBag& pb) = 0;
    virtual void ReadProps(PropertyBag& pb) = 0;

    // The main window hosts panels only for amplifier drivers; it asks here so that it need
    // not know the driver class.
    virtual bool isAmplifierDriver() const { return false; }
};

using ModulePtr = std::shared_ptr<Module>;
using ModuleList = std::vector<ModulePtr>;

} // namespace tarvex
