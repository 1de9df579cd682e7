#include "core/hub.h"

#include "../support/printers.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace tarvex {
namespace {

ItemInfoPtr infoOfType(int metrics) {
    auto ii = std::make_shared<ItemInfo>();
    ii->Metrics = metrics;
    return ii;
}

// Records every event of one hub and its items in the order they arrive.
struct EventLog {
    QStringList events;

    void watchHub(const HubPtr& hub) {
        QObject::connect(hub.get(), &Hub::NewItem,
                         [this](const ItemPtr& it) { events << "hub:New:" + it->Name(); });
        QObject::connect(hub.get(), &Hub::ItemChangedValue,
                         [this](const ItemPtr& it) { events << "hub:Value:" + it->Name(); });
        QObject::connect(hub.get(), &Hub::ItemChangedInfo,
                         [this](const ItemPtr& it) { events << "hub:Info:" + it->Name(); });
    }
    void watchItem(const ItemPtr& item) {
        const QString n = item->Name();
        QObject::connect(item.get(), &Item::ValueChange,
                         [this, n] { events << "item:Value:" + n; });
        QObject::connect(item.get(), &Item::InfoChange, [this, n] { events << "item:Info:" + n; });
    }
};

TEST(ItemModel, FirstAssignmentAlwaysChangesAndEqualValuesRaiseNothing) {
    auto hub = Hub::create();
    auto it = hub->AttachItem("0x");
    EventLog log;
    log.watchItem(it);

    it->setValue(std::int16_t{5}); // no Info yet: ignored entirely
    EXPECT_TRUE(it->Value().isEmpty());
    EXPECT_TRUE(it->LastValue().isNull());
    EXPECT_TRUE(log.events.isEmpty());

    it->setInfo(infoOfType(ItemInfo::kInt));
    log.events.clear();
    it->setValue(std::int16_t{0}); // the type's zero still counts as the first change
    EXPECT_EQ(log.events, QStringList{"item:Value:0x"});
    EXPECT_TRUE(it->LastValue().isEmpty());

    it->setValue("12");
    EXPECT_EQ(it->Value().type(), Variant::Type::Integer);
    EXPECT_EQ(it->Value().toInteger(), 12);
    EXPECT_EQ(it->LastValue().toInteger(), 0);
    log.events.clear();
    it->setValue(12.0);
    it->setValue(" 12 ");
    EXPECT_TRUE(log.events.isEmpty());
    EXPECT_EQ(it->LastValue().toInteger(), 0);
    // What a caller holds is a value, not a window onto the item that a handler can change.
    const Variant& held = it->Value();
    it->setValue(std::int16_t{13});
    EXPECT_EQ(held.toInteger(), 12);

    auto s = hub->AttachItem("s");
    s->setInfo(infoOfType(ItemInfo::kStr));
    EventLog slog;
    slog.watchItem(s);
    s->setValue(""); // empty text is a first change too
    s->setValue("");
    EXPECT_EQ(slog.events.size(), 1);
}

struct TypeCase {
    const char* name;
    int metrics;
    Variant assigned;
    Variant::Type storedType;
    QString storedText;
};

class ItemTypeCodes : public ::testing::TestWithParam<TypeCase> {};

TEST_P(ItemTypeCodes, ConvertsByTheLowFourBitsOfMetrics) {
    const TypeCase& c = GetParam();
    auto it = Hub::create()->AttachItem("v");
    it->setInfo(infoOfType(c.metrics));
    it->setValue(c.assigned);
    EXPECT_EQ(it->Value().type(), c.storedType);
    EXPECT_EQ(it->Value().toString(), c.storedText);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ItemTypeCodes,
    ::testing::Values(TypeCase{"IntFromText", 0, Variant("12"), Variant::Type::Integer, "12"},
                      TypeCase{"IntHalfToEven", 0, Variant(2.5), Variant::Type::Integer, "2"},
                      TypeCase{"Long", 1, Variant("70000"), Variant::Type::Long, "70000"},
                      TypeCase{"StrFromNumber", 6, Variant(1234.6), Variant::Type::String, "1234.6"},
                      TypeCase{"StrFromBool", 6, Variant(true), Variant::Type::String, "True"},
                      TypeCase{"Bool", 9, Variant(std::int16_t{1}), Variant::Type::Boolean, "True"},
                      TypeCase{"BoolHighBits", 4105, Variant("0"), Variant::Type::Boolean, "False"},
                      TypeCase{"Byte", 15, Variant(254.5), Variant::Type::Byte, "254"},
                      TypeCase{"ByteHighBits", 15 + 0x20, Variant("3"), Variant::Type::Byte, "3"},
                      TypeCase{"UncodedText", 2, Variant("abc"), Variant::Type::String, "abc"},
                      TypeCase{"UncodedDouble", 2, Variant(2.5), Variant::Type::Double, "2.5"}),
    test::CaseName{});

TEST(ItemModel, ConversionErrorsReachTheCallerAndLeaveTheItemUnchanged) {
    auto hub = Hub::create();
    struct Bad {
        int metrics;
        Variant value;
        int error;
    };
    const Bad cases[] = {{ItemInfo::kInt, Variant("abc"), kErrTypeMismatch},
                         {ItemInfo::kInt, Variant(std::int32_t{32768}), kErrOverflow},
                         {ItemInfo::kByte, Variant(std::int16_t{256}), kErrOverflow},
                         {ItemInfo::kBool, Variant("maybe"), kErrTypeMismatch},
                         {ItemInfo::kLong, Variant::null(), kErrInvalidUseOfNull},
                         {ItemInfo::kStr, Variant::null(), kErrInvalidUseOfNull}};
    int n = 0;
    for (const Bad& c : cases) {
        auto it = hub->AttachItem(QString::number(n++));
        it->setInfo(infoOfType(c.metrics));
        it->setValue("1");
        EventLog log;
        log.watchItem(it);
        try {
            it->setValue(c.value);
            ADD_FAILURE() << "no error for case " << n;
        } catch (const VariantError& e) {
            EXPECT_EQ(e.number(), c.error);
        }
        EXPECT_EQ(it->Value().toString(), c.metrics == ItemInfo::kBool ? "True" : "1");
        EXPECT_TRUE(log.events.isEmpty());
    }
}

TEST(ItemModel, BooleanItemTreatsOneAndMinusOneAlike) {
    auto it = Hub::create()->AttachItem("b");
    it->setInfo(infoOfType(ItemInfo::kBool));
    EventLog log;
    log.watchItem(it);
    it->setValue(std::int16_t{1});
    it->setValue(std::int16_t{-1});
    EXPECT_EQ(log.events.size(), 1);
    EXPECT_EQ(it->Value().toBoolean(), true);
}

TEST(ItemModel, UncodedItemStaysEmptyAndRaisesOnEveryEmptyAssignment) {
    auto it = Hub::create()->AttachItem("o");
    it->setInfo(infoOfType(3));
    EventLog log;
    log.watchItem(it);
    it->setValue(Variant());
    it->setValue(Variant());
    EXPECT_TRUE(it->Value().isEmpty());
    EXPECT_EQ(log.events.size(), 2);

    // Once a null is stored nothing compares as different, so nothing changes any more.
    it->setValue(Variant::null());
    it->setValue(std::int16_t{4});
    EXPECT_TRUE(it->Value().isNull());
    EXPECT_EQ(log.events.size(), 3);
}

TEST(ItemModel, ObjectAssignmentAlwaysRaises) {
    auto it = Hub::create()->AttachItem("obj");
    EventLog log;
    log.watchItem(it);
    auto ref = std::make_shared<int>(1);
    it->setValueObject(ref); // no Info needed on this path
    it->setValueObject(ref);
    EXPECT_EQ(log.events.size(), 2);
    EXPECT_EQ(it->Value().toObject(), ref);
    EXPECT_EQ(it->LastValue().toObject(), ref);
}

TEST(Hub, NamesAreCaseInsensitiveKeepFirstCaseAndInsertionOrder) {
    auto hub = Hub::create();
    EventLog log;
    log.watchHub(hub);
    auto a = hub->AttachItem("0Oper");
    auto b = hub->AttachItem("0band");
    auto again = hub->AttachItem("0OPER");
    EXPECT_EQ(a, again);
    EXPECT_EQ(again->Name(), "0Oper");
    EXPECT_EQ(log.events, (QStringList{"hub:New:0Oper", "hub:New:0band"}));
    EXPECT_EQ(hub->GetItem("0BAND"), b);
    EXPECT_EQ(hub->GetItem("1band"), nullptr);
    ASSERT_EQ(hub->GetItemCollection().size(), 2u);
    EXPECT_EQ(hub->GetItemCollection()[0], a);
    EXPECT_EQ(hub->GetItemCollection()[1], b);
    EXPECT_EQ(a->getHub(), hub);
}

TEST(Hub, EventOrderItemFirstOnValueHubFirstOnInfo) {
    auto hub = Hub::create();
    EventLog log;
    log.watchHub(hub);
    auto it = hub->AttachItem("x");
    log.watchItem(it);
    log.events.clear();

    auto ii = infoOfType(ItemInfo::kLong);
    it->setInfo(ii);
    it->setInfo(ii); // the same record again still raises both
    it->setValue(std::int32_t{7});
    EXPECT_EQ(log.events, (QStringList{"hub:Info:x", "item:Info:x", "hub:Info:x", "item:Info:x",
                                       "item:Value:x", "hub:Value:x"}));
    EXPECT_EQ(it->Info(), ii);
}

TEST(Hub, HandlersMayAssignAndDisconnectDuringAnEmission) {
    auto hub = Hub::create();
    auto a = hub->AttachItem("a");
    auto b = hub->AttachItem("b");
    a->setInfo(infoOfType(ItemInfo::kInt));
    b->setInfo(infoOfType(ItemInfo::kInt));
    EventLog log;
    log.watchHub(hub);

    // a's handler copies a into b, then into a itself (an echo that must end), then disconnects.
    QMetaObject::Connection conn;
    conn = QObject::connect(a.get(), &Item::ValueChange, [&] {
        b->setValue(a->Value());
        a->setValue(a->Value());
        QObject::disconnect(conn);
    });
    a->setValue(std::int16_t{3});
    EXPECT_EQ(b->Value().toInteger(), 3);
    EXPECT_EQ(log.events, (QStringList{"hub:Value:b", "hub:Value:a"}));
    a->setValue(std::int16_t{4}); // handler is gone
    EXPECT_EQ(b->Value().toInteger(), 3);
}

TEST(Hub, ResettingTheHubFails5555AndKeepsTheFirst) {
    auto hub = Hub::create();
    auto other = Hub::create();
    auto it = hub->AttachItem("x");
    try {
        it->setHub(other);
        FAIL() << "no error";
    } catch (const VariantError& e) {
        EXPECT_EQ(e.number(), 5555);
        EXPECT_EQ(e.description(), "Tried to reset Hub on Item");
    }
    EXPECT_EQ(it->getHub(), hub);

    // No hub is not a hub: it neither counts as the one accepted nor throws.
    auto loose = std::make_shared<Item>();
    loose->setHub(nullptr);
    loose->setHub(hub);
    EXPECT_EQ(loose->getHub(), hub);
}

TEST(Hub, EnumerationSurvivesAHandlerThatAttachesItems) {
    auto hub = Hub::create();
    for (const char* n : {"a", "b", "c"})
        hub->AttachItem(n)->setInfo(infoOfType(ItemInfo::kInt));
    int attached = 0;
    QObject::connect(hub.get(), &Hub::ItemChangedValue, [&] {
        for (int k = 0; k < 50; ++k) // enough to move the collection's storage
            hub->AttachItem(QStringLiteral("new%1").arg(attached++));
    });
    QStringList walked;
    for (const ItemPtr& it : hub->GetItemCollection()) {
        it->setValue(std::int16_t{1});
        walked << it->Name();
    }
    EXPECT_EQ(walked, (QStringList{"a", "b", "c"}));
    EXPECT_EQ(hub->GetItemCollection().size(), 153u);
}

TEST(Hub, ItemOutlivingItsHubStaysUsable) {
    ItemPtr it;
    {
        auto hub = Hub::create();
        it = hub->AttachItem("x");
        it->setInfo(infoOfType(ItemInfo::kInt));
    }
    EXPECT_EQ(it->getHub(), nullptr);
    int raised = 0;
    QObject::connect(it.get(), &Item::ValueChange, [&] { ++raised; });
    it->setValue(std::int16_t{9});
    it->setInfo(infoOfType(ItemInfo::kLong));
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(it->Value().toInteger(), 9);
}

} // namespace
} // namespace tarvex
