#include "binding/colors.h"
#include "core/property_bag.h"
#include "ui/bar_gauge.h"

#include <QImage>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>

namespace tarvex {
namespace {

constexpr QSizeF kArea(2000.0, 90.0);

// The linear end for kArea, in the single precision the layout uses.
double linearEnd(int offset, int range) {
    return static_cast<float>(2000.0f * static_cast<float>(offset) / static_cast<float>(range));
}

// A layout whose every field differs from what a run would compute, to see what was kept.
constexpr BarLine kBefore{7, 5.0, 3.0, 123.0, 3.0, 0x00123456u};

struct LayoutCase {
    const char* name;
    std::function<void(BarSettings&)> setup;
    double x2;
    std::uint32_t color;
};

class BarLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(BarLayout, LengthAndZone) {
    const LayoutCase& c = GetParam();
    BarSettings s;
    c.setup(s);
    const BarLine bar = layoutBar(s, kArea, kBefore);
    EXPECT_DOUBLE_EQ(bar.x2, c.x2) << c.name;
    EXPECT_EQ(bar.color, c.color) << c.name;
    EXPECT_EQ(bar.x1, 0.0);
    EXPECT_TRUE(bar.y1 == 45.0 && bar.y2 == 45.0 && bar.width == 90) << "across the full height";
}

const auto value = [](std::int16_t v) { return [v](BarSettings& s) { s.value = v; }; };
const auto logValue = [](std::int16_t v) {
    return [v](BarSettings& s) {
        s.logarithmic = true;
        s.value = v;
    };
};
// The grid-current gauge (thresholds stored as text or as a number) and the forward-power gauge
// (yellow and red thresholds equal, so it has no yellow zone).
const auto gauge = [](std::int16_t max, Variant yellow, std::int16_t red, std::int16_t v) {
    return [=](BarSettings& s) {
        s.max = max;
        s.yellowThreshold = yellow;
        s.redThreshold = red;
        s.value = v;
    };
};

INSTANTIATE_TEST_SUITE_P(
    BarGaugeLinear, BarLayout,
    ::testing::Values(
        LayoutCase{"zero", value(0), 0.0, kGaugeGreen},
        LayoutCase{"at yellow", value(60), 1200.0, kGaugeYellow},
        LayoutCase{"at red", value(80), 1600.0, kGaugeRed},
        LayoutCase{"above max runs past the edge", value(150), 3000.0, kGaugeRed},
        LayoutCase{"below min ends left of the start", value(-10), -200.0, kGaugeGreen},
        LayoutCase{"text threshold below", gauge(150, QStringLiteral("105"), 122, 104),
                   linearEnd(104, 150), kGaugeGreen},
        LayoutCase{"no yellow zone", gauge(2500, QStringLiteral("1500"), 1500, 1500), 1200.0,
                   kGaugeRed},
        LayoutCase{"threshold text that is no number counts as met",
                   gauge(150, QStringLiteral("lots"), 122, 1), linearEnd(1, 150), kGaugeYellow},
        LayoutCase{"null threshold decides nothing", gauge(150, Variant::null(), 122, 100),
                   linearEnd(100, 150), kGaugeGreen}));

INSTANTIATE_TEST_SUITE_P(
    BarGaugeLogarithmic, BarLayout,
    ::testing::Values(LayoutCase{"value 10 is half way", logValue(10), 1000.0, kGaugeGreen},
                      LayoutCase{"value 60", logValue(60), 1780.0, kGaugeYellow},
                      LayoutCase{"value 100", logValue(100), 2000.0, kGaugeRed},
                      LayoutCase{"value 0 has no logarithm", logValue(0), 0.0, kGaugeGreen}));

TEST(BarGaugeLayout, FailingStepsKeepThePreviousGeometry) {
    const BarLine before = kBefore;
    BarSettings s;
    s.min = s.max = 50;
    s.value = 90;
    BarLine bar = layoutBar(s, kArea, before);
    EXPECT_EQ(bar.x2, before.x2) << "Min = Max, linear";
    EXPECT_EQ(bar.color, kGaugeRed) << "the colour still follows the thresholds";
    s.logarithmic = true;
    EXPECT_EQ(layoutBar(s, kArea, before).x2, before.x2) << "Min = Max, logarithmic";
    // A range of one has ln 1 = 0 below the fraction: the position stays 0, the bar is empty.
    s.max = 51;
    s.value = 51;
    EXPECT_EQ(layoutBar(s, kArea, before).x2, 0.0);

    // Heights that give no usable stroke width keep the old one; halves round to even.
    EXPECT_EQ(layoutBar({}, QSizeF(100, 0.4), before).width, before.width);
    EXPECT_EQ(layoutBar({}, QSizeF(100, 40000), before).width, before.width);
    EXPECT_EQ(layoutBar({}, QSizeF(100, 2.5), before).width, 2);
}

TEST(BarGaugeLayout, SixteenAndThirtyTwoBitArithmetic) {
    const BarLine before = kBefore;
    BarSettings s;
    // Max - Min = 32767 still fits in 16 bits; one more overflows.
    s.min = -1;
    s.max = 32766;
    s.value = 32766;
    EXPECT_DOUBLE_EQ(layoutBar(s, kArea, before).x2, 2000.0);
    s.min = -2;
    EXPECT_EQ(layoutBar(s, kArea, before).x2, before.x2) << "Max - Min overflows";

    // Logarithmic: round(W) x L is a 32-bit product. At the top of the scale L = 32767, so
    // W = 65538 still fits and 65539 overflows.
    s = BarSettings{};
    s.logarithmic = true;
    s.max = 32767;
    s.value = 32767;
    EXPECT_DOUBLE_EQ(layoutBar(s, QSizeF(65538, 90), before).x2, 65538.0);
    EXPECT_EQ(layoutBar(s, QSizeF(65539, 90), before).x2, before.x2);
}

TEST(BarGauge, OnlyValueWritesAndResizesMoveTheBarAndEveryWriteNotifies) {
    BarGauge g;
    g.setAppearance(0);
    g.resize(200, 6);
    g.show(); // a hidden widget hears of its resizes only when shown
    const double w = g.drawingArea().width();
    ASSERT_GT(w, 0.0);
    g.setValue(50);
    EXPECT_FLOAT_EQ(g.bar().x2, w / 2);

    QSignalSpy spy(&g, &BarGauge::propertyChanged);
    g.setMax(200);
    g.setRedThreshold(10);
    EXPECT_FLOAT_EQ(g.bar().x2, w / 2) << "writing Max alone does not move the bar";
    g.setValue(50); // the same value: still a write that notifies and lays out
    EXPECT_FLOAT_EQ(g.bar().x2, w / 4);
    EXPECT_EQ(g.bar().color, kGaugeRed);
    ASSERT_EQ(spy.count(), 3);
    EXPECT_EQ(spy.at(2).at(0).toString(), "Value");

    g.setMax(100);
    g.resize(400, 6);
    EXPECT_FLOAT_EQ(g.bar().x2, g.drawingArea().width() / 2) << "a resize lays out again";
}

TEST(BarGauge, ValuesFromBinders) {
    BarGauge g;
    g.setMin(10);
    EXPECT_TRUE(g.setValueFromVariant(Variant::null()));
    EXPECT_EQ(g.value(), 10) << "null shows Min, an empty bar";
    EXPECT_TRUE(g.setValueFromVariant(1234.6));
    EXPECT_EQ(g.value(), 1235);
    EXPECT_TRUE(g.setValueFromNumber(2.5));
    EXPECT_EQ(g.value(), 2) << "halves round to even";
    // What does not fit in 16 bits is refused and changes nothing.
    EXPECT_FALSE(g.setValueFromNumber(40000.0));
    EXPECT_FALSE(g.setValueFromNumber(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(g.setValueFromVariant(QStringLiteral("high")));
    EXPECT_EQ(g.value(), 2);
}

TEST(BarGauge, PaintsTheBarOverTheFullInnerHeight) {
    BarGauge g;
    g.setBackColor(0x00000000u); // black
    g.resize(202, 8);            // the sunken frame takes one pixel all round
    g.setValue(60);              // yellow, 60 % of the width
    const QImage image = g.grab().toImage();
    const QColor yellow = colorFromDesigned(kGaugeYellow);
    EXPECT_NE(image.pixelColor(50, 0), yellow);
    EXPECT_NE(image.pixelColor(50, 7), yellow);
    for (int y = 1; y < 7; ++y)
        EXPECT_EQ(image.pixelColor(50, y), yellow) << y;
    EXPECT_EQ(image.pixelColor(1, 4), yellow);
    EXPECT_EQ(image.pixelColor(150, 4), Qt::black);
}

TEST(BarGauge, StoredPropertiesRoundTripAndAreReadWithoutRegardToCase) {
    BarGauge g;
    g.setBackColor(0x80000010u);
    g.setLogarithmic(true);
    g.setMin(-5);
    g.setYellowThreshold(QStringLiteral("1000"));
    g.setGreenColor(0x00070809u);
    PropertyBag written;
    g.WriteProperties(written);

    // Through the byte form, as a saved layout travels.
    PropertyBag restored;
    ASSERT_TRUE(restored.setContents(written.Contents()));
    BarGauge copy;
    QSignalSpy spy(&copy, &BarGauge::propertyChanged);
    copy.ReadProperties(restored);
    EXPECT_EQ(spy.count(), 0) << "reading is not a change to save";
    PropertyBag again;
    copy.WriteProperties(again);
    EXPECT_EQ(again.Contents(), written.Contents());
    EXPECT_EQ(copy.backColor(), 0x80000010u) << "a system colour keeps its top bit";
    EXPECT_EQ(copy.yellowThreshold().type(), Variant::Type::String);

    PropertyBag layout;
    layout.WriteProperty(QStringLiteral("max"), std::int16_t{2500});
    copy.ReadProperties(layout);
    EXPECT_EQ(copy.max(), 2500);
    EXPECT_EQ(copy.min(), 0) << "keys left out take their defaults";

    // An entry that cannot be read goes to the caller and leaves the gauge as it was.
    PropertyBag bad;
    bad.WriteProperty(QStringLiteral("Min"), std::int16_t{7});
    bad.WriteProperty(QStringLiteral("VALUE"), QStringLiteral("plenty"));
    EXPECT_THROW(copy.ReadProperties(bad), VariantError);
    EXPECT_EQ(copy.min(), 0);
    EXPECT_EQ(copy.max(), 2500);
}

} // namespace
} // namespace tarvex
