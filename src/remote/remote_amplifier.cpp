#include "remote_amplifier.h"

#include "core/guard.h"
#include "remote_log.h"

namespace tarvex {

ItemPtr RemoteAmplifier::item(const QString& base) const {
    return mHub ? mHub->GetItem(QString::number(mIndex) + base) : nullptr;
}

Variant RemoteAmplifier::value(const QString& base) const {
    const ItemPtr it = item(base);
    return it ? it->Value() : Variant();
}

std::optional<int> RemoteAmplifier::number(const QString& base) const {
    const Variant v = value(base);
    std::int32_t out = 0;
    if (v.isEmpty() || v.isNull() || v.type() == Variant::Type::String || v.tryToLong(out) != 0)
        return std::nullopt;
    return out;
}

std::optional<bool> RemoteAmplifier::flag(const QString& base) const {
    const Variant v = value(base);
    bool out = false;
    if (v.isEmpty() || v.isNull() || v.tryToBoolean(out) != 0)
        return std::nullopt;
    return out;
}

QString RemoteAmplifier::text(const QString& base) const {
    QString out;
    value(base).tryToString(out);
    return out;
}

amp::Link RemoteAmplifier::link() const {
    const int v = number(QString::fromLatin1(amp::kLink)).value_or(0);
    return v == int(amp::Link::Up) || v == int(amp::Link::Silent) ? static_cast<amp::Link>(v)
                                                                  : amp::Link::Down;
}

amp::State RemoteAmplifier::state() const {
    const int v = number(QString::fromLatin1(amp::kState)).value_or(0);
    return v >= int(amp::State::Off) && v <= int(amp::State::Operate) ? static_cast<amp::State>(v)
                                                                      : amp::State::Unknown;
}

QString RemoteAmplifier::write(const QString& base, const Variant& v) const {
    const ItemPtr it = item(base);
    if (!it)
        return QStringLiteral("amplifier %1 has no %2 item").arg(number()).arg(base);
    std::int32_t error = 0;
    // What a listener of the item throws while the change is announced is skipped as a panel
    // click's would be; the conversion's own refusal is reported.
    const bool completed =
        guarded(lcRemote(), "remote item write", [&] { error = it->trySetValue(v); });
    if (!completed)
        return QStringLiteral("amplifier %1: the change could not be carried out").arg(number());
    if (error != 0)
        return QStringLiteral("amplifier %1 refused the value (error %2)").arg(number()).arg(error);
    return {};
}

} // namespace tarvex
