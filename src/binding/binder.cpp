#include "binder.h"

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

} // namespace tarvex
