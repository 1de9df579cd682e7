#include "binding/bind_bar_gauge.h"
#include "binding/bind_slider.h"
#include "binding/bind_up_down.h"
#include "fake_controls.h"
#include "item_factory.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

using test::FakeGauge;
using test::FakeUpDown;
using test::publishedItem;

TEST(BindUpDown, RangeFromMetadataStepsWriteBackAndNullDisables) {
    const HubPtr hub = Hub::create();
    const ItemPtr it = publishedItem(hub, "0tune", ItemInfo::kInt, 0, 100);
    FakeUpDown upDown;
    BindUpDown binder;
    binder.Bind(it, &upDown);
    EXPECT_FALSE(upDown.isEnabled()) << "empty";
    it->setValue(std::int16_t(37));
    EXPECT_TRUE(upDown.isEnabled());
    EXPECT_EQ(upDown.max(), 100);
    EXPECT_EQ(upDown.value(), 37);

    upDown.stepUp();
    EXPECT_EQ(it->Value().toInteger(), 38);
    it->setValue(std::int16_t(150)); // outside the range: the control keeps what it shows
    EXPECT_EQ(upDown.value(), 38);

    test::setRange(it, 10, 20); // new metadata: the control clamps 38 to 20 and reports it
    EXPECT_EQ(upDown.min(), 10);
    EXPECT_EQ(upDown.max(), 20);
    EXPECT_EQ(it->Value().toInteger(), 150) << "a clamp is not the user's change";

    binder.Bind(test::nullItem(hub, "0load", 0, 100), &upDown);
    EXPECT_FALSE(upDown.isEnabled());
}

struct SliderFixture : ::testing::Test {
    HubPtr hub = Hub::create();
    ItemPtr it = publishedItem(hub, "0pos", ItemInfo::kLong, 0, 100);
    QSlider slider{Qt::Vertical};
    BindSlider binder;
};

TEST_F(SliderFixture, VerticalSliderShowsAndWritesTheInverse) {
    binder.Bind(it, &slider);
    EXPECT_EQ(slider.value(), 100) << "empty shows as 0";
    it->setValue(30);
    EXPECT_EQ(slider.value(), 70);

    slider.setSliderDown(true); // a drag
    slider.setSliderPosition(60);
    EXPECT_EQ(it->Value().toLong(), 40);
    it->setValue(10); // made elsewhere during the drag: the thumb stays
    EXPECT_EQ(slider.sliderPosition(), 60);
    slider.setSliderDown(false); // the completed change writes the thumb's value
    EXPECT_EQ(it->Value().toLong(), 40);

    slider.setValue(90); // keyboard or page step
    EXPECT_EQ(it->Value().toLong(), 10);
    binder.Bind(test::nullItem(hub, "0n", 0, 10), &slider);
    EXPECT_FALSE(slider.isEnabled());
}

TEST_F(SliderFixture, NewRangeDoesNotLeakAClampIntoTheItem) {
    slider.setOrientation(Qt::Horizontal);
    slider.setRange(0, 10);
    slider.setValue(8);
    it->setValue(15);
    test::setRange(it, 0, 5);
    binder.Bind(it, &slider); // range 0..5 clamps the slider from 8 to 5; 15 lies outside
    EXPECT_EQ(it->Value().toLong(), 15);
    EXPECT_EQ(slider.value(), 5);

    test::setRange(it, 10, 20);
    EXPECT_EQ(slider.minimum(), 10);
    EXPECT_EQ(slider.maximum(), 20);
    EXPECT_EQ(slider.value(), 15);
    EXPECT_EQ(it->Value().toLong(), 15);
}

TEST(BindBarGauge, ShowsRoundedValueMinOnNullAndSkipsUnshowable) {
    const HubPtr hub = Hub::create();
    const ItemPtr it = publishedItem(hub, "0pfwd", 2);
    FakeGauge gauge(nullptr, 5);
    BindBarGauge binder;
    binder.Bind(it, &gauge);
    it->setValue(1234.6);
    it->setValue(40000.0); // beyond 16 bits
    it->setValue("n/a");
    it->setValue(-2.5);
    const ItemPtr fading = publishedItem(hub, "0prfl", 2);
    binder.Bind(fading, &gauge);
    fading->setValue(Variant::null());
    it->setValue(7.0); // rebinding dropped the first item
    // Never set shows 0, halves round to even, what 16 bits cannot hold is skipped, null shows Min.
    EXPECT_EQ(gauge.values, (std::vector<std::int16_t>{0, 1235, -2, 0, 5}));
}

} // namespace
} // namespace tarvex
