#pragma once

#include "binder.h"
#include "gauge_control.h"

#include <QPointer>
#include <QWidget>

namespace tarvex {

// Feeds a bar gauge the item's raw value as a 16-bit integer (fractions rounded, an empty item
// as 0); a null item shows the gauge's Min, an empty bar. Range and thresholds stay as the
// panel designed them. A value outside the 16-bit range, or one that is no number, leaves the
// gauge unchanged.
class BindBarGauge : public Binder {
public:
    void Bind(const ItemPtr& it, GaugeControl* ct);
    void UnBind() override;

private:
    void theItem_ValueChange();
    void UpdateControl();

    GaugeControl* theCtrl = nullptr;
    QPointer<QWidget> theWidget; // tells whether theCtrl still exists
};

} // namespace tarvex
