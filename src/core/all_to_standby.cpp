#include "all_to_standby.h"

#include "amplifier_vocabulary.h"

namespace tarvex {

int allToStandby(const HubPtr& hub) {
    if (!hub)
        return 0;
    const QLatin1String state(amp::kState);
    int asked = 0;
    for (const ItemPtr& item : hub->GetItemCollection()) {
        const QString& name = item->Name();
        if (!name.endsWith(state, Qt::CaseInsensitive))
            continue;
        bool isIndex = false;
        const QString index = name.left(name.size() - state.size());
        index.toInt(&isIndex);
        if (!isIndex)
            continue;
        // Whatever does not read as a number is not "operate".
        bool operate = false;
        try {
            operate = item->Value().toLong() == static_cast<std::int32_t>(amp::State::Operate);
        } catch (const VariantError&) {
        }
        if (!operate)
            continue;
        if (const ItemPtr oper = hub->GetItem(index + QLatin1String("oper"))) {
            oper->trySetValue(Variant(false));
            ++asked;
        }
    }
    return asked;
}

} // namespace tarvex
