#pragma once

#include "binder.h"

#include <QPointer>
#include <QSlider>

namespace tarvex {

// Binds a slider: its range is the item's Low..High, it shows the value (Max - value on a
// vertical slider), and it writes the user's changes back (the same inverse when vertical, so a
// written value comes back unchanged). Disabled only while the item is null; an empty item
// shows 0. A value the slider cannot show leaves it unchanged.
//
// Notifications: sliderMoved is the thumb being dragged (writes, and item changes made
// elsewhere do not move the thumb meanwhile); sliderReleased and valueChanged outside a drag are
// the completed change. Qt draws a vertical slider's minimum at the bottom; a design that wants
// the item's High at the top sets invertedAppearance on it.
class BindSlider : public Binder {
public:
    void Bind(const ItemPtr& it, QSlider* ct);
    void UnBind() override;

private:
    void theItem_ValueChange();
    void theItem_InfoChange();
    void theCtrl_Scroll();
    void theCtrl_Change();
    void ApplyRange();
    void UpdateControl();
    void UpdateItem();
    bool vertical() const { return theCtrl->orientation() == Qt::Vertical; }

    QPointer<QSlider> theCtrl;
    bool mScrolling = false;
    bool mApplyingRange = false;
};

} // namespace tarvex
