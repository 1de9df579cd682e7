// Which control binds to which item, how a panel's bindings live, and what a state label shows.
#include "../support/printers.h"
#include "binding/bind_label.h"
#include "binding/bindings.h"
#include "binding/colors.h"
#include "item_factory.h"
#include "ui/bar_gauge.h"
#include "ui/up_down.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include <optional>

namespace tarvex {
namespace {

template <typename W> QWidget* make(QWidget* p) {
    return new W(p);
}
template <bool exclusive> QWidget* toggle(QWidget* p) { // push-button style
    auto* b = new QPushButton(p);
    b->setCheckable(true);
    b->setAutoExclusive(exclusive);
    return b;
}

struct NamingCase {
    const char* name;
    QWidget* (*make)(QWidget*);
    std::int16_t index;
    const char* item; // none: not bound
};

class BindingNames : public ::testing::TestWithParam<NamingCase> {};

TEST_P(BindingNames, ControlNameGivesItemName) {
    const HubPtr hub = Hub::create();
    QWidget panel;
    GetParam().make(&panel)->setObjectName(QString::fromUtf8(GetParam().name).section(' ', 0, 0));
    Bindings bindings;
    bindings.Create(hub, &panel, GetParam().index);
    QStringList items;
    for (const auto& b : *bindings.binders())
        items << b->item()->Name();
    EXPECT_EQ(items, GetParam().item ? QStringList{GetParam().item} : QStringList{});
}

// Option buttons (radio or exclusive push buttons) lose their value part; check boxes only
// when one follows.
INSTANTIATE_TEST_SUITE_P(
    Rule, BindingNames,
    ::testing::Values(NamingCase{"U_oper label", make<QLabel>, 12, "12oper"},
                      NamingCase{"U_ label", make<QLabel>, 0, nullptr},
                      NamingCase{"U_oper_1 option", make<QRadioButton>, 0, "0oper"},
                      NamingCase{"U_hv_0 exclusive", toggle<true>, 1, "1hv"},
                      NamingCase{"U_oper option", make<QRadioButton>, 0, nullptr},
                      NamingCase{"U_hv_1 check", make<QCheckBox>, 0, "0hv"},
                      NamingCase{"U_def toggle", toggle<false>, 0, "0def"},
                      NamingCase{"U_band combo", make<QComboBox>, 0, "0band"},
                      NamingCase{"U_note text", make<QLineEdit>, 0, "0note"},
                      NamingCase{"U_pos slider", make<QSlider>, 0, "0pos"},
                      NamingCase{"U_pfwd gauge", make<BarGauge>, 0, "0pfwd"},
                      NamingCase{"U_tune updown", make<UpDown>, 0, "0tune"},
                      NamingCase{"U_go button", make<QPushButton>, 0, nullptr}),
    test::CaseName{});

// A main-panel-like layout: a switch pair inside a picture box.
TEST(Bindings, BindInsideContainersPerIndexAndReleaseStopsListening) {
    const HubPtr hub = Hub::create();
    const ItemPtr oper = test::publishedItem(hub, "1oper", ItemInfo::kBool);
    QWidget panel;
    auto* mode = new QWidget(&panel);
    QRadioButton* pair[] = {new QRadioButton(mode), new QRadioButton(mode)};
    pair[0]->setObjectName("U_oper_0");
    pair[1]->setObjectName("U_oper_1");
    Bindings bindings;
    bindings.Create(hub, &panel, 1);
    EXPECT_TRUE(pair[0]->isChecked()) << "an empty boolean item takes 0 at Bind";
    pair[1]->click();
    EXPECT_EQ(test::shown(oper->Value()), "Boolean(True)");
    EXPECT_TRUE(pair[1]->isChecked() && !pair[0]->isChecked());
    bindings.Release();
    oper->setValue(false);
    EXPECT_TRUE(pair[1]->isChecked()) << "released binders no longer listen";
}

struct StateCase {
    const char* name;
    const char* tag;
    std::optional<Variant> value; // none: never assigned
    const char* caption;
    std::optional<std::uint32_t> color; // none: the label's own
};

class LabelStates : public ::testing::TestWithParam<StateCase> {};

TEST_P(LabelStates, ValueSelectsCaptionAndColour) {
    const StateCase& c = GetParam();
    const HubPtr hub = Hub::create();
    const ItemPtr it = test::publishedItem(hub, "0fault", 2);
    if (c.value)
        it->setValue(*c.value);
    QLabel label("designed");
    const QColor designed = label.palette().color(QPalette::WindowText);
    label.setProperty(BindLabel::kTagProperty, QString::fromUtf8(c.tag));
    BindLabel binder;
    binder.Bind(it, &label);
    EXPECT_EQ(label.text(), QString::fromUtf8(c.caption));
    EXPECT_EQ(label.palette().color(QPalette::WindowText),
              c.color ? colorFromDesigned(*c.color) : designed);
    EXPECT_EQ(label.textFormat(), Qt::PlainText) << "an amplifier's text is never markup";
}

// Entries the list does not cover, or parts an entry lacks, leave the label's own; text that is
// no boolean counts as true.
INSTANTIATE_TEST_SUITE_P(
    Tags, LabelStates,
    ::testing::Values(StateCase{"false", "OFF,B OK,G FAULT,R", Variant(std::int16_t(0)), "OK", 0x0000FF00},
                      StateCase{"true", "OFF,B OK,G FAULT,R", Variant(std::int16_t(1)), "FAULT", 0x000000FF},
                      StateCase{"unset", "OFF,B OK,G FAULT,R", std::nullopt, "OFF", 0x00000000},
                      StateCase{"yellow", "OFF,B NO,G WAIT,Y", Variant(true), "WAIT", 0x0000FFFF},
                      StateCase{"no entry", "OFF,B", Variant(true), "designed", std::nullopt},
                      StateCase{"no caption", "OFF,B NO,Y R", Variant(true), "designed", 0x000000FF},
                      StateCase{"text", "OFF,B NO,Y YES,G", Variant("abc"), "YES", 0x0000FF00},
                      StateCase{"controls shown as escapes", "",
                                Variant(QString::fromUtf8("\a\0\r\x7f\u0085\u00e9", 8)),
                                "\\x07\\x00\\x0d\\x7f\\x85\u00e9", std::nullopt}),
    test::CaseName{});

} // namespace
} // namespace tarvex
