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
BarLine previousLine() {
    BarLine b;
    b.width = 7;
    b.x1 = 5.0;
    b.y1 = b.y2 = 3.0;
    b.x2 = 123.0;
    b.color = 0x00123456u;
    return b;
}

struct LayoutCase {
    const char* name;
    std::function<void(BarSettings&)> setup;
    double x2;
    std::uint32_t color;
};

void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.name;
}

class BarLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(BarLayout, LengthAndZone) {
    const LayoutCase& c = GetParam();
    BarSettings s;
    c.setup(s);
    const BarLine bar = layoutBar(s, kArea, previousLine());
    EXPECT_DOUBLE_EQ(bar.x2, c.x2);
    EXPECT_EQ(bar.color, c.color);
    EXPECT_EQ(bar.x1, 0.0);
    EXPECT_EQ(bar.width, 90);
    EXPECT_EQ(bar.y1, 45.0);
    EXPECT_EQ(bar.y2, 45.0);
}

const auto value = [](std::int16_t v) { return [v](BarSettings& s) { s.value = v; }; };
const auto logValue = [](std::int16_t v) {
    return [v](BarSettings& s) {
        s.logarithmic = true;
        s.value = v;
    };
};
// The grid-current gauge: thresholds stored as text and as a number.
const auto gridCurrent = [](Variant yellow, std::int16_t v) {
    return [yellow, v](BarSettings& s) {
        s.max = 150;
        s.yellowThreshold = yellow;
        s.redThreshold = 122;
        s.value = v;
    };
};
// The forward-power gauge: yellow and red thresholds equal, so it has no yellow zone.
const auto forwardPower = [](std::int16_t v) {
    return [v](BarSettings& s) {
        s.max = 2500;
        s.yellowThreshold = QStringLiteral("1500");
        s.redThreshold = 1500;
        s.value = v;
    };
};

INSTANTIATE_TEST_SUITE_P(
    BarGaugeLinear, BarLayout,
    ::testing::Values(
        LayoutCase{"zero", value(0), 0.0, kGaugeGreen},
        LayoutCase{"at yellow", value(60), 1200.0, kGaugeYellow},
        LayoutCase{"below red", value(79), 1580.0, kGaugeYellow},
        LayoutCase{"at red", value(80), 1600.0, kGaugeRed},
        LayoutCase{"above max runs past the edge", value(150), 3000.0, kGaugeRed},
        LayoutCase{"below min ends left of the start", value(-10), -200.0, kGaugeGreen},
        LayoutCase{"text threshold at", gridCurrent(QStringLiteral("105"), 105), 1400.0,
                   kGaugeYellow},
        LayoutCase{"text threshold below", gridCurrent(QStringLiteral("105"), 104),
                   linearEnd(104, 150), kGaugeGreen},
        LayoutCase{"number threshold below", gridCurrent(std::int16_t{105}, 104),
                   linearEnd(104, 150), kGaugeGreen},
        LayoutCase{"no yellow zone below", forwardPower(1499), linearEnd(1499, 2500), kGaugeGreen},
        LayoutCase{"no yellow zone at", forwardPower(1500), 1200.0, kGaugeRed},
        LayoutCase{"threshold text that is no number counts as met",
                   gridCurrent(QStringLiteral("lots"), 1), linearEnd(1, 150), kGaugeYellow},
        LayoutCase{"null threshold decides nothing", gridCurrent(Variant::null(), 100),
                   linearEnd(100, 150), kGaugeGreen}));

INSTANTIATE_TEST_SUITE_P(
    BarGaugeLogarithmic, BarLayout,
    ::testing::Values(LayoutCase{"value 1", logValue(1), 0.0, kGaugeGreen},
                      LayoutCase{"value 2", logValue(2), 300.0, kGaugeGreen},
                      LayoutCase{"value 10 is half way", logValue(10), 1000.0, kGaugeGreen},
                      LayoutCase{"value 60", logValue(60), 1780.0, kGaugeYellow},
                      LayoutCase{"value 100", logValue(100), 2000.0, kGaugeRed},
                      LayoutCase{"value 0 has no logarithm", logValue(0), 0.0, kGaugeGreen},
                      LayoutCase{"negative value", logValue(-7), 0.0, kGaugeGreen}));

TEST(BarGaugeLayout, FailingStepsKeepThePreviousGeometry) {
    const BarLine before = previousLine();

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
    EXPECT_EQ(layoutBar({}, QSizeF(100, 32767), before).width, 32767);
    EXPECT_EQ(layoutBar({}, QSizeF(100, 2.5), before).width, 2);
    EXPECT_EQ(layoutBar({}, QSizeF(100, 3.5), before).width, 4);
    EXPECT_EQ(layoutBar({}, QSizeF(100, 3.5), before).y1, 1.75);
}

