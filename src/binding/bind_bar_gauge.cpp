#include "bind_bar_gauge.h"

namespace tarvex {

void BindBarGauge::Bind(const ItemPtr& it, GaugeControl* ct) {
    UnBind();
    if (!it || !ct || !ct->widget())
        return;
    theItem = it;
    theCtrl = ct;
    theWidget = ct->widget();
    track(connect(theItem.get(), &Item::ValueChange, this, &BindBarGauge::theItem_ValueChange));
    guarded(lcBinding(), "binder", [this] { UpdateControl(); });
    ct->Refresh();
}

void BindBarGauge::UnBind() {
    Binder::UnBind();
    theCtrl = nullptr;
    theWidget = nullptr;
}

void BindBarGauge::theItem_ValueChange() {
    guarded(lcBinding(), "binder", [this] { UpdateControl(); });
}

void BindBarGauge::UpdateControl() {
    if (!theWidget || !theItem)
        return;
    const Variant v = theItem->Value();
    theCtrl->setValue(v.isNull() ? theCtrl->min() : v.toInteger());
}

} // namespace tarvex
