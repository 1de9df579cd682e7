#include "binding/bind_label.h"
#include "binding/colors.h"
#include "item_factory.h"

#include <gtest/gtest.h>

#include <optional>

namespace tarvex {
namespace {

constexpr std::uint32_t kUnchanged = 0x00FF00FF; // the label's own colour before binding

QColor textColor(const QLabel& label) {
    return label.palette().color(QPalette::WindowText);
}

struct StateCase {
    const char* tag;
    std::optional<Variant> value; // none: never assigned
    const char* caption;
    std::uint32_t color;
};

class LabelStates : public ::testing::TestWithParam<StateCase> {};

TEST_P(LabelStates, ValueSelectsCaptionAndColour) {
    const StateCase& c = GetParam();
    const HubPtr hub = Hub::create();
    const ItemPtr it = test::publishedItem(hub, "0fault", 2);
    if (c.value)
        it->setValue(*c.value);
    QLabel label("designed");
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, colorFromDesigned(kUnchanged));
    label.setPalette(palette);
    label.setProperty(BindLabel::kTagProperty, QString::fromUtf8(c.tag));

    BindLabel binder;
    binder.Bind(it, &label);

    EXPECT_EQ(label.text(), QString::fromUtf8(c.caption));
    EXPECT_EQ(textColor(label), colorFromDesigned(c.color));
    EXPECT_TRUE(label.isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Tags, LabelStates,
    ::testing::Values(
        StateCase{"OFF,B OK,G FAULT,R", Variant(std::int16_t(0)), "OK", 0x0000FF00},
        StateCase{"OFF,B OK,G FAULT,R", Variant(std::int16_t(1)), "FAULT", 0x000000FF},
        StateCase{"OFF,B OK,G FAULT,R", std::nullopt, "OFF", 0x00000000},
        StateCase{"OFF,B OK,G FAULT,R", Variant::null(), "OFF", 0x00000000},
        StateCase{"OFF,B READY,G WAIT,Y", Variant(true), "WAIT", 0x0000FFFF},
        StateCase{"OFF,B READY,G WAIT,Y", Variant(false), "READY", 0x0000FF00},
        StateCase{"OFF,B STBY,Y OPER,G ", Variant(true), "OPER", 0x0000FF00},
        StateCase{"OFF,B STBY,Y OPER,G ", Variant(false), "STBY", 0x0000FFFF},
        // Entries the list does not cover, or that lack a part, leave that part alone.
        StateCase{"OFF,B", Variant(std::int16_t(1)), "designed", kUnchanged},
        StateCase{"OFF,B STBY,Y OPER,g", Variant(true), "OPER", kUnchanged},
        StateCase{"OFF,B STBY,Y OPER,GR", Variant(true), "OPER", 0x000000FF},
        StateCase{"OFF,B STBY,Y R", Variant(true), "designed", 0x000000FF},
        StateCase{"OFF,B STBY,Y ,G", Variant(true), "", 0x0000FF00},
        StateCase{"OFF,B STBY,Y  OPER,G", Variant(true), "designed", kUnchanged},
        // Text that is no boolean counts as true; text that spells one counts as such.
        StateCase{"OFF,B NO,Y YES,G", Variant("abc"), "YES", 0x0000FF00},
        StateCase{"OFF,B NO,Y YES,G", Variant(" false "), "NO", 0x0000FFFF},
        StateCase{"OFF,B NO,Y YES,G", Variant("-2.5"), "YES", 0x0000FF00}));

TEST(LabelStateList, ReadOnceAtBindThenFollowsValueChangesUntilUnBind) {
    const HubPtr hub = Hub::create();
    const ItemPtr it = test::publishedItem(hub, "0oper", ItemInfo::kBool);
    it->setValue(false);
    QLabel label;
    label.setProperty(BindLabel::kTagProperty, QStringLiteral("OFF,B STBY,Y OPER,G "));
    BindLabel binder;
    binder.Bind(it, &label);
    EXPECT_EQ(label.text(), "STBY");

    label.setProperty(BindLabel::kTagProperty, QString()); // too late to switch mode
    it->setValue(true);
    EXPECT_EQ(label.text(), "OPER");
    EXPECT_EQ(textColor(label), QColor(0, 255, 0));

    binder.UnBind();
    it->setValue(false);
    EXPECT_EQ(label.text(), "OPER");
}

TEST(LabelTextMode, ShowsTextAndDisablesWithoutValue) {
    const HubPtr hub = Hub::create();
    const ItemPtr it = test::publishedItem(hub, "0message", 2);
    QLabel label("No Amplifier Detected");
    BindLabel binder;
    binder.Bind(it, &label);
    EXPECT_FALSE(label.isEnabled()) << "never assigned";
    EXPECT_EQ(label.text(), "No Amplifier Detected");

    it->setValue("Amp on and operating");
    EXPECT_TRUE(label.isEnabled());
    EXPECT_EQ(label.text(), "Amp on and operating");
    it->setValue(1234.5);
    EXPECT_EQ(label.text(), "1234.5");
    it->setValue(true);
    EXPECT_EQ(label.text(), "True");

    // Empty, then null: the label goes on disabled with the caption it had.
    const ItemPtr later = test::publishedItem(hub, "0status", 2);
    QLabel status("last words");
    BindLabel other;
    other.Bind(later, &status);
    later->setValue(Variant::null());
    EXPECT_FALSE(status.isEnabled());
    EXPECT_EQ(status.text(), "last words");
}

TEST(LabelTextMode, TagStartingWithSpaceAndUnpublishedItems) {
    const HubPtr hub = Hub::create();
    QLabel spaced("x");
    spaced.setProperty(BindLabel::kTagProperty, QStringLiteral(" OK,G FAULT,R"));
    const ItemPtr number = test::publishedItem(hub, "0freq", ItemInfo::kLong);
    number->setValue(0);
    BindLabel first;
    first.Bind(number, &spaced);
    EXPECT_EQ(spaced.text(), "0");
    EXPECT_TRUE(spaced.isEnabled());

    // No producer has published this item: it ignores values and the label stays as designed.
    QLabel designed("Label1");
    const ItemPtr orphan = hub->AttachItem("0name");
    BindLabel second;
    second.Bind(orphan, &designed);
    orphan->setValue("Amp 1");
    EXPECT_FALSE(designed.isEnabled());
    EXPECT_EQ(designed.text(), "Label1");
}

} // namespace
} // namespace tarvex
