#include "bind_check_box.h"

#include "control_name.h"

namespace tarvex {

void BindCheckBox::Bind(const ItemPtr& it, QAbstractButton* ct) {
    UnBind();
    if (!it || !ct || !isBindingName(ct->objectName()))
        return;
    mValue = valuePart(ct->objectName());
    theItem = it;
    theCtrl = ct;
    track(connect(theItem.get(), &Item::ValueChange, this, &BindCheckBox::theItem_ValueChange));
    track(connect(ct, &QAbstractButton::toggled, this, &BindCheckBox::theCtrl_Click));
    // Guarded like a value change: binding alone must not rewrite the item (a plain box on an
    // item holding 5 would otherwise store true at once).
    mUpdating = true;
    guarded(lcBinding(), "binder", [this] { UpdateControl(); });
    mUpdating = false;
}

void BindCheckBox::UnBind() {
    Binder::UnBind();
    theCtrl = nullptr;
    mValue.reset();
    mUpdating = false;
}

void BindCheckBox::theItem_ValueChange() {
    const bool outer = mUpdating;
    mUpdating = true;
    guarded(lcBinding(), "binder", [this] { UpdateControl(); });
    mUpdating = outer;
}

void BindCheckBox::UpdateControl() {
    if (!theCtrl || !theItem)
        return;
    const Variant v = theItem->Value();
    if (v.isNull()) {
        theCtrl->setEnabled(false);
        return;
    }
    theCtrl->setEnabled(true);
    if (mValue)
        theCtrl->setChecked(v.equals(Variant(*mValue)).value_or(false));
    else
        theCtrl->setChecked(v.toBoolean()); // text that is no boolean leaves the box as it is
}

void BindCheckBox::theCtrl_Click() {
    guarded(lcBinding(), "binder", [this] {
        if (!theCtrl || !theItem)
            return;
        if (mValue) {
            if (theCtrl->isChecked())
                theItem->setValue(Variant(*mValue));
        } else if (!mUpdating) {
            UpdateItem();
        }
    });
}

void BindCheckBox::UpdateItem() {
    theItem->setValue(Variant(theCtrl->isChecked()));
}

} // namespace tarvex
