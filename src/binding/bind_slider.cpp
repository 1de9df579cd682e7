#include "bind_slider.h"

namespace tarvex {

void BindSlider::Bind(const ItemPtr& it, QSlider* ct) {
    UnBind();
    if (!it || !ct)
        return;
    theItem = it;
    theCtrl = ct;
    track(connect(theItem.get(), &Item::ValueChange, this, &BindSlider::theItem_ValueChange));
    track(connect(theItem.get(), &Item::InfoChange, this, &BindSlider::theItem_InfoChange));
    track(connect(ct, &QSlider::sliderMoved, this, &BindSlider::theCtrl_Scroll));
    track(connect(ct, &QSlider::sliderReleased, this, &BindSlider::theCtrl_Change));
    track(connect(ct, &QSlider::valueChanged, this, [this] {
        if (theCtrl && !theCtrl->isSliderDown() && !mApplyingRange)
            theCtrl_Change();
    }));
    guarded(lcBinding(), "binder", [this] {
        ApplyRange();
        UpdateControl();
    });
    ct->update();
}

void BindSlider::UnBind() {
    Binder::UnBind();
    theCtrl = nullptr;
    mScrolling = false;
}

void BindSlider::theItem_ValueChange() {
    if (!mScrolling)
        guarded(lcBinding(), "binder", [this] { UpdateControl(); });
}

void BindSlider::theItem_InfoChange() {
    guarded(lcBinding(), "binder", [this] { ApplyRange(); });
}

void BindSlider::theCtrl_Scroll() {
    mScrolling = true;
    guarded(lcBinding(), "binder", [this] { UpdateItem(); });
}

void BindSlider::theCtrl_Change() {
    mScrolling = false;
    guarded(lcBinding(), "binder", [this] { UpdateItem(); });
}

void BindSlider::ApplyRange() {
    if (!theCtrl || !theItem || !theItem->Info())
        return;
    // The slider clamps its value to a new range and reports that as a change; the clamped
    // number is not the user's and must not reach the item.
    mApplyingRange = true;
    theCtrl->setMinimum(theItem->Info()->Low);
    theCtrl->setMaximum(theItem->Info()->High);
    mApplyingRange = false;
    UpdateControl();
}

void BindSlider::UpdateControl() {
    if (!theCtrl || !theItem)
        return;
    const Variant v = theItem->Value();
    if (v.isNull()) {
        theCtrl->setEnabled(false);
    } else {
        theCtrl->setEnabled(true);
        guarded(lcBinding(), "binder", [&] {
            const double value = Variant(v.toLong()).toDouble();
            const double shown = vertical() ? theCtrl->maximum() - value : value;
            if (shown >= theCtrl->minimum() && shown <= theCtrl->maximum())
                theCtrl->setValue(int(shown));
        });
    }
    theCtrl->update();
}

void BindSlider::UpdateItem() {
    if (!theCtrl || !theItem)
        return;
    // During a drag the value may lag the thumb; the thumb is what the user means.
    const double position = theCtrl->sliderPosition();
    const double value = vertical() ? theCtrl->maximum() - position : position;
    theItem->setValue(Variant(value).toLong());
}

} // namespace tarvex
