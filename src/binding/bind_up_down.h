#pragma once

#include "binder.h"
#include "up_down_control.h"

#include <QPointer>
#include <QWidget>

namespace tarvex {

// Binds an up-down: its range is the item's Low..High, it shows the value (disabled while the
// item is empty or null), and every change of its value is written back as a 32-bit integer.
// The control's own notification after the binder showed a value writes that same value, which
// the item takes as no change. A value outside the range leaves the control unchanged.
class BindUpDown : public Binder {
public:
    void Bind(const ItemPtr& it, UpDownControl* ct);
    void UnBind() override;

private:
    void theItem_ValueChange();
    void theItem_InfoChange();
    void theCtrl_Change();
    void ApplyRange();
    void UpdateControl();
    void UpdateItem();
    UpDownControl* control() const { return theWidget ? theCtrl : nullptr; }

    UpDownControl* theCtrl = nullptr;
    QPointer<QWidget> theWidget; // tells whether theCtrl still exists
    bool mApplyingRange = false;
};

} // namespace tarvex
