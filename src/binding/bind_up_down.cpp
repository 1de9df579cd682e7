#include "bind_up_down.h"

#include <algorithm>

namespace tarvex {

void BindUpDown::Bind(const ItemPtr& it, UpDownControl* ct) {
    UnBind();
    if (!it || !ct || !ct->widget())
        return;
    theItem = it;
    theCtrl = ct;
    theWidget = ct->widget();
    track(connect(theItem.get(), &Item::ValueChange, this, &BindUpDown::theItem_ValueChange));
    track(connect(theItem.get(), &Item::InfoChange, this, &BindUpDown::theItem_InfoChange));
    track(ct->connectValueChanged(this, [this] { theCtrl_Change(); }));
    guarded(lcBinding(), "binder", [this] {
        ApplyRange();
        UpdateControl();
    });
}

void BindUpDown::UnBind() {
    Binder::UnBind();
    theCtrl = nullptr;
    theWidget = nullptr;
}

void BindUpDown::theItem_ValueChange() {
    guarded(lcBinding(), "binder", [this] { UpdateControl(); });
}

void BindUpDown::theItem_InfoChange() {
    guarded(lcBinding(), "binder", [this] { ApplyRange(); });
}

void BindUpDown::theCtrl_Change() {
    if (!mApplyingRange)
        guarded(lcBinding(), "binder", [this] { UpdateItem(); });
}

void BindUpDown::ApplyRange() {
    UpDownControl* ct = control();
    if (!ct || !theItem || !theItem->Info())
        return;
    // A clamp into the new range is reported as a change; it is not the user's and must not
    // reach the item.
    mApplyingRange = true;
    ct->setMin(theItem->Info()->Low);
    ct->setMax(theItem->Info()->High);
    mApplyingRange = false;
    UpdateControl();
}

void BindUpDown::UpdateControl() {
    UpDownControl* ct = control();
    if (!ct || !theItem)
        return;
    const Variant v = theItem->Value();
    if (!enableForValue(ct->widget()))
        return;
    const std::int32_t value = v.toLong();
    const auto [low, high] = std::minmax({ct->min(), ct->max()}); // a range may run downwards
    if (value >= low && value <= high)
        ct->setValue(value);
}

void BindUpDown::UpdateItem() {
    if (UpDownControl* ct = control(); ct && theItem)
        theItem->setValue(Variant(ct->value()));
}

} // namespace tarvex