TEST(BarGaugeLayout, SixteenAndThirtyTwoBitArithmetic) {
    const BarLine before = previousLine();
    BarSettings s;

    // Max - Min = 32767 still fits in 16 bits; one more overflows.
    s.min = -1;
    s.max = 32766;
    s.value = 32766;
    EXPECT_DOUBLE_EQ(layoutBar(s, kArea, before).x2, 2000.0);
    s.min = -2;
    EXPECT_EQ(layoutBar(s, kArea, before).x2, before.x2) << "Max - Min overflows";
    s.min = -32768;
    s.max = 0;
    s.value = 32767;
    EXPECT_EQ(layoutBar(s, kArea, before).x2, before.x2) << "Value - Min overflows";

    // Logarithmic: round(W) x L is a 32-bit product. At the top of the scale L = 32767, so
    // W = 65538 still fits and 65539 overflows.
    s = BarSettings{};
    s.logarithmic = true;
    s.max = 32767;
    s.value = 32767;
    EXPECT_DOUBLE_EQ(layoutBar(s, QSizeF(65538, 90), before).x2, 65538.0);
    EXPECT_EQ(layoutBar(s, QSizeF(65539, 90), before).x2, before.x2);
}

TEST(BarGauge, DefaultsAndNotifications) {
    BarGauge g;
    EXPECT_EQ(g.backColor(), 0x8000000Fu);
    EXPECT_EQ(g.appearance(), 1);
    EXPECT_FALSE(g.logarithmic());
    EXPECT_EQ(g.min(), 0);
    EXPECT_EQ(g.max(), 100);
    EXPECT_EQ(g.yellowThreshold().type(), Variant::Type::Integer);
    EXPECT_EQ(g.yellowThreshold().toInteger(), 60);
    EXPECT_EQ(g.redThreshold(), 80);
    EXPECT_EQ(g.value(), 0);
    EXPECT_EQ(g.yellowColor(), 0x0000FFFFu);
    EXPECT_EQ(g.redColor(), 0x000000FFu);
    EXPECT_EQ(g.greenColor(), 0x0000C000u);
    EXPECT_EQ(g.bar().color, 0x0000C000u);

    // Every write names its property, also when the value does not change.
    const std::vector<std::pair<QString, std::function<void()>>> writes = {
        {"BackColor", [&] { g.setBackColor(0x00FF0000u); }},
        {"Appearance", [&] { g.setAppearance(0); }},
        {"Logarithmic", [&] { g.setLogarithmic(false); }},
        {"Min", [&] { g.setMin(10); }},
        {"Max", [&] { g.setMax(200); }},
        {"YellowThreshold", [&] { g.setYellowThreshold(QStringLiteral("150")); }},
        {"RedThreshold", [&] { g.setRedThreshold(180); }},
        {"Value", [&] { g.setValue(0); }},
        {"YellowColor", [&] { g.setYellowColor(1); }},
        {"RedColor", [&] { g.setRedColor(2); }},
        {"GreenColor", [&] { g.setGreenColor(3); }},
    };
    for (const auto& [name, write] : writes) {
        QSignalSpy spy(&g, &BarGauge::propertyChanged);
        write();
        ASSERT_EQ(spy.count(), 1) << name.toStdString();
        EXPECT_EQ(spy.at(0).at(0).toString(), name);
    }
}

TEST(BarGauge, OnlyValueWritesAndResizesMoveTheBar) {
    BarGauge g;
    g.setAppearance(0);
    g.resize(200, 6);
    g.show(); // a hidden widget hears of its resizes only when shown
    const double w = g.drawingArea().width();
    ASSERT_GT(w, 0.0);

    g.setValue(50);
    EXPECT_FLOAT_EQ(g.bar().x2, w / 2);
    EXPECT_EQ(g.bar().width, qRound(g.drawingArea().height()));

    g.setMax(200);
    g.setRedThreshold(10);
    EXPECT_FLOAT_EQ(g.bar().x2, w / 2) << "writing Max alone does not move the bar";
    EXPECT_EQ(g.bar().color, kGaugeGreen);
    g.setValue(50);
    EXPECT_FLOAT_EQ(g.bar().x2, w / 4);
    EXPECT_EQ(g.bar().color, kGaugeRed);

    g.setMax(100);
    g.resize(400, 6);
    EXPECT_FLOAT_EQ(g.bar().x2, g.drawingArea().width() / 2) << "a resize lays out again";
}

