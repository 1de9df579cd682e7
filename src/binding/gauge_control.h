#pragma once

#include <cstdint>

class QWidget;

namespace tarvex {

// What the gauge binder needs of the bar gauge. The gauge lives in the ui layer and implements
// this interface besides being a QWidget; Bindings recognises it by dynamic_cast.
//
// Contract for implementers: setValue stores the 16-bit value and redraws the bar; Refresh
// repaints without recomputing it.
class GaugeControl {
public:
    virtual ~GaugeControl() = default;

    virtual std::int16_t min() const = 0;
    virtual void setValue(std::int16_t value) = 0;
    virtual void Refresh() = 0;

    // The control itself, for lifetime tracking.
    virtual QWidget* widget() = 0;

protected:
    GaugeControl() = default;
    GaugeControl(const GaugeControl&) = default;
    GaugeControl& operator=(const GaugeControl&) = default;
};

} // namespace tarvex
