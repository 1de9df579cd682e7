#include "amplifier_items.h"

#include "core/guard.h"
#include "station_log.h"

namespace tarvex {

ItemPtr AmplifierItems::item(const QString& base) const {
    if (const auto found = mFound->constFind(base); found != mFound->cend())
        return *found;
    ItemPtr it = mHub ? mHub->GetItem(QString::number(mIndex) + base) : nullptr;
    if (it)
        mFound->insert(base, it);
    return it;
}

Variant AmplifierItems::value(const QString& base) const {
    const ItemPtr it = item(base);
    return it ? it->Value() : Variant();
}

int AmplifierItems::integer(const QString& base) const {
    std::int32_t out = 0;
    return value(base).tryToLong(out) == 0 ? out : 0;
}

amp::Link AmplifierItems::link() const {
    static const QString kName = QString::fromLatin1(amp::kLink);
    const int v = integer(kName);
    return v == static_cast<int>(amp::Link::Up) || v == static_cast<int>(amp::Link::Silent)
               ? static_cast<amp::Link>(v)
               : amp::Link::Down;
}

amp::State AmplifierItems::state() const {
    static const QString kName = QString::fromLatin1(amp::kState);
    const int v = integer(kName);
    return v >= static_cast<int>(amp::State::Off) && v <= static_cast<int>(amp::State::Operate)
               ? static_cast<amp::State>(v)
               : amp::State::Unknown;
}

bool AmplifierItems::reportsMainsOn() const {
    const amp::State s = state();
    return s == amp::State::WarmUp || s == amp::State::Standby || s == amp::State::Operate;
}

bool AmplifierItems::write(const QString& base, const Variant& v) const {
    const ItemPtr it = item(base);
    if (!it)
        return false;
    return guarded(lcStation(), "station item write", [&] { it->setValue(v); });
}

QString AmplifierItems::title() const {
    QString name;
    value(QStringLiteral("name")).tryToString(name);
    const QString number = QLatin1String("Amplifier ") + QString::number(mIndex + 1);
    return name.isEmpty() ? number : number + QLatin1String(" (") + name + u')';
}

} // namespace tarvex
