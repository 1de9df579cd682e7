#include "variant.h"

#include "number_text.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace tarvex {

namespace {

[[noreturn]] void throwMismatch() {
    throw VariantError(kErrTypeMismatch, QStringLiteral("Type mismatch"));
}
[[noreturn]] void throwOverflow() {
    throw VariantError(kErrOverflow, QStringLiteral("Overflow"));
}
[[noreturn]] void throwNull() {
    throw VariantError(kErrInvalidUseOfNull, QStringLiteral("Invalid use of Null"));
}

} // namespace

VariantError::VariantError(int number, const QString& description)
    : Error(description), mNumber(number) {}

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

double Variant::toNumber() const {
    if (auto n = numericValue())
        return *n;
    switch (type()) {
    case Type::Null:
        throwNull();
    case Type::String:
        if (auto n = parseNumber(*std::get_if<QString>(&mData))) {
            if (!std::isfinite(*n))
                throwOverflow(); // "1e400" is a number, just too large for one
            return *n;
        }
        throwMismatch();
    default:
        throwMismatch();
    }
}

std::int64_t Variant::roundChecked(double v, std::int64_t lo, std::int64_t hi) {
    if (const auto r = roundHalfEven(v, lo, hi))
        return *r;
    throwOverflow();
}

std::int16_t Variant::toInteger() const {
    return static_cast<std::int16_t>(roundChecked(toNumber(),
                                                  std::numeric_limits<std::int16_t>::min(),
                                                  std::numeric_limits<std::int16_t>::max()));
}

std::int32_t Variant::toLong() const {
    return static_cast<std::int32_t>(roundChecked(toNumber(),
                                                  std::numeric_limits<std::int32_t>::min(),
                                                  std::numeric_limits<std::int32_t>::max()));
}

std::uint8_t Variant::toByte() const {
    return static_cast<std::uint8_t>(roundChecked(toNumber(), 0, 255));
}

double Variant::toDouble() const {
    return toNumber();
}

bool Variant::toBoolean() const {
    if (auto n = numericValue())
        return *n != 0.0;
    switch (type()) {
    case Type::Null:
        throwNull();
    case Type::String: {
        const QString s = std::get_if<QString>(&mData)->trimmed();
        if (s.compare(u"True", Qt::CaseInsensitive) == 0)
            return true;
        if (s.compare(u"False", Qt::CaseInsensitive) == 0)
            return false;
        if (auto n = parseNumber(s)) {
            if (!std::isfinite(*n))
                throwOverflow();
            return *n != 0.0;
        }
        throwMismatch();
    }
    default:
        throwMismatch();
    }
}

QString Variant::toString() const {
    switch (type()) {
    case Type::Empty:
        return {};
    case Type::Null:
        throwNull();
    case Type::Boolean:
        return *std::get_if<bool>(&mData) ? QStringLiteral("True") : QStringLiteral("False");
    case Type::String:
        return *std::get_if<QString>(&mData);
    case Type::Integer:
    case Type::Long:
    case Type::Byte:
    case Type::Double:
        return formatNumber(*numericValue());
    default:
        throwMismatch();
    }
}

QByteArray Variant::toBytes() const {
    switch (type()) {
    case Type::Empty:
        return {};
    case Type::Null:
        throwNull();
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
