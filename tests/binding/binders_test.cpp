// Each binder on its own control: what it shows, what it writes back, and when it disables.
#include "../support/printers.h"
#include "binding/bind_bar_gauge.h"
#include "binding/bind_check_box.h"
#include "binding/bind_combo_box.h"
#include "binding/bind_slider.h"
#include "binding/bind_text_box.h"
#include "binding/bind_up_down.h"
#include "item_factory.h"
#include "ui/bar_gauge.h"
#include "ui/up_down.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>

namespace tarvex {
namespace {

using test::nullItem;
using test::publishedItem;

TEST(BindCheckBox, ShowingANumberNeverEchoesItAValuePartWritesItAndNullDisables) {
    const HubPtr hub = Hub::create();
    const ItemPtr mode = publishedItem(hub, "0mode", ItemInfo::kInt, 0, 5);
    mode->setValue(std::int16_t(5));
    QCheckBox plain, one;
    plain.setObjectName("U_mode");
    one.setObjectName("U_mode_1");
    BindCheckBox plainBinder, oneBinder;
    plainBinder.Bind(mode, &plain);
    oneBinder.Bind(mode, &one);
    EXPECT_TRUE(plain.isChecked());
    EXPECT_EQ(test::shown(mode->Value()), "Integer(5)") << "not rewritten as true";
    one.click(); // checked: writes its value; unchecked: nothing
    one.click();
    EXPECT_EQ(test::shown(mode->Value()), "Integer(1)");
    plainBinder.Bind(nullItem(hub, "0gone"), &plain);
    EXPECT_FALSE(plain.isEnabled());
}

TEST(BindTextBox, LeavingTheBoxWritesAndARefusedTextShowsTheItemAgain) {
    const HubPtr hub = Hub::create();
    const ItemPtr freq = publishedItem(hub, "0freq", ItemInfo::kInt, 0, 32767);
    freq->setValue(std::int16_t(14200));
    QLineEdit box;
    BindTextBox binder;
    binder.Bind(freq, &box);
    EXPECT_EQ(box.text(), "14200");
    for (const char* typed : {"7100", "forty"}) {
        box.setText(typed);
        QFocusEvent out(QEvent::FocusOut);
        QCoreApplication::sendEvent(&box, &out);
    }
    EXPECT_EQ(test::shown(freq->Value()), "Integer(7100)");
    EXPECT_EQ(box.text(), "7100"); // "forty" is no number: the item's own value is back
}

TEST(BindComboBox, PositionsCountFromLowAndAnEmptyItemDisables) {
    const HubPtr hub = Hub::create();
    const ItemPtr band = publishedItem(hub, "0band", ItemInfo::kInt, 1, 9);
    QComboBox combo;
    combo.addItems({"160", "80", "40", "30"});
    BindComboBox binder;
    binder.Bind(band, &combo);
    EXPECT_FALSE(combo.isEnabled());
    combo.setCurrentIndex(2); // the user chooses "40"
    EXPECT_EQ(test::shown(band->Value()), "Integer(3)");
    band->setValue(std::int16_t(12)); // beyond the list: unchanged
    EXPECT_EQ(combo.currentIndex(), 2);
    band->setValue(std::int16_t(0)); // position -1: no entry
    EXPECT_EQ(combo.currentIndex(), -1);
}

TEST(BindUpDown, RangeFromMetadataStepsWriteBackAndAClampIsNotTheUsers) {
    const HubPtr hub = Hub::create();
    const ItemPtr tune = publishedItem(hub, "0tune", ItemInfo::kInt, 0, 100);
    UpDown upDown;
    BindUpDown binder;
    binder.Bind(tune, &upDown);
    tune->setValue(std::int16_t(37));
    EXPECT_EQ(upDown.value(), 37) << "within 0..100";
    upDown.setValue(38); // the user steps
    EXPECT_EQ(test::shown(tune->Value()), "Integer(38)");
    tune->setValue(std::int16_t(150)); // outside the range: the control keeps what it shows
    tune->setInfo(std::make_shared<ItemInfo>(ItemInfo{10, 20, ItemInfo::kInt, 0, {}}));
    // the control clamps 38 into 10..20
    EXPECT_EQ(upDown.value(), 20);
    EXPECT_EQ(test::shown(tune->Value()), "Integer(150)");
}

TEST(BindSlider, VerticalSliderShowsAndWritesTheInverseAndADragWins) {
    const HubPtr hub = Hub::create();
    const ItemPtr pos = publishedItem(hub, "0pos", ItemInfo::kLong, 0, 100);
    QSlider slider{Qt::Vertical};
    BindSlider binder;
    binder.Bind(pos, &slider);
    pos->setValue(30);
    EXPECT_EQ(slider.value(), 70);
    slider.setSliderDown(true); // a drag
    slider.setSliderPosition(60);
    EXPECT_EQ(test::shown(pos->Value()), "Long(40)");
    pos->setValue(10); // made elsewhere during the drag: the thumb stays
    EXPECT_EQ(slider.sliderPosition(), 60);
}

TEST(BindBarGauge, ShowsRoundedValuesMinOnNullAndSkipsUnshowable) {
    const HubPtr hub = Hub::create();
    BarGauge gauge;
    gauge.setMin(5);
    BindBarGauge binder;
    binder.Bind(nullItem(hub, "0pfwd"), &gauge);
    std::vector<std::int16_t> shown{gauge.value()};
    const ItemPtr prfl = publishedItem(hub, "0prfl", 2);
    binder.Bind(prfl, &gauge);
    shown.push_back(gauge.value());
    for (const Variant& v : {Variant(1234.6), Variant(40000.0), Variant("n/a"), Variant(-2.5)}) {
        prfl->setValue(v);
        shown.push_back(gauge.value());
    }
    EXPECT_EQ(shown, (std::vector<std::int16_t>{5, 0, 1235, 1235, 1235, -2}));
}

} // namespace
} // namespace tarvex
