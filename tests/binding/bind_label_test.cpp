#include "binding/bind_label.h"
#include "binding/colors.h"
#include "item_factory.h"

#include <gtest/gtest.h>

#include <QApplication>

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
    EXPECT_EQ(label.text(), QString::fromUtf8(c.caption)) << c.tag;
    EXPECT_EQ(textColor(label), colorFromDesigned(c.color)) << c.tag;
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
        // Entries the list does not cover, or that lack a part, leave that part alone.
        StateCase{"OFF,B", Variant(std::int16_t(1)), "designed", kUnchanged},
        StateCase{"OFF,B STBY,Y OPER,g", Variant(true), "OPER", kUnchanged},
        StateCase{"OFF,B STBY,Y R", Variant(true), "designed", 0x000000FF},
        StateCase{"OFF,B STBY,Y  OPER,G", Variant(true), "designed", kUnchanged},
        // Text that is no boolean counts as true; text that spells one counts as such.
        StateCase{"OFF,B NO,Y YES,G", Variant("abc"), "YES", 0x0000FF00},
        StateCase{"OFF,B NO,Y YES,G", Variant(" false "), "NO", 0x0000FFFF}));

TEST(LabelStateList, ReadOnceAtBindThenFollowsValueChanges) {
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
}

TEST(LabelTextMode, ShowsTextAndDisablesOnEmptyOrNull) {
    const HubPtr hub = Hub::create();
    const ItemPtr it = test::publishedItem(hub, "0message", 2);
    QLabel label("No Amplifier Detected");
    label.setProperty(BindLabel::kTagProperty, QStringLiteral(" OK,G FAULT,R")); // text mode
    BindLabel binder;
    binder.Bind(it, &label);
    EXPECT_FALSE(label.isEnabled()) << "never assigned";
    EXPECT_EQ(label.text(), "No Amplifier Detected");
    it->setValue(true);
    EXPECT_TRUE(label.isEnabled());
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

TEST(Colors, DesignedValuesAreBgrAndSystemColorsFollowThePalette) {
    EXPECT_EQ(colorFromDesigned(0x00FF8010), QColor(0x10, 0x80, 0xFF));
    EXPECT_EQ(designedFromColor(QColor(0x10, 0x80, 0xFF)), 0x00FF8010u);
    QPalette palette;
    palette.setColor(QPalette::Dark, QColor(4, 5, 6));
    EXPECT_EQ(colorFromDesigned(0x80000010, palette), QColor(4, 5, 6)); // button shadow
    EXPECT_EQ(colorFromDesigned(0x8000000F), QApplication::palette().color(QPalette::Button));
    // A number beyond the known system colours is not silently black.
    EXPECT_FALSE(colorFromDesigned(0x80000063).isValid());
}

} // namespace
} // namespace tarvex
