#include "binding/bind_check_box.h"
#include "binding/bind_combo_box.h"
#include "binding/bind_option_button.h"
#include "binding/bind_text_box.h"
#include "item_factory.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QRadioButton>

namespace tarvex {
namespace {

using test::publishedItem;

struct BoundBox {
    QCheckBox box;
    BindCheckBox binder;

    BoundBox(const ItemPtr& it, const char* name) {
        box.setObjectName(name);
        binder.Bind(it, &box);
    }
};

TEST(BindCheckBox, PlainBoxFollowsBooleanWritesClicksAndNullDisables) {
    const HubPtr hub = Hub::create();
    const ItemPtr it = publishedItem(hub, "0trim", 2);
    BoundBox trim(it, "U_trim");
    EXPECT_TRUE(trim.box.isEnabled()) << "empty is not null";
    it->setValue(true);
    EXPECT_TRUE(trim.box.isChecked());
    trim.box.click();
    EXPECT_EQ(it->Value().type(), Variant::Type::Boolean);
    EXPECT_FALSE(it->Value().toBoolean());
    trim.binder.Bind(test::nullItem(hub, "0gone"), &trim.box);
    EXPECT_FALSE(trim.box.isEnabled());

    const ItemPtr flag = publishedItem(hub, "0flag", ItemInfo::kBool);
    BoundBox unnamed(flag, "Check1"); // outside the naming rule: stays unbound
    flag->setValue(true);
    EXPECT_FALSE(unnamed.box.isChecked());
}

// Echo guard: showing a number as checked, at Bind or later, never writes true (-1) over it.
// A box with a value part writes that value when checked, and nothing when unchecked.
TEST(BindCheckBox, ShowingANumberNeverRewritesItAndAValuePartWritesOnlyWhenChecked) {
    const HubPtr hub = Hub::create();
    const ItemPtr it = publishedItem(hub, "0mode", ItemInfo::kInt, 0, 5);
    it->setValue(std::int16_t(5));
    BoundBox plain(it, "U_mode"), one(it, "U_mode_1");
    EXPECT_TRUE(plain.box.isChecked());
    EXPECT_EQ(it->Value().toInteger(), 5);
    it->setValue(std::int16_t(0));
    it->setValue(std::int16_t(7));
    EXPECT_EQ(it->Value().toInteger(), 7);

    one.box.click();
    EXPECT_EQ(it->Value().toInteger(), 1);
    one.box.click();
    EXPECT_EQ(it->Value().toInteger(), 1);
}

struct OptionPair {
    QWidget box; // the container makes the two buttons exclusive
    QRadioButton* on = new QRadioButton(&box);
    QRadioButton* off = new QRadioButton(&box);
    BindOptionButton onBinder, offBinder;