TEST(BarGauge, ValuesFromBinders) {
    BarGauge g;
    g.setMin(10);
    EXPECT_TRUE(g.setValueFromVariant(Variant::null()));
    EXPECT_EQ(g.value(), 10) << "null shows Min, an empty bar";
    EXPECT_TRUE(g.setValueFromVariant(Variant()));
    EXPECT_EQ(g.value(), 0) << "an item never set shows 0";
    EXPECT_TRUE(g.setValueFromVariant(1234.6));
    EXPECT_EQ(g.value(), 1235);
    EXPECT_TRUE(g.setValueFromNumber(2.5));
    EXPECT_EQ(g.value(), 2) << "halves round to even";
    EXPECT_TRUE(g.setValueFromVariant(QStringLiteral(" 7 ")));
    EXPECT_EQ(g.value(), 7);

    // What does not fit in 16 bits is refused and changes nothing.
    EXPECT_FALSE(g.setValueFromNumber(40000.0));
    EXPECT_FALSE(g.setValueFromNumber(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(g.setValueFromVariant(QStringLiteral("high")));
    EXPECT_EQ(g.value(), 7);
}

TEST(BarGauge, PaintsTheBarOverTheFullInnerHeight) {
    BarGauge g;
    g.setAppearance(0);
    g.setBackColor(0x00000000u); // black
    g.resize(200, 6);
    g.setValue(60); // yellow, 60 % of the width

    const QImage flat = g.grab().toImage();
    const QColor yellow = colorFromDesigned(kGaugeYellow);
    for (int y = 0; y < 6; ++y) {
        EXPECT_EQ(flat.pixelColor(0, y), yellow) << y;
        EXPECT_EQ(flat.pixelColor(115, y), yellow) << y;
        EXPECT_EQ(flat.pixelColor(125, y), Qt::black) << y;
    }

    // The sunken frame stays clear of the bar; the bar fills what is inside it.
    g.setAppearance(1);
    g.resize(202, 8);
    const QImage sunken = g.grab().toImage();
    EXPECT_NE(sunken.pixelColor(50, 0), yellow);
    EXPECT_NE(sunken.pixelColor(50, 7), yellow);
    for (int y = 1; y < 7; ++y)
        EXPECT_EQ(sunken.pixelColor(50, y), yellow) << y;
    EXPECT_NE(sunken.pixelColor(0, 4), yellow);
    EXPECT_EQ(sunken.pixelColor(1, 4), yellow);
}

TEST(BarGauge, StoredProperties) {
    // A gauge at its defaults stores nothing.
    BarGauge plain;
    PropertyBag empty;
    plain.WriteProperties(empty);
    EXPECT_EQ(empty.count(), 0);

    BarGauge g;
    g.setBackColor(0x80000010u);
    g.setAppearance(0);
    g.setLogarithmic(true);
    g.setMin(-5);
    g.setMax(3100);
    g.setYellowThreshold(QStringLiteral("1000"));
    g.setRedThreshold(1500);
    g.setValue(3100);
    g.setYellowColor(0x00010203u);
    g.setRedColor(0x00040506u);
    g.setGreenColor(0x00070809u);
    PropertyBag written;
    g.WriteProperties(written);
    EXPECT_EQ(written.count(), 11);

    // Through the byte form, as a saved layout travels.
    PropertyBag restored;
    ASSERT_TRUE(restored.setContents(written.Contents()));
    BarGauge copy;
    const BarLine before = copy.bar();
    QSignalSpy spy(&copy, &BarGauge::propertyChanged);
    copy.ReadProperties(restored);
    EXPECT_EQ(spy.count(), 0) << "reading is not a change to save";
    EXPECT_EQ(copy.bar().x2, before.x2) << "reading does not lay the bar out";
    PropertyBag again;
    copy.WriteProperties(again);
    EXPECT_EQ(again.Contents(), written.Contents()) << "all eleven survive";
    EXPECT_EQ(copy.backColor(), 0x80000010u) << "a system colour keeps its top bit";
    EXPECT_EQ(copy.yellowThreshold().type(), Variant::Type::String);

    // A layout stored in lower case that sets only some keys; the rest keep their defaults.
    PropertyBag layout;
    layout.WriteProperty(QStringLiteral("max"), std::int16_t{2500});
    layout.WriteProperty(QStringLiteral("yellowthreshold"), QStringLiteral("1500"));
    layout.WriteProperty(QStringLiteral("redthreshold"), std::int16_t{1500});
    copy.ReadProperties(layout);
    EXPECT_EQ(copy.max(), 2500);
    EXPECT_EQ(copy.redThreshold(), 1500);
    EXPECT_EQ(copy.yellowThreshold().toString(), QStringLiteral("1500"));
    EXPECT_EQ(copy.min(), 0);
    EXPECT_FALSE(copy.logarithmic());
    EXPECT_EQ(copy.value(), 0);
    EXPECT_EQ(copy.backColor(), 0x8000000Fu);
    EXPECT_EQ(copy.greenColor(), kGaugeGreen);

    // An entry that cannot be read goes to the caller and leaves the gauge as it was.
    PropertyBag bad;
    bad.WriteProperty(QStringLiteral("Min"), std::int16_t{7});
    bad.WriteProperty(QStringLiteral("VALUE"), QStringLiteral("plenty"));
    EXPECT_THROW(copy.ReadProperties(bad), VariantError);
    EXPECT_EQ(copy.min(), 0);
    EXPECT_EQ(copy.max(), 2500);

    // A freshly placed gauge resets its own properties but not the surface's.
    copy.setBackColor(0x00FFFFFFu);
    copy.InitProperties();
    EXPECT_EQ(copy.max(), 100);
    EXPECT_EQ(copy.yellowThreshold().toInteger(), 60);
    EXPECT_EQ(copy.backColor(), 0x00FFFFFFu);
}

} // namespace
} // namespace tarvex
