#pragma once

#include "binder.h"

#include <QComboBox>
#include <QPointer>

namespace tarvex {

// Binds a combo box whose list the panel designed: entry n stands for the value Low + n, Low
// taken from the item's metadata (0 without metadata). A value one below Low selects no entry;
// a value further outside the list leaves the selection unchanged. A change of the current
// entry, by the user or by the program (QComboBox::currentIndexChanged), writes position + Low
// back as a 32-bit integer.
class BindComboBox : public Binder {
public:
    void Bind(const ItemPtr& it, QComboBox* ct);
    void UnBind() override;

private:
    void theItem_ValueChange();
    void theCtrl_Click();
    void UpdateControl();
    std::int32_t low() const;

    QPointer<QComboBox> theCtrl;
};

} // namespace tarvex
