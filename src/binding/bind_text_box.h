#pragma once

#include "binder.h"

#include <QLineEdit>
#include <QPointer>

namespace tarvex {

// Binds a text box: shows the value's text, disabled while the item is empty or null, and
// writes the text into the item on every loss of focus (an unchanged text raises nothing).
// When the item refuses the text (it does not convert to the item's type), the box shows the
// item's current value again.
class BindTextBox : public Binder {
public:
    void Bind(const ItemPtr& it, QLineEdit* ct);
    void UnBind() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void theItem_ValueChange();
    void theCtrl_LostFocus();
    void UpdateControl();

    QPointer<QLineEdit> theCtrl;
};

} // namespace tarvex
