#pragma once

#include "binder.h"

#include <QLabel>
#include <QPointer>
#include <QStringList>

#include <optional>

namespace tarvex {

// Shows an item on a label, in one of two modes chosen by the label's state list.
//
// The state list is the label's dynamic property "Tag" (QObject::setProperty("Tag", text)),
// read once at Bind. It is split at every space into entries 0 ("no value"), 1 ("false") and 2
// ("true"); an entry is "caption,letter", the letter R, Y, G or B setting the text colour
// (QPalette::WindowText) to red, yellow, green or black. With an empty Tag, or one whose first
// entry is empty, the label is in text mode: it shows the value's text, disabled while the
// item is empty or null. A Tag that reaches text mode is not used as a format pattern.
//
// Labels are output only: the binder never writes to its item.
class BindLabel : public Binder {
public:
    static constexpr const char* kTagProperty = "Tag";

    void Bind(const ItemPtr& it, QLabel* ct);
    void UnBind() override;

private:
    void theItem_ValueChange();
    void UpdateControl();
    void showText();
    void showState();

    QPointer<QLabel> theCtrl;
    std::optional<QStringList> mStates;
};

} // namespace tarvex
