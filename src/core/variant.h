#pragma once

#include "error.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <type_traits>
#include <variant>

namespace tarvex {

// Error numbers the item model reports; they match what the rest of the program tests for.
enum ErrorNumber : int {
    kErrOverflow = 6,
    kErrTypeMismatch = 13,
    kErrInvalidUseOfNull = 94,
    kErrHubReset = 5555,
};

// An error carrying a classic error number; thrown by conversions and the item model.
class VariantError : public Error {
public:
    VariantError(int number, const QString& description);
    // The error for a conversion's error number (13, 6 or 94), with its usual description.
    static VariantError conversion(std::int32_t number);
    int number() const noexcept { return mNumber; }
    QString description() const { return text(); }

private:
    int mNumber;
};

// Opaque object reference held by a Variant; compared by identity.
using ObjectRef = std::shared_ptr<void>;

// A dynamically typed value. Empty (never assigned) and Null are distinct states.
class Variant {
public:
    enum class Type { Empty, Null, Integer, Long, Byte, Boolean, Double, String, Object, Bytes };

    Variant() = default;
    static Variant null();
    Variant(std::int16_t v) : mData(v) {}
    Variant(std::int32_t v) : mData(v) {}
    Variant(std::uint8_t v) : mData(v) {}
    // Only a real bool: a pointer or another type must not turn into True silently.
    template <typename B, std::enable_if_t<std::is_same_v<B, bool>, int> = 0>
    Variant(B v) : mData(v) {}
    Variant(double v) : mData(v) {}
    Variant(const QString& v) : mData(v) {}
    Variant(const char* v) : mData(QString::fromUtf8(v)) {}
    Variant(const QByteArray& v) : mData(v) {}
    Variant(ObjectRef v) : mData(std::move(v)) {}

    Type type() const;
    bool isEmpty() const { return type() == Type::Empty; }
    bool isNull() const { return type() == Type::Null; }
    bool isNumeric() const; // Integer, Long, Byte, Boolean, Double
    bool isObject() const { return type() == Type::Object; }

    // Conversions follow the classic coercion rules; they throw VariantError (13, 6 or 94).
    std::int16_t toInteger() const;
    std::int32_t toLong() const;
    std::uint8_t toByte() const;
    bool toBoolean() const;
    double toDouble() const;
    QString toString() const;
    QByteArray toBytes() const;
    ObjectRef toObject() const;

    // The same conversions without an exception: 0 with the result in out, or the error number
    // the throwing form raises, out untouched. For paths where failing is routine (reports off a
    // noisy line), since a throw costs far more than the conversion.
    std::int32_t tryToInteger(std::int16_t& out) const;
    std::int32_t tryToLong(std::int32_t& out) const;
    std::int32_t tryToByte(std::uint8_t& out) const;
    std::int32_t tryToBoolean(bool& out) const;
    std::int32_t tryToDouble(double& out) const;
    std::int32_t tryToString(QString& out) const;

    // True/false when decidable; nullopt when either side is Null (undecided).
    std::optional<bool> equals(const Variant& other) const;

    // Raw access for encoders that must not convert.
    template <typename T> const T* peek() const { return std::get_if<T>(&mData); }

private:
    struct NullTag {
        bool operator==(const NullTag&) const = default;
    };
    using Data = std::variant<std::monostate, NullTag, std::int16_t, std::int32_t, std::uint8_t,
                              bool, double, QString, ObjectRef, QByteArray>;
    explicit Variant(NullTag t) : mData(t) {}

    // A number in double form for numeric comparison and conversion; nullopt for non-numbers.
    std::optional<double> numericValue() const;
    // The common path of the numeric conversions: 0 or the error number.
    std::int32_t tryToNumber(double& out) const;
    // Rounds half to even into [lo, hi]: 0, or overflow.
    template <typename T> std::int32_t tryToWhole(T& out) const;

    Data mData;
};

// Reads a whole text as a number (spaces around it allowed); nullopt when it is not one,
// +-infinity when it is beyond a double.
std::optional<double> parseNumber(const QString& text);

// Shortest decimal text for a double: 12, -3, 1234.6.
QString formatNumber(double v);

} // namespace tarvex
