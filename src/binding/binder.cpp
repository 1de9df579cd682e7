#include "binder.h"

#include <QWidget>

namespace tarvex {

Binder::~Binder() {
    Binder::UnBind();
}

void Binder::UnBind() {
    for (const auto& c : mConnections)
        QObject::disconnect(c);
    mConnections.clear();
    theItem.reset();
}

bool Binder::enableForValue(QWidget* control) const {
    const Variant v = theItem->Value();
    const bool hasValue = !v.isEmpty() && !v.isNull();
    control->setEnabled(hasValue);
    return hasValue;
}

} // namespace tarvex
