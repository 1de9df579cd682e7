#include "all_to_standby.h"

#include "amplifier_vocabulary.h"
#include "guard.h"

namespace tarvex {

int allToStandby(const HubPtr& hub) {
    if (!hub)
        return 0;
    const QString stateName = QString::fromLatin1(amp::kState);
    int asked = 0;
    // A copy: writing an item may raise events that add items.
    for (const ItemPtr& it : hub->GetItemCollection()) {
        const QString& name = it->Name();
        if (!name.endsWith(stateName))
            continue;
        const QString index = name.chopped(stateName.size());
        bool numbered = false;
        index.toInt(&numbered);
        std::int32_t state = 0;
        if (!numbered || it->Value().tryToLong(state) != 0 ||
            state != static_cast<int>(amp::State::Operate))
            continue;
        const ItemPtr oper = hub->GetItem(index + QStringLiteral("oper"));
        if (oper && guarded(lcCore(), "all to standby", [&] { oper->setValue(false); }))
            ++asked;
    }
    return asked;
}

} // namespace tarvex
