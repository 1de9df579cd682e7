#include "variant.h"

#include "number_text.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace tarvex {

namespace {

[[noreturn]] void throwMismatch() {
    throw VariantError::conversion(kErrTypeMismatch);
}
[[noreturn]] void throwError(std::int32_t number) {
    throw VariantError::conversion(number);
}

} // namespace

VariantError::VariantError(int number, const QString& description)
    : Error(description), mNumber(number) {}

VariantError VariantError::conversion(std::int32_t number) {
    switch (number) {
    case kErrOverflow:
        return {number, QStringLiteral("Overflow")};
    case kErrInvalidUseOfNull:
        return {number, QStringLiteral("Invalid use of Null")};
    default:
        return {kErrTypeMismatch, QStringLiteral("Type mismatch")};
    }
}

Variant Variant::null() {
    return Variant(NullTag{});
}

Variant::Type Variant::type() const {
    return static_cast<Type>(mData.index());
}

bool Variant::isNumeric() const {
    switch (type()) {
    case Type::Integer:
    case Type::Long:
    case Type::Byte:
    case Type::Boolean:
    case Type::Double:
        return true;
    default:
        return false;
    }
}

std::optional<double> Variant::numericValue() const {
    switch (type()) {
    case Type::Empty:
        return 0.0;
    case Type::Integer:
        return *std::get_if<std::int16_t>(&mData);
    case Type::Long:
        return *std::get_if<std::int32_t>(&mData);
    case Type::Byte:
        return *std::get_if<std::uint8_t>(&mData);
    case Type::Boolean:
        return *std::get_if<bool>(&mData) ? -1.0 : 0.0;
    case Type::Double:
        return *std::get_if<double>(&mData);
    default:
        return std::nullopt;
    }
}

std::int32_t Variant::tryToNumber(double& out) const {
    if (auto n = numericValue()) {
        out = *n;
        return 0;
    }
    switch (type()) {
    case Type::Null:
        return kErrInvalidUseOfNull;
    case Type::String:
        if (auto n = parseNumber(*std::get_if<QString>(&mData))) {
            if (!std::isfinite(*n))
                return kErrOverflow; // "1e400" is a number, just too large for one
            out = *n;
            return 0;
        }
        return kErrTypeMismatch;
    default:
        return kErrTypeMismatch;
    }
}

template <typename T> std::int32_t Variant::tryToWhole(T& out) const {
    double d = 0;
    if (const std::int32_t e = tryToNumber(d))
        return e;
    const auto r = roundHalfEven(d, std::numeric_limits<T>::min(), std::numeric_limits<T>::max());
    if (!r)
        return kErrOverflow;
    out = static_cast<T>(*r);
    return 0;
}

std::int32_t Variant::tryToInteger(std::int16_t& out) const {
    return tryToWhole(out);
}

std::int32_t Variant::tryToLong(std::int32_t& out) const {
    return tryToWhole(out);
}

std::int32_t Variant::tryToByte(std::uint8_t& out) const {
    return tryToWhole(out);
}

std::int32_t Variant::tryToDouble(double& out) const {
    return tryToNumber(out);
}

std::int32_t Variant::tryToBoolean(bool& out) const {
    if (auto n = numericValue()) {
        out = *n != 0.0;
        return 0;
    }
    switch (type()) {
    case Type::Null:
        return kErrInvalidUseOfNull;
    case Type::String: {
        const QString s = std::get_if<QString>(&mData)->trimmed();
        if (s.compare(u"True", Qt::CaseInsensitive) == 0) {
            out = true;
            return 0;
        }
        if (s.compare(u"False", Qt::CaseInsensitive) == 0) {
            out = false;
            return 0;
        }
        if (auto n = parseNumber(s)) {
            if (!std::isfinite(*n))
                return kErrOverflow;
            out = *n != 0.0;
            return 0;
        }
        return kErrTypeMismatch;
    }
    default:
        return kErrTypeMismatch;
    }
}

std::int32_t Variant::tryToString(QString& out) const {
    switch (type()) {
    case Type::Empty:
        out.clear();
        return 0;
    case Type::Null:
        return kErrInvalidUseOfNull;
    case Type::Boolean:
        out = *std::get_if<bool>(&mData) ? QStringLiteral("True") : QStringLiteral("False");
        return 0;
    case Type::String:
        out = *std::get_if<QString>(&mData);
        return 0;
    case Type::Integer:
    case Type::Long:
    case Type::Byte:
    case Type::Double:
        out = formatNumber(*numericValue());
        return 0;
    default:
        return kErrTypeMismatch;
    }
}

namespace {

template <typename T, typename F> T convertOrThrow(F&& tryConvert) {
    T out{};
    if (const std::int32_t e = tryConvert(out))
        throwError(e);
    return out;
}

} // namespace

std::int16_t Variant::toInteger() const {
    return convertOrThrow<std::int16_t>([this](auto& o) { return tryToInteger(o); });
}

std::int32_t Variant::toLong() const {
    return convertOrThrow<std::int32_t>([this](auto& o) { return tryToLong(o); });
}

std::uint8_t Variant::toByte() const {
    return convertOrThrow<std::uint8_t>([this](auto& o) { return tryToByte(o); });
}

double Variant::toDouble() const {
    return convertOrThrow<double>([this](auto& o) { return tryToDouble(o); });
}

bool Variant::toBoolean() const {
    return convertOrThrow<bool>([this](auto& o) { return tryToBoolean(o); });
}

QString Variant::toString() const {
    return convertOrThrow<QString>([this](auto& o) { return tryToString(o); });
}

QByteArray Variant::toBytes() const {
    switch (type()) {
    case Type::Empty:
        return {};
    case Type::Null:
        throwError(kErrInvalidUseOfNull);
    case Type::Bytes:
        return *std::get_if<QByteArray>(&mData);
    default:
        throwMismatch();
    }
}

ObjectRef Variant::toObject() const {
    if (auto p = std::get_if<ObjectRef>(&mData))
        return *p;
    throwMismatch();
}

std::optional<bool> Variant::equals(const Variant& other) const {
    const Type a = type();
    const Type b = other.type();
    if (a == Type::Null || b == Type::Null)
        return std::nullopt;
    if (a == Type::Empty && b == Type::Empty)
        return true;
    if (a == Type::String || b == Type::String) {
        const bool aText = a == Type::String || a == Type::Empty;
        const bool bText = b == Type::String || b == Type::Empty;
        if (!aText || !bText)
            return false; // a number never equals a text
        return toString() == other.toString();
    }
    const auto x = numericValue();
    const auto y = other.numericValue();
    if (x && y)
        return *x == *y;
    if (a == Type::Object && b == Type::Object)
        return *std::get_if<ObjectRef>(&mData) == *std::get_if<ObjectRef>(&other.mData);
    if (a == Type::Bytes && b == Type::Bytes)
        return *std::get_if<QByteArray>(&mData) == *std::get_if<QByteArray>(&other.mData);
    return false;
}

std::optional<double> parseNumber(const QString& text) {
    const QString s = text.trimmed();
    const auto scanned = scanNumber(s);
    if (!scanned || scanned->end != s.size())
        return std::nullopt;
    return scanned->value;
}

QString formatNumber(double v) {
    if (v == 0.0)
        return QStringLiteral("0"); // also folds -0
    if (std::fabs(v) < 1e15 && v == std::trunc(v))
        return QString::number(static_cast<qint64>(v));
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

} // namespace tarvex
