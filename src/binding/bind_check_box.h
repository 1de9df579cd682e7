#pragma once

#include "binder.h"

#include <QAbstractButton>
#include <QPointer>

#include <cstdint>
#include <optional>

namespace tarvex {

// Binds a check box, or any checkable button used as one (a push-button-style toggle).
//
// A plain check box ("U_trim") shows whether the item's value is true and writes a boolean
// back; one with a value part ("U_mode_3") is checked when the item equals that number and
// writes the number when checked (unchecking writes nothing). The check state's change
// notification (QAbstractButton::toggled, raised for the program's own changes too) is the
// click; while the binder itself changes a plain box it writes nothing back, so showing 5 as
// checked never turns the 5 into true.
class BindCheckBox : public Binder {
public:
    // Does nothing when the control's name does not follow the naming rule. Throws
    // VariantError when the name's value part is not a whole number.
    void Bind(const ItemPtr& it, QAbstractButton* ct);
    void UnBind() override;

private:
    void theItem_ValueChange();
    void theCtrl_Click();
    void UpdateControl();
    void UpdateItem();

    QPointer<QAbstractButton> theCtrl;
    std::optional<std::int16_t> mValue;
    bool mUpdating = false;
};

} // namespace tarvex
