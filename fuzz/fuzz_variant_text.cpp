// Variant conversions from arbitrary text. Every conversion either succeeds or fails with a type
// mismatch or an overflow; the numeric conversions agree with each other and with parseNumber,
// and a number's shortest text reads back as the same number.
#include "fuzz_check.h"

#include "core/variant.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>

using namespace tarvex;

namespace {

// Runs a conversion; nullopt when it failed, which text may only do with a type mismatch or an
// overflow.
template <typename T>
std::optional<T> attempt(const Variant& v, std::int32_t (Variant::*tryTo)(T&) const) {
    T out{};
    const std::int32_t e = (v.*tryTo)(out);
    if (e == 0)
        return out;
    TARVEX_FUZZ_CHECK(e == kErrTypeMismatch || e == kErrOverflow,
                      "text fails only with a type mismatch or an overflow");
    return std::nullopt;
}

// Whether d rounds (half to even) into [lo, hi].
bool fits(double d, double lo, double hi) {
    const double r = std::nearbyint(d);
    return r >= lo && r <= hi;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const Variant v(text);

    // The non-throwing forms carry the checks (a throw costs more than all the rest of an input);
    // one throwing form is run to see that it wraps them faithfully.
    const auto asDouble = attempt(v, &Variant::tryToDouble);
    const auto asLong = attempt(v, &Variant::tryToLong);
    const auto asInteger = attempt(v, &Variant::tryToInteger);
    const auto asByte = attempt(v, &Variant::tryToByte);
    const auto asBoolean = attempt(v, &Variant::tryToBoolean);
    const auto asString = attempt(v, &Variant::tryToString);
    TARVEX_FUZZ_CHECK(v.type() == Variant::Type::String, "text is stored as text");
    try {
        const std::int32_t thrown = v.toLong();
        TARVEX_FUZZ_CHECK(asLong && thrown == *asLong, "toLong returns what tryToLong gives");
    } catch (const VariantError& e) {
        std::int32_t unused = 0;
        TARVEX_FUZZ_CHECK(!asLong && e.number() == v.tryToLong(unused),
                          "toLong throws what tryToLong returns");
    }

    TARVEX_FUZZ_CHECK(asString && *asString == text, "text converts to itself");
    const auto parsed = parseNumber(text);
    // A number beyond a double ("1e400") reads as infinity, and converts to nothing: overflow.
    TARVEX_FUZZ_CHECK((parsed && std::isfinite(*parsed)) == asDouble.has_value(),
                      "toDouble reads as parseNumber");
    if (asDouble) {
        const double d = *asDouble;
        TARVEX_FUZZ_CHECK(std::isfinite(d) && d == *parsed, "toDouble reads as parseNumber");
        using L = std::numeric_limits<std::int32_t>;
        using I = std::numeric_limits<std::int16_t>;
        TARVEX_FUZZ_CHECK(asLong.has_value() == fits(d, L::min(), L::max()), "Long range");
        TARVEX_FUZZ_CHECK(asInteger.has_value() == fits(d, I::min(), I::max()), "Integer range");
        TARVEX_FUZZ_CHECK(asByte.has_value() == fits(d, 0, 255), "Byte range");
        if (asLong)
            TARVEX_FUZZ_CHECK(*asLong == std::nearbyint(d), "Long rounds half to even");
        if (asInteger)
            TARVEX_FUZZ_CHECK(*asInteger == *asLong, "Integer agrees with Long");
        if (asByte)
            TARVEX_FUZZ_CHECK(*asByte == *asLong, "Byte agrees with Long");
        TARVEX_FUZZ_CHECK(asBoolean && *asBoolean == (d != 0.0), "a number is true when non-zero");

        const QString shortest = formatNumber(d);
        TARVEX_FUZZ_CHECK(parseNumber(shortest) == d, "the shortest text reads back exactly");
        TARVEX_FUZZ_CHECK(Variant(d).toString() == shortest, "a Double prints its shortest text");
    } else {
        TARVEX_FUZZ_CHECK(!asLong && !asInteger && !asByte, "no number, no integer");
        const QString t = text.trimmed();
        const bool word = t.compare(u"True", Qt::CaseInsensitive) == 0 ||
                          t.compare(u"False", Qt::CaseInsensitive) == 0;
        TARVEX_FUZZ_CHECK(asBoolean.has_value() == word, "Boolean text is True or False");
    }

    // Comparison: text equals itself, never a number, is undecided against Null, and equals
    // Empty only when empty.
    TARVEX_FUZZ_CHECK(v.equals(Variant(text)) == std::optional<bool>(true), "text equals itself");
    TARVEX_FUZZ_CHECK(v.equals(Variant(std::int32_t{0})) == std::optional<bool>(false),
                      "a text never equals a number");
    TARVEX_FUZZ_CHECK(!v.equals(Variant::null()).has_value(), "Null is undecided");
    TARVEX_FUZZ_CHECK(v.equals(Variant()) == std::optional<bool>(text.isEmpty()),
                      "Empty equals only the empty text");
    return 0;
}
