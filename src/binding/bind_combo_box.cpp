#include "bind_combo_box.h"

namespace tarvex {

void BindComboBox::Bind(const ItemPtr& it, QComboBox* ct) {
    UnBind();
    if (!it || !ct)
        return;
    theItem = it;
    theCtrl = ct;
    track(connect(theItem.get(), &Item::ValueChange, this, &BindComboBox::theItem_ValueChange));
    track(connect(ct, &QComboBox::currentIndexChanged, this, &BindComboBox::theCtrl_Click));
    guarded(lcBinding(), "binder", [this] { UpdateControl(); });
}

void BindComboBox::UnBind() {
    Binder::UnBind();
    theCtrl = nullptr;
}

std::int32_t BindComboBox::low() const {
    const ItemInfoPtr& info = theItem->Info();
    return info ? info->Low : 0;
}

void BindComboBox::theItem_ValueChange() {
    guarded(lcBinding(), "binder", [this] { UpdateControl(); });
}

void BindComboBox::UpdateControl() {
    if (!theCtrl || !theItem)
        return;
    const Variant v = theItem->Value();
    if (!enableForValue(theCtrl))
        return;
    guarded(lcBinding(), "binder", [&] {
        const int position = Variant(v.toDouble() - double(low())).toInteger();
        if (position >= -1 && position < theCtrl->count())
            theCtrl->setCurrentIndex(position);
    });
    theCtrl->update();
}

void BindComboBox::theCtrl_Click() {
    guarded(lcBinding(), "binder", [this] {
        if (theCtrl && theItem)
            theItem->setValue(Variant(double(theCtrl->currentIndex()) + low()).toLong());
    });
}

} // namespace tarvex
