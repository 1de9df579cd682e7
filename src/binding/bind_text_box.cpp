#include "bind_text_box.h"

#include <QEvent>

namespace tarvex {

void BindTextBox::Bind(const ItemPtr& it, QLineEdit* ct) {
    UnBind();
    if (!it || !ct)
        return;
    theItem = it;
    theCtrl = ct;
    track(connect(theItem.get(), &Item::ValueChange, this, &BindTextBox::theItem_ValueChange));
    ct->installEventFilter(this);
    guarded(lcBinding(), "binder", [this] { UpdateControl(); });
}

void BindTextBox::UnBind() {
    if (theCtrl)
        theCtrl->removeEventFilter(this);
    Binder::UnBind();
    theCtrl = nullptr;
}

bool BindTextBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == theCtrl && event->type() == QEvent::FocusOut)
        theCtrl_LostFocus();
    return false; // the box handles its focus change as usual
}

void BindTextBox::theItem_ValueChange() {
    guarded(lcBinding(), "binder", [this] { UpdateControl(); });
}

void BindTextBox::UpdateControl() {
    if (!theCtrl || !theItem)
        return;
    const Variant v = theItem->Value();
    if (!enableForValue(theCtrl))
        return;
    guarded(lcBinding(), "binder", [&] { theCtrl->setText(v.toString()); });
    theCtrl->update();
}

void BindTextBox::theCtrl_LostFocus() {
    if (!theCtrl || !theItem)
        return;
    // A refused value puts the item's own value back in the box.
    if (!guarded(lcBinding(), "text box entry", [this] { theItem->setValue(Variant(theCtrl->text())); }))
        guarded(lcBinding(), "binder", [this] { UpdateControl(); });
}

} // namespace tarvex
