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

ItemPtr typedItem(const HubPtr& hub, const char* name, int metrics) {
    auto it = hub->AttachItem(name);
    it->setInfo(infoOfType(metrics));
    return it;
}

// Records every event of one hub and its items in the order they arrive.
struct EventLog {
    QStringList events;

    void watchHub(const HubPtr& hub) {
        QObject::connect(hub.get(), &Hub::NewItem, [this](auto it) { events << "hub:New:" + it->Name(); });
        QObject::connect(hub.get(), &Hub::ItemChangedValue,
                         [this](auto it) { events << "hub:Value:" + it->Name(); });
        QObject::connect(hub.get(), &Hub::ItemChangedInfo,
                         [this](auto it) { events << "hub:Info:" + it->Name(); });
    }
    void watchItem(const ItemPtr& item) {
        const QString n = item->Name();
        QObject::connect(item.get(), &Item::ValueChange, [this, n] { events << "item:Value:" + n; });
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
    EXPECT_EQ(test::shown(it->Value()), "Integer(12)");
    log.events.clear();
    it->setValue(12.0);
    it->setValue(" 12 ");
    EXPECT_TRUE(log.events.isEmpty());
    EXPECT_EQ(it->LastValue().toInteger(), 0);
    // What a caller holds is a value, not a window onto the item that a handler can change.
    const Variant& held = it->Value();
    it->setValue(std::int16_t{13});
    EXPECT_EQ(held.toInteger(), 12);
}

struct TypeCase {
    const char* name;
    int metrics;
    Variant assigned;
    const char* stored;
};

class ItemTypeCodes : public ::testing::TestWithParam<TypeCase> {};

TEST_P(ItemTypeCodes, ConvertsByTheLowFourBitsOfMetrics) {
    const TypeCase& c = GetParam();
    auto it = typedItem(Hub::create(), "v", c.metrics);
    it->setValue(c.assigned);
    EXPECT_EQ(test::shown(it->Value()), c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ItemTypeCodes,
    ::testing::Values(TypeCase{"IntFromText", 0, Variant("12"), "Integer(12)"},
                      TypeCase{"IntHalfToEven", 0, Variant(2.5), "Integer(2)"},
                      TypeCase{"Long", 1, Variant("70000"), "Long(70000)"},
                      TypeCase{"StrFromNumber", 6, Variant(1234.6), "String(1234.6)"},
                      TypeCase{"StrFromBool", 6, Variant(true), "String(True)"},
                      TypeCase{"Bool", 9, Variant(std::int16_t{1}), "Boolean(True)"},
                      TypeCase{"BoolHighBits", 4105, Variant("0"), "Boolean(False)"},
                      TypeCase{"Byte", 15, Variant(254.5), "Byte(254)"},
                      TypeCase{"ByteHighBits", 15 + 0x20, Variant("3"), "Byte(3)"},
                      TypeCase{"UncodedText", 2, Variant("abc"), "String(abc)"},
                      TypeCase{"UncodedDouble", 2, Variant(2.5), "Double(2.5)"}),
    test::CaseName{});

TEST(ItemModel, ConversionErrorsReachTheCallerAndLeaveTheItemUnchanged) {
    auto hub = Hub::create();
    const struct {
        int metrics;
        Variant value;
        int error;
    } cases[] = {{ItemInfo::kInt, Variant("abc"), kErrTypeMismatch},
                 {ItemInfo::kInt, Variant(std::int32_t{32768}), kErrOverflow},
                 {ItemInfo::kByte, Variant(std::int16_t{256}), kErrOverflow},
                 {ItemInfo::kBool, Variant("maybe"), kErrTypeMismatch},
                 {ItemInfo::kLong, Variant::null(), kErrInvalidUseOfNull},
                 {ItemInfo::kStr, Variant::null(), kErrInvalidUseOfNull}};
    int n = 0;
    for (const auto& c : cases) {
        auto it = typedItem(hub, qPrintable(QString::number(n++)), c.metrics);
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

TEST(ItemModel, WhatCountsAsAChangeForBooleansUncodedValuesAndObjects) {
    auto hub = Hub::create();
    EventLog log;
    auto b = typedItem(hub, "b", ItemInfo::kBool);
    log.watchItem(b);
    b->setValue(std::int16_t{1});
    b->setValue(std::int16_t{-1}); // both are True
    EXPECT_EQ(log.events.size(), 1);

    auto o = typedItem(hub, "o", 3); // no conversion
    log.watchItem(o);
    o->setValue(Variant());
    o->setValue(Variant()); // Empty is never "the same" as what an item holds
    EXPECT_EQ(log.events.size(), 3);
    // Once a null is stored nothing compares as different, so nothing changes any more.
    o->setValue(Variant::null());
    o->setValue(std::int16_t{4});
    EXPECT_TRUE(o->Value().isNull());
    EXPECT_EQ(log.events.size(), 4);

    auto obj = hub->AttachItem("obj");
    log.watchItem(obj);
    auto ref = std::make_shared<int>(1);
    obj->setValueObject(ref); // no Info needed on this path, and always announced
    obj->setValueObject(ref);
    EXPECT_EQ(log.events.size(), 6);
    EXPECT_EQ(obj->LastValue().toObject(), ref);
}

TEST(Hub, NamesIgnoreCaseKeepFirstCaseAndOrderAndEventsRunInTheirOrder) {
    auto hub = Hub::create();
    EventLog log;
    log.watchHub(hub);
    auto a = hub->AttachItem("0Oper");
    auto b = hub->AttachItem("0band");
    EXPECT_EQ(hub->AttachItem("0OPER"), a);
    EXPECT_EQ(a->Name(), "0Oper");
    EXPECT_EQ(hub->GetItem("0BAND"), b);
    EXPECT_EQ(hub->GetItem("1band"), nullptr);
    EXPECT_EQ(hub->GetItemCollection(), (std::vector<ItemPtr>{a, b}));
    EXPECT_EQ(a->getHub(), hub);

    // Item before hub on a value change, hub before item on an info change; the same info
    // record again still raises both.
    log.watchItem(a);
    auto ii = infoOfType(ItemInfo::kLong);
    a->setInfo(ii);
    a->setInfo(ii);
    a->setValue(std::int32_t{7});
    EXPECT_EQ(log.events,
              (QStringList{"hub:New:0Oper", "hub:New:0band", "hub:Info:0Oper", "item:Info:0Oper",
                           "hub:Info:0Oper", "item:Info:0Oper", "item:Value:0Oper",
                           "hub:Value:0Oper"}));
}

TEST(Hub, HandlersMayAssignDisconnectAndAttachDuringAnEmission) {
    auto hub = Hub::create();
    auto a = typedItem(hub, "a", ItemInfo::kInt);
    auto b = typedItem(hub, "b", ItemInfo::kInt);
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

    // A walk over the items survives a handler that attaches enough to move their storage.
    QObject::connect(hub.get(), &Hub::ItemChangedValue, [&] {
        for (int k = 0; k < 50; ++k)
            hub->AttachItem(QStringLiteral("new%1").arg(hub->GetItemCollection().size()));
    });
    QStringList walked;
    for (const ItemPtr& it : hub->GetItemCollection()) {
        it->setValue(std::int16_t{9});
        walked << it->Name();
    }
    EXPECT_EQ(walked, (QStringList{"a", "b"}));
}

TEST(Hub, AnItemKeepsItsFirstHubAndOutlivesIt) {
    ItemPtr it;
    {
        auto hub = Hub::create();
        it = typedItem(hub, "x", ItemInfo::kInt);
        try {
            it->setHub(Hub::create());
            ADD_FAILURE() << "no error";
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
    EXPECT_EQ(it->getHub(), nullptr);
    int raised = 0;
    QObject::connect(it.get(), &Item::ValueChange, [&] { ++raised; });
    it->setValue(std::int16_t{9});
    it->setInfo(infoOfType(ItemInfo::kLong));
    EXPECT_EQ(raised, 1);
}

} // namespace
} // namespace tarvex
