#include "bind_option_button.h"

#include "control_name.h"

#include <QButtonGroup>

namespace tarvex {

namespace {

// Exclusive buttons refuse to be unchecked while they are the checked one; an item value that
// matches no button of the group must still show none selected.
void setSelected(QAbstractButton* button, bool selected) {
    if (selected || !button->isChecked()) {
        button->setChecked(selected);
        return;
    }
    QButtonGroup* group = button->group();
    if (group && group->exclusive()) {
        group->setExclusive(false);
        button->setChecked(false);
        group->setExclusive(true);
    } else if (button->autoExclusive()) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    } else {
        button->setChecked(false);
    }
}

} // namespace

void BindOptionButton::Bind(const ItemPtr& it, QAbstractButton* ct) {
    UnBind();
    if (!it || !ct)
        return;
    const auto value = valuePart(ct->objectName());
    if (!value)
        return;
    mValue = *value;
    theItem = it;
    theCtrl = ct;
    track(connect(theItem.get(), &Item::ValueChange, this, &BindOptionButton::theItem_ValueChange));
    track(connect(ct, &QAbstractButton::toggled, this, [this](bool checked) {
        if (checked)
            theCtrl_Click();
    }));
    guarded(lcBinding(), "binder", [this] { UpdateControl(); });
}

void BindOptionButton::UnBind() {
    Binder::UnBind();
    theCtrl = nullptr;
}

void BindOptionButton::theItem_ValueChange() {
    guarded(lcBinding(), "binder", [this] { UpdateControl(); });
}

void BindOptionButton::UpdateControl() {
    if (!theCtrl || !theItem)
        return;
    const Variant v = theItem->Value();
    if (v.isNull()) {
        theCtrl->setEnabled(false);
        theCtrl->update();
        return;
    }
    theCtrl->setEnabled(true);
    if (const ItemInfoPtr& info = theItem->Info()) {
        const Variant shown = (info->Metrics & 9) != 0 ? Variant(mValue == 1) : Variant(mValue);
        setSelected(theCtrl, v.equals(shown).value_or(false));
    }
    theCtrl->update();
}

void BindOptionButton::theCtrl_Click() {
    guarded(lcBinding(), "binder", [this] {
        if (theCtrl && theItem && theCtrl->isChecked())
            theItem->setValue(Variant(mValue));
    });
}

} // namespace tarvex
