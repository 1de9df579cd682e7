#include "binding/bind_label.h"
#include "binding/bindings.h"
#include "fake_controls.h"
#include "item_factory.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

namespace tarvex {
namespace {

using MakeControl = QWidget* (*)(QWidget* parent);

template <typename W> QWidget* make(QWidget* p) {
    return new W(p);
}
template <bool exclusive> QWidget* toggle(QWidget* p) { // push-button style
    auto* b = new QPushButton(p);
    b->setCheckable(true);
    b->setAutoExclusive(exclusive);
    return b;
}
constexpr MakeControl label = make<QLabel>, option = make<QRadioButton>, check = make<QCheckBox>;

struct NamingCase {
    const char* control;
    MakeControl make;
    std::int16_t index;
    const char* item; // nullptr: not bound
};

class BindingNames : public ::testing::TestWithParam<NamingCase> {};

TEST_P(BindingNames, ControlNameGivesItemName) {
    const NamingCase& c = GetParam();
    const HubPtr hub = Hub::create();
    QWidget panel;
    c.make(&panel)->setObjectName(QString::fromUtf8(c.control));
    Bindings bindings;
    bindings.Create(hub, &panel, c.index);

    ASSERT_NE(bindings.binders(), nullptr);
    const auto& items = hub->GetItemCollection();
    ASSERT_EQ(bindings.binders()->size(), c.item ? 1u : 0u);
    ASSERT_EQ(items.size(), bindings.binders()->size());
    if (c.item) {
        EXPECT_EQ(bindings.binders()->front()->item()->Name(), QString::fromUtf8(c.item));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rule, BindingNames,
    ::testing::Values(
        NamingCase{"U_oper", label, 0, "0oper"}, NamingCase{"U_oper", label, 12, "12oper"},
        NamingCase{"U_a_b", label, 0, "0a_b"}, NamingCase{"U_", label, 0, nullptr},
        NamingCase{"u_oper", label, 0, nullptr}, NamingCase{"U_oper_1", option, 0, "0oper"},
        NamingCase{"U_hv_0", toggle<true>, 1, "1hv"}, NamingCase{"U_oper", option, 0, nullptr},
        NamingCase{"U_oper_", option, 0, nullptr}, NamingCase{"U_hv_", check, 0, "0hv_"},
        NamingCase{"U_hv_1", check, 0, "0hv"}, NamingCase{"U_def", toggle<false>, 0, "0def"},
        NamingCase{"U_band", make<QComboBox>, 0, "0band"},
        NamingCase{"U_note", make<QLineEdit>, 0, "0note"},
        NamingCase{"U_pos", make<QSlider>, 0, "0pos"},
        NamingCase{"U_pfwd", make<test::FakeGauge>, 0, "0pfwd"},
        NamingCase{"U_tune", make<test::FakeUpDown>, 0, "0tune"},
        NamingCase{"U_go", make<QPushButton>, 0, nullptr}));

// A main-panel-like layout: option buttons inside picture boxes, lights on the panel itself.
struct Panel {
    QWidget widget;
    QWidget* power = new QWidget(&widget);
    QPushButton* acOn = makeToggle(power, "U_ac_1");
    QPushButton* acOff = makeToggle(power, "U_ac_0");
    QLabel* light = new QLabel(&widget);
    QWidget* mode = new QWidget(&widget);
    QRadioButton* operOn = new QRadioButton(mode);
    QRadioButton* operOff = new QRadioButton(mode);

    Panel() {
        light->setObjectName("U_oper");
        light->setProperty(BindLabel::kTagProperty, QStringLiteral("OFF,B STBY,Y OPER,G "));
        operOn->setObjectName("U_oper_1");
        operOff->setObjectName("U_oper_0");
    }
    static QPushButton* makeToggle(QWidget* parent, const char* name) {
        auto* b = qobject_cast<QPushButton*>(toggle<true>(parent));
        b->setObjectName(name);
        return b;
    }
};

TEST(Bindings, BindsControlsInsideContainersInPanelOrder) {
    const HubPtr hub = Hub::create();
    const ItemPtr oper = test::publishedItem(hub, "1oper", ItemInfo::kBool);
    const ItemPtr ac = test::publishedItem(hub, "1ac", ItemInfo::kBool);
    const ItemPtr other = test::publishedItem(hub, "0oper", ItemInfo::kBool);
    Panel panel;
    Bindings bindings;
    bindings.Create(hub, &panel.widget, 1);

    const auto& binders = *bindings.binders();
    ASSERT_EQ(binders.size(), 5u);
    EXPECT_TRUE(dynamic_cast<BindLabel*>(binders[2].get()));
    EXPECT_EQ(binders[0]->item(), ac);
    EXPECT_EQ(binders[4]->item(), oper) << "both buttons of a pair share one item";

    // Empty items with metadata: the buttons of value 0 are selected and write false.
    EXPECT_TRUE(panel.acOff->isChecked());
    EXPECT_TRUE(panel.operOff->isChecked());
    EXPECT_EQ(panel.light->text(), "STBY");

    panel.operOn->click();
    EXPECT_TRUE(oper->Value().toBoolean());
    EXPECT_EQ(panel.light->text(), "OPER");
    other->setValue(false);
    EXPECT_TRUE(panel.operOn->isChecked()) << "panel 1 ignores the items of position 0";
    panel.acOn->click();
    EXPECT_TRUE(ac->Value().toBoolean());
}

TEST(Bindings, CreateReplacesReleaseIsIdempotentAndBadValuePartsFail) {
    const HubPtr hub = Hub::create();
    const ItemPtr oper = test::publishedItem(hub, "0oper", ItemInfo::kBool);
    Panel panel;
    {
        Bindings gone;
        gone.Create(hub, &panel.widget, 0);
    }
    oper->setValue(true);
    EXPECT_EQ(panel.light->text(), "STBY") << "destroyed bindings no longer listen";

    Bindings bindings;
    bindings.Release(); // before Create: nothing to do
    bindings.Create(hub, &panel.widget, 0);
    bindings.Create(hub, &panel.widget, 0); // replaces: the first binders no longer listen
    EXPECT_EQ(bindings.binders()->size(), 5u);
    EXPECT_EQ(panel.light->text(), "OPER");

    // A value part that is no number fails, and the earlier binders stay.
    (new QRadioButton(&panel.widget))->setObjectName("U_oper_x");
    EXPECT_THROW(bindings.Create(hub, &panel.widget, 0), VariantError);
    EXPECT_EQ(bindings.binders()->size(), 5u);

    bindings.Release();
    bindings.Release();
    EXPECT_EQ(bindings.binders(), nullptr);
    oper->setValue(false);
    EXPECT_EQ(panel.light->text(), "OPER");
}

} // namespace
} // namespace tarvex
