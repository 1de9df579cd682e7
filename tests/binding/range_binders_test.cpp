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

TEST(BindUpDown, RangeFromMetadataAndStepsWriteBack) {
    const HubPtr hub = Hub::create();
    const ItemPtr it = publishedItem(hub, "0tune", ItemInfo::kInt, 0, 100);
    it->setValue(std::int16_t(37));
    FakeUpDown upDown;
    BindUpDown binder;
    binder.Bind(it, &upDown);
    EXPECT_EQ(upDown.min(), 0);
    EXPECT_EQ(upDown.max(), 100);
    EXPECT_EQ(upDown.value(), 37);
    EXPECT_TRUE(upDown.isEnabled());

    upDown.stepUp();
    EXPECT_EQ(it->Value().toInteger(), 38);
    it->setValue(std::int16_t(150)); // outside the range: the control keeps what it shows
    EXPECT_EQ(upDown.value(), 38);
}

TEST(BindUpDown, NewMetadataReappliesRangeWithoutClampingTheItem) {
    const HubPtr hub = Hub::create();
    const ItemPtr it = publishedItem(hub, "0load", ItemInfo::kInt, 0, 100);
    it->setValue(std::int16_t(37));
    FakeUpDown upDown;
    BindUpDown binder;
    binder.Bind(it, &upDown);

    test::setRange(it, 10, 20); // the control clamps 37 to 20 and reports it
    EXPECT_EQ(upDown.min(), 10);
    EXPECT_EQ(upDown.max(), 20);
    EXPECT_EQ(it->Value().toInteger(), 37) << "a clamp is not the user's change";
    it->setValue(std::int16_t(15));
    EXPECT_EQ(upDown.value(), 15);
    test::setRange(it, 12, 18);
    EXPECT_EQ(upDown.value(), 15);
}

TEST(BindUpDown, EmptyOrNullDisables) {
    const HubPtr hub = Hub::create();
    const ItemPtr it = publishedItem(hub, "0tune", 2, 0, 100);
    FakeUpDown upDown;
    BindUpDown binder;
    binder.Bind(it, &upDown);
    EXPECT_FALSE(upDown.isEnabled());
    it->setValue(std::int16_t(5));
    EXPECT_TRUE(upDown.isEnabled());
    EXPECT_EQ(upDown.value(), 5);

    FakeUpDown other;
    BindUpDown nullBinder;
    nullBinder.Bind(test::nullItem(hub, "0load", 0, 100), &other);
    EXPECT_FALSE(other.isEnabled());
}

struct SliderFixture : ::testing::Test {
    HubPtr hub = Hub::create();
    ItemPtr it = publishedItem(hub, "0pos", ItemInfo::kLong, 0, 100);
    QSlider slider{Qt::Vertical};
    BindSlider binder;

    void drag(int position) {
        slider.setSliderDown(true);
        slider.setSliderPosition(position);
    }
};

TEST_F(SliderFixture, VerticalSliderShowsAndWritesTheInverse) {
    it->setValue(30);
    binder.Bind(it, &slider);
    EXPECT_EQ(slider.minimum(), 0);
    EXPECT_EQ(slider.maximum(), 100);
    EXPECT_EQ(slider.value(), 70);

    drag(60);
    EXPECT_EQ(it->Value().toLong(), 40);
    it->setValue(10); // made elsewhere during the drag: the thumb stays
    EXPECT_EQ(slider.sliderPosition(), 60);
    slider.setSliderDown(false); // the completed change writes the thumb's value
    EXPECT_EQ(it->Value().toLong(), 40);
    it->setValue(25);
    EXPECT_EQ(slider.value(), 75);

    slider.setValue(90); // keyboard or page step
    EXPECT_EQ(it->Value().toLong(), 10);
}

TEST_F(SliderFixture, EmptyShowsZeroOrMaxAndOnlyNullDisables) {
    binder.Bind(it, &slider);
    EXPECT_TRUE(slider.isEnabled());
    EXPECT_EQ(slider.value(), 100);

    QSlider horizontal(Qt::Horizontal);
    horizontal.setRange(0, 10);
    horizontal.setValue(4);
    BindSlider other;
    other.Bind(publishedItem(hub, "0h", 2, 0, 10), &horizontal);
    EXPECT_EQ(horizontal.value(), 0);
    EXPECT_TRUE(horizontal.isEnabled());

    QSlider unused;
    BindSlider nullBinder;
    nullBinder.Bind(test::nullItem(hub, "0n", 0, 10), &unused);
    EXPECT_FALSE(unused.isEnabled());
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
    const ItemPtr fading = publishedItem(hub, "0prfl", 2);
    FakeGauge empty(nullptr, 5);
    BindBarGauge first;
    first.Bind(fading, &empty);
    fading->setValue(Variant::null());
    EXPECT_EQ(empty.values, (std::vector<std::int16_t>{0, 5})) << "never set, then null";
    EXPECT_EQ(empty.refreshes, 1);

    const ItemPtr it = publishedItem(hub, "0pfwd", 2);
    FakeGauge gauge;
    BindBarGauge binder;
    binder.Bind(it, &gauge);
    it->setValue(1234.6);
    it->setValue(40000.0); // beyond 16 bits
    it->setValue("n/a");
    it->setValue(-2.5);
    EXPECT_EQ(gauge.values, (std::vector<std::int16_t>{0, 1235, -2}));

    binder.UnBind();
    it->setValue(7.0);
    EXPECT_EQ(gauge.values.size(), 3u);
}

} // namespace
} // namespace tarvex