    OptionPair(const ItemPtr& it, const char* stem) {
        on->setObjectName(QStringLiteral("U_%1_1").arg(stem));
        off->setObjectName(QStringLiteral("U_%1_0").arg(stem));
        onBinder.Bind(it, on);
        offBinder.Bind(it, off);
    }
};

TEST(BindOptionButton, EmptyBooleanItemTakesZeroAtBindThenOneButtonOfThePairIsSelected) {
    const HubPtr hub = Hub::create();
    const ItemPtr it = publishedItem(hub, "0oper", 4096 | ItemInfo::kBool);
    int changes = 0;
    QObject::connect(it.get(), &Item::ValueChange, [&changes] { ++changes; });
    OptionPair pair(it, "oper");
    EXPECT_TRUE(pair.off->isChecked());
    ASSERT_EQ(it->Value().type(), Variant::Type::Boolean);
    EXPECT_FALSE(it->Value().toBoolean());
    EXPECT_EQ(changes, 1);

    it->setValue(true);
    EXPECT_TRUE(pair.on->isChecked());
    EXPECT_FALSE(pair.off->isChecked());
    pair.off->click();
    EXPECT_FALSE(it->Value().toBoolean());
}

TEST(BindOptionButton, NumericItemMatchingNoButtonSelectsNoneAndNullDisables) {
    const HubPtr hub = Hub::create();
    const ItemPtr it = publishedItem(hub, "0sel", 2); // Metrics & 9 == 0: numeric comparison
    it->setValue(std::int16_t(1));
    OptionPair pair(it, "sel");
    EXPECT_TRUE(pair.on->isChecked());
    it->setValue(std::int16_t(5));
    EXPECT_FALSE(pair.on->isChecked());
    EXPECT_FALSE(pair.off->isChecked());

    // A Long item takes the boolean comparison too (Metrics & 9): 1 is not true (-1).
    const ItemPtr wide = publishedItem(hub, "0wide", ItemInfo::kLong, 0, 5);
    wide->setValue(1);
    OptionPair widePair(wide, "wide");
    EXPECT_FALSE(widePair.on->isChecked());

    OptionPair nullPair(test::nullItem(hub, "0nul"), "nul");
    EXPECT_FALSE(nullPair.on->isEnabled());
}

TEST(BindComboBox, PositionsCountFromLow) {
    const HubPtr hub = Hub::create();
    const ItemPtr it = publishedItem(hub, "0band", ItemInfo::kInt, 1, 9);
    QComboBox combo;
    combo.addItems({"160", "80", "40", "30", "20", "17", "15", "12", "10"});
    BindComboBox binder;
    binder.Bind(it, &combo);
    EXPECT_FALSE(combo.isEnabled()) << "empty";

    it->setValue(std::int16_t(1));
    EXPECT_EQ(combo.currentIndex(), 0);
    combo.setCurrentIndex(2); // the user chooses "40"
    EXPECT_EQ(it->Value().toInteger(), 3);

    it->setValue(std::int16_t(0));
    EXPECT_EQ(combo.currentIndex(), -1);
    EXPECT_EQ(it->Value().toInteger(), 0) << "showing no entry writes the same value back";
    it->setValue(std::int16_t(4));
    it->setValue(std::int16_t(12)); // beyond the list
    EXPECT_EQ(combo.currentIndex(), 3);
    it->setValue(std::int16_t(-5)); // below position -1
    EXPECT_EQ(combo.currentIndex(), 3);
    binder.Bind(test::nullItem(hub, "0x"), &combo);
    EXPECT_FALSE(combo.isEnabled());
}

TEST(BindComboBox, ARefusedWriteStaysInside) {
    const HubPtr hub = Hub::create();
    const ItemPtr it = publishedItem(hub, "0seg", ItemInfo::kByte, 250, 255);
    it->setValue(std::uint8_t(250));
    QComboBox combo;
    combo.addItems({"a", "b", "c", "d", "e", "f", "g", "h"});
    BindComboBox binder;
    binder.Bind(it, &combo);
    combo.setCurrentIndex(7); // 257 does not fit a byte: the item keeps its value
    EXPECT_EQ(it->Value().toInteger(), 250);
}

void loseFocus(QWidget& w) {
    QFocusEvent event(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(&w, &event);
}

TEST(BindTextBox, WritesOnLossOfFocusAndRestoresTheValueWhenRefused) {
    const HubPtr hub = Hub::create();
    const ItemPtr it = publishedItem(hub, "0count", ItemInfo::kInt, 0, 100);
    QLineEdit edit;
    BindTextBox binder;
    binder.Bind(it, &edit);
    EXPECT_FALSE(edit.isEnabled());
    it->setValue(std::int16_t(12));
    EXPECT_TRUE(edit.isEnabled());
    EXPECT_EQ(edit.text(), "12");

    int changes = 0;
    QObject::connect(it.get(), &Item::ValueChange, [&changes] { ++changes; });
    loseFocus(edit);
    EXPECT_EQ(changes, 0) << "an unchanged text raises nothing";

    edit.setText(" 40 ");
    loseFocus(edit);
    EXPECT_EQ(it->Value().toInteger(), 40);
    EXPECT_EQ(edit.text(), "40");
    for (const char* refused : {"forty", "99999"}) {
        edit.setText(refused);
        loseFocus(edit);
        EXPECT_EQ(edit.text(), "40") << refused;
    }

    binder.UnBind();
    edit.setText("41");
    loseFocus(edit);
    EXPECT_EQ(it->Value().toInteger(), 40);
}

} // namespace
} // namespace tarvex
