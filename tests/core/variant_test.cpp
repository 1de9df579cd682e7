#include "core/variant.h"
#include "core/item.h"
#include "core/item_info.h"

#include "../support/printers.h"

#include <gtest/gtest.h>

#include <limits>

namespace tarvex {
namespace {

int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const VariantError& e) {
        return e.number();
    }
    return 0;
}

TEST(Variant, IntegerConversionRoundsHalfToEvenAndChecksRange) {
    EXPECT_EQ(Variant(2.5).toInteger(), 2);
    EXPECT_EQ(Variant(3.5).toInteger(), 4);
    EXPECT_EQ(Variant(-2.5).toInteger(), -2);
    EXPECT_EQ(Variant(" 12 ").toInteger(), 12);
    EXPECT_EQ(Variant("1.5").toInteger(), 2);
    EXPECT_EQ(Variant(true).toInteger(), -1);
    EXPECT_EQ(Variant().toInteger(), 0);
    EXPECT_EQ(Variant(32767.4).toInteger(), 32767);
    EXPECT_EQ(errorOf([] { Variant(32767.5).toInteger(); }), kErrOverflow);
    EXPECT_EQ(errorOf([] { Variant(std::int32_t{40000}).toInteger(); }), kErrOverflow);
    EXPECT_EQ(errorOf([] { Variant(std::int32_t{256}).toByte(); }), kErrOverflow);
    EXPECT_EQ(errorOf([] { Variant(-1.0).toByte(); }), kErrOverflow);
    EXPECT_EQ(errorOf([] { Variant(1e300).toLong(); }), kErrOverflow);
    EXPECT_EQ(Variant(-2147483648.0).toLong(), std::numeric_limits<std::int32_t>::min());
    // Text that is a number too large for a double is an overflow, not a mismatch.
    for (const char* huge : {"1e400", "-1e400", " 1E+999 "}) {
        EXPECT_EQ(errorOf([huge] { Variant(huge).toLong(); }), kErrOverflow) << huge;
        EXPECT_EQ(errorOf([huge] { Variant(huge).toDouble(); }), kErrOverflow) << huge;
        EXPECT_EQ(errorOf([huge] { Variant(huge).toBoolean(); }), kErrOverflow) << huge;
    }
    EXPECT_EQ(Variant("1e-400").toDouble(), 0.0);
}

TEST(Variant, OnlyARealBoolBecomesBoolean) {
    // A pointer once turned into True through the bool constructor.
    EXPECT_FALSE((std::is_constructible_v<Variant, Item*>));
    EXPECT_FALSE((std::is_constructible_v<Variant, const void*>));
    EXPECT_EQ(Variant(true).type(), Variant::Type::Boolean);
    EXPECT_EQ(Variant("x").type(), Variant::Type::String);
}

TEST(Variant, TextMustReadWhollyAsANumber) {
    for (const char* bad : {"", "abc", "12abc", "1e", "nan", "inf", "0x10", "&H10", "- 1", "."})
        EXPECT_EQ(errorOf([bad] { Variant(bad).toLong(); }), kErrTypeMismatch) << bad;
    EXPECT_EQ(Variant("+7").toLong(), 7);
    EXPECT_EQ(Variant(".5").toDouble(), 0.5);
    EXPECT_EQ(Variant("5.").toDouble(), 5.0);
    EXPECT_EQ(Variant("1e3").toLong(), 1000);
    EXPECT_EQ(errorOf([] { Variant::null().toInteger(); }), kErrInvalidUseOfNull);
    EXPECT_EQ(errorOf([] { Variant::null().toString(); }), kErrInvalidUseOfNull);
}

TEST(Variant, NonThrowingFormsReturnTheErrorAndLeaveTheResult) {
    std::int16_t i = 9;
    EXPECT_EQ(Variant(40000.0).tryToInteger(i), kErrOverflow);
    EXPECT_EQ(Variant("x").tryToInteger(i), kErrTypeMismatch);
    EXPECT_EQ(Variant::null().tryToInteger(i), kErrInvalidUseOfNull);
    EXPECT_EQ(i, 9);
    EXPECT_EQ(Variant("2.5").tryToInteger(i), 0);
    EXPECT_EQ(i, 2);
    // An item refuses the same way and keeps its value.
    auto item = std::make_shared<Item>();
    auto info = std::make_shared<ItemInfo>();
    info->Metrics = ItemInfo::kInt;
    item->setInfo(info);
    item->setValue(std::int16_t{5});
    EXPECT_EQ(item->trySetValue(1e6), kErrOverflow);
    EXPECT_EQ(item->Value().toInteger(), 5);
}

TEST(Variant, BooleanConversion) {
    EXPECT_TRUE(Variant(std::int16_t{1}).toBoolean());
    EXPECT_TRUE(Variant(0.1).toBoolean());
    EXPECT_FALSE(Variant().toBoolean());
    EXPECT_TRUE(Variant("true").toBoolean());
    EXPECT_FALSE(Variant(" FALSE ").toBoolean());
    EXPECT_TRUE(Variant("-1").toBoolean());
    EXPECT_FALSE(Variant("0").toBoolean());
    EXPECT_EQ(errorOf([] { Variant("yes").toBoolean(); }), kErrTypeMismatch);
}

TEST(Variant, TextFormIsTheShortestDecimal) {
    EXPECT_EQ(Variant(std::int16_t{12}).toString(), "12");
    EXPECT_EQ(Variant(std::int32_t{-3}).toString(), "-3");
    EXPECT_EQ(Variant(1234.6).toString(), "1234.6");
    EXPECT_EQ(Variant(0.1).toString(), "0.1");
    EXPECT_EQ(Variant(-0.0).toString(), "0");
    EXPECT_EQ(Variant(true).toString(), "True");
    EXPECT_EQ(Variant(false).toString(), "False");
    EXPECT_EQ(Variant().toString(), "");
}

TEST(Variant, ComparisonRules) {
    EXPECT_EQ(Variant(std::int16_t{12}).equals(Variant(12.0)), true);
    EXPECT_EQ(Variant(true).equals(Variant(std::int16_t{-1})), true);
    EXPECT_EQ(Variant().equals(Variant(std::int32_t{0})), true);
    EXPECT_EQ(Variant().equals(Variant("")), true);
    EXPECT_EQ(Variant("12").equals(Variant(std::int16_t{12})), false);
    EXPECT_EQ(Variant("a").equals(Variant("A")), false);
    EXPECT_EQ(Variant::null().equals(Variant::null()), std::nullopt);
    EXPECT_EQ(Variant(std::int16_t{1}).equals(Variant::null()), std::nullopt);
    EXPECT_FALSE(Variant().isNull());
    EXPECT_FALSE(Variant::null().isEmpty());
}

} // namespace
} // namespace tarvex
