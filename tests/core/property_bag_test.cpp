#include "core/byte_codec.h"
#include "core/property_bag.h"

#include "../support/printers.h"

#include <gtest/gtest.h>

#include <vector>

namespace tarvex {
namespace {

PropertyBag sampleBag() {
    PropertyBag inner;
    inner.WriteProperty("AmpPort", std::int16_t{3});
    PropertyBag bag;
    bag.WriteProperty("Small", std::int16_t{-2});
    bag.WriteProperty("Count", std::int32_t{70000});
    bag.WriteProperty("Flag", true);
    bag.WriteProperty("Byte", std::uint8_t{200});
    bag.WriteProperty("Ratio", 0.25);
    bag.WriteProperty("Name", QString::fromUtf8("Amp \xc3\xa9 1"));
    bag.WriteProperty("Nested", inner.Contents());
    return bag;
}

TEST(PropertyBag, RoundTripThroughContentsKeepsEveryKind) {
    PropertyBag copy;
    ASSERT_TRUE(copy.setContents(sampleBag().Contents()));
    EXPECT_EQ(copy.count(), 7);
    EXPECT_EQ(copy.ReadProperty("Small").type(), Variant::Type::Integer);
    EXPECT_EQ(copy.ReadProperty("small").toInteger(), -2); // keys ignore case
    EXPECT_EQ(copy.ReadProperty("Count").type(), Variant::Type::Long);
    EXPECT_EQ(copy.ReadProperty("Count").toLong(), 70000);
    EXPECT_EQ(copy.ReadProperty("Flag").toBoolean(), true);
    EXPECT_EQ(copy.ReadProperty("Byte").toByte(), 200);
    EXPECT_EQ(copy.ReadProperty("Ratio").toDouble(), 0.25);
    EXPECT_EQ(copy.ReadProperty("Name").toString(), QString::fromUtf8("Amp \xc3\xa9 1"));
    PropertyBag inner;
    ASSERT_TRUE(inner.setContents(copy.ReadProperty("NESTED").toBytes()));
    EXPECT_EQ(inner.ReadProperty("AmpPort").toInteger(), 3);
}

TEST(PropertyBag, RefusesWhatItCannotSaveInsteadOfDroppingItLater) {
    PropertyBag bag;
    bag.WriteProperty("Port", std::int16_t{4});
    for (const Variant& v : {Variant(), Variant::null(), Variant(ObjectRef(std::make_shared<int>(1)))})
        EXPECT_THROW(bag.WriteProperty("Lost", v, std::int16_t{1}), VariantError);
    EXPECT_THROW(bag.WriteProperty(QString(70000, u'n'), std::int16_t{1}), VariantError);
    EXPECT_EQ(bag.count(), 1);

    // A decoded name that would grow past the 16-bit length field when written out again
    // (invalid UTF-8 becomes three-byte replacement characters) is damage.
    QByteArray block = QByteArray("TVPB\x01", 5);
    block += QByteArray("\x30\x75", 2) + QByteArray(30000, '\xff') + QByteArray("\x11\x07", 2);
    block += QByteArray("\x04\x00Port\x02\x03\x00", 9);
    PropertyBag decoded;
    EXPECT_FALSE(decoded.setContents(block));
    EXPECT_EQ(decoded.count(), 0);
}

TEST(ByteReader, OwnsWhatItReads) {
    ByteReader r(QByteArray("\x01\x02\x03", 3)); // a temporary: gone after this line
    EXPECT_EQ(r.u16(), 0x0201);
    EXPECT_EQ(r.u8(), 3);
    EXPECT_EQ(r.u8(), std::nullopt);
}

TEST(PropertyBag, DefaultsOnReadAndWrite) {
    PropertyBag bag;
    EXPECT_TRUE(bag.ReadProperty("Missing").isEmpty());
    EXPECT_EQ(bag.ReadProperty("Missing", std::int16_t{7}).toInteger(), 7);

    bag.WriteProperty("Port", std::int16_t{5}, std::int16_t{1});
    bag.WriteProperty("Port", std::int16_t{1}, std::int16_t{1}); // back to default: dropped
    bag.WriteProperty("Settings", "4800,n,8,1", "4800,n,8,1");
    EXPECT_FALSE(bag.contains("Port"));
    EXPECT_FALSE(bag.contains("Settings"));
    EXPECT_EQ(bag.ReadProperty("Port", std::int16_t{1}).toInteger(), 1);

    bag.WriteProperty("Zero", std::int16_t{0}); // no default given: always stored
    EXPECT_TRUE(bag.contains("Zero"));
    bag.WriteProperty("ZERO", std::int16_t{2});  // the same key again replaces it
    EXPECT_EQ(bag.count(), 1);
    EXPECT_EQ(bag.ReadProperty("zero").toInteger(), 2);
}

TEST(PropertyBag, DamagedContentsKeepTheEntriesBeforeTheDamage) {
    const QByteArray good = sampleBag().Contents();
    // Cut anywhere, a block yields a prefix of its entries and says it was damaged unless the
    // cut falls exactly between two entries.
    int lastCount = 0;
    for (qsizetype len = 5; len < good.size(); ++len) {
        PropertyBag bag;
        const bool ok = bag.setContents(good.left(len));
        EXPECT_GE(bag.count(), lastCount) << len;
        EXPECT_EQ(ok, bag.Contents().size() == len) << len;
        lastCount = bag.count();
    }
    EXPECT_EQ(lastCount, 6);

    // A length claiming gigabytes fails without allocating it; so does text that is no bag.
    PropertyBag hostile;
    EXPECT_FALSE(hostile.setContents(PropertyBag().Contents() +
                                     QByteArray("\x01\x00"
                                                "A"
                                                "\x08"
                                                "\xff\xff\xff\x7f"
                                                "xy",
                                                10)));
    EXPECT_FALSE(hostile.setContents("not a bag at all"));
    EXPECT_EQ(hostile.count(), 0);
}

} // namespace
} // namespace tarvex
