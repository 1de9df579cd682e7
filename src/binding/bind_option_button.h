#pragma once

#include "binder.h"

#include <QAbstractButton>
#include <QPointer>

#include <cstdint>

namespace tarvex {

// Binds one option button of a group ("U_oper_1", "U_oper_0"): selected while the item holds
// the button's value part, and writing that value when it becomes selected.
//
// Items whose Metrics has bit 0 or 3 set compare as booleans: true selects the button of value
// 1, false every other. Becoming selected, by the user or by the program, is the click
// (QAbstractButton::toggled to true); so at Bind a button that the item's empty value selects
// writes its value into the item. Without metadata the selection is left alone.
class BindOptionButton : public Binder {
public:
    // Does nothing when the control's name has no value part. Throws VariantError when the
    // value part is not a whole number.
    void Bind(const ItemPtr& it, QAbstractButton* ct);
    void UnBind() override;

private:
    void theItem_ValueChange();
    void theCtrl_Click();
    void UpdateControl();

    QPointer<QAbstractButton> theCtrl;
    std::int16_t mValue = 0;
};

} // namespace tarvex
