// The four panels bound to a running driver on an in-memory serial link.
#include "binding/binder.h"
#include "binding/bindings.h"
#include "driver/ferro_driver.h"
#include "driver/memory_serial_link.h"
#include "ui/bar_gauge.h"
#include "ui/panels/banner_control.h"
#include "ui/panels/main_control.h"
#include "ui/panels/meter_control.h"
#include "ui/panels/tune_control.h"
#include "ui/up_down.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>

namespace tarvex {
namespace {

const QColor kGreen(0, 255, 0);
const QColor kYellow(255, 255, 0);
const QColor kRed(255, 0, 0);

class PanelsTest : public ::testing::Test {
protected:
    // Starts a driver at the index; its link records what it writes.
    void startDriver(std::int16_t index) {
        DriverEnvironment env;
        env.makeLink = [this] {
            auto l = std::make_unique<MemorySerialLink>();
            links.push_back(l.get());
            return l;
        };
        auto d = std::make_unique<FerroDriver>(env);
        d->setDeviceName(QStringLiteral("Amp%1").arg(index));
        d->Initialize(hub, index);
        links.back()->clearWritten();
        drivers.push_back(std::move(d));
    }
    template <typename Panel> Panel* make(std::int16_t index) {
        auto* p = new Panel(&host);
        p->Initialize(hub, index);
        return p;
    }
    template <typename T = QWidget> T* control(QWidget* panel, const char* name) {
        auto* c = panel->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    static QColor textColor(QLabel* l) { return l->palette().color(QPalette::WindowText); }
    static bool checked(QWidget* panel, const char* name) {
        return panel->findChild<QAbstractButton*>(QString::fromLatin1(name))->isChecked();
    }
    void set(const QString& name, const Variant& v) { hub->GetItem(name)->setValue(v); }
    QString written(int driver = 0) {
        QString w = links[static_cast<std::size_t>(driver)]->written();
        links[static_cast<std::size_t>(driver)]->clearWritten();
        return w;
    }

    HubPtr hub = Hub::create();
    QWidget host;
    std::vector<MemorySerialLink*> links;
    std::vector<std::unique_ptr<FerroDriver>> drivers;
};

TEST_F(PanelsTest, EachPanelBindsItsControlsToTheItemsOfItsIndex) {
    startDriver(0);
    startDriver(1);
    struct Expect {
        PanelControl* panel;
        QString description;
        QStringList items;
    };
    const Expect panels[] = {
        {make<MainControl>(1),
         "Ferro Main Control",
         {"1ac", "1ac", "1oper", "1oper", "1hv", "1hv", "1oper", "1fault", "1warmup", "1message"}},
        {make<MeterControl>(1), "Ferro Metering Control", {"1pfwd", "1prfl", "1ig", "1ip"}},
        {make<TuneControl>(1),
         "Ferro Tuning Control",
         {"1tune", "1load", "1def", "1ent", "1band", "1segment", "1freq", "1trim"}},
        {make<BannerControl>(1), "Ferro Banner Control", {"1name"}},
    };
    for (const Expect& e : panels) {
        EXPECT_EQ(e.panel->Description(), e.description);
        ASSERT_NE(e.panel->bindings(), nullptr);
        QStringList bound;
        for (const auto& b : *e.panel->bindings()->binders())
            bound << b->item()->Name();
        bound.sort();
        QStringList expected = e.items;
        expected.sort();
        EXPECT_EQ(bound, expected) << e.description.toStdString();
    }
    // The panels of index 1 follow driver 1 only.
    auto* banner = panels[3].panel;
    EXPECT_EQ(control<QLabel>(banner, "U_name")->text(), "Amp1");
    set("0oper", true);
    EXPECT_EQ(control<QLabel>(panels[0].panel, "U_oper")->text(), "STBY");

    for (const Expect& e : panels) {
        e.panel->Terminate();
        EXPECT_EQ(e.panel->bindings(), nullptr);
        delete e.panel; // its own teardown finds nothing left to release
    }
}

TEST_F(PanelsTest, FreshDriverShowsTheAllZeroLook) {
    startDriver(0);
    auto* main = make<MainControl>(0);
    auto* tune = make<TuneControl>(0);
    auto* meter = make<MeterControl>(0);

    auto* oper = control<QLabel>(main, "U_oper");
    EXPECT_EQ(oper->text(), "STBY");
    EXPECT_EQ(textColor(oper), kYellow);
    EXPECT_EQ(control<QLabel>(main, "U_fault")->text(), "OK");
    EXPECT_EQ(textColor(control<QLabel>(main, "U_fault")), kGreen);
    EXPECT_EQ(control<QLabel>(main, "U_warmup")->text(), "READY");
    EXPECT_EQ(textColor(control<QLabel>(main, "U_warmup")), kGreen);
    for (const char* on : {"U_ac_0", "U_oper_0", "U_hv_0"})
        EXPECT_TRUE(checked(main, on)) << on;
    for (const char* off : {"U_ac_1", "U_oper_1", "U_hv_1"})
        EXPECT_FALSE(checked(main, off)) << off;
    auto* message = control<QLabel>(main, "U_message");
    EXPECT_TRUE(message->isEnabled());
    EXPECT_EQ(message->text(), "");

    for (const char* box : {"U_def", "U_ent", "U_trim"})
        EXPECT_FALSE(checked(tune, box)) << box;
    EXPECT_EQ(control<QComboBox>(tune, "U_band")->currentIndex(), -1);
    EXPECT_EQ(control<QComboBox>(tune, "U_segment")->currentIndex(), -1);
    EXPECT_EQ(control<QLabel>(tune, "U_freq")->text(), "0");
    EXPECT_EQ(control<QLabel>(tune, "lblTune")->text(), "0");
    for (const char* g : {"U_pfwd", "U_prfl", "U_ig", "U_ip"})
        EXPECT_EQ(control<BarGauge>(meter, g)->value(), 0) << g; // the designed 3100 is gone
    EXPECT_TRUE(written().isEmpty()); // binding wrote nothing to the amplifier
}

TEST_F(PanelsTest, UserActionsBecomeCommandsAndLightsFollow) {
    startDriver(0);
    auto* main = make<MainControl>(0);
    auto* tune = make<TuneControl>(0);

    control<QAbstractButton>(main, "U_oper_1")->click();
    EXPECT_EQ(written(), "OPER ON\r");
    EXPECT_EQ(control<QLabel>(main, "U_oper")->text(), "OPER");
    EXPECT_EQ(textColor(control<QLabel>(main, "U_oper")), kGreen);

    control<QComboBox>(tune, "U_band")->setCurrentIndex(2); // "40"
    EXPECT_EQ(written(), "BAND 3\r");
    control<UpDown>(tune, "U_tune")->stepUp();
    EXPECT_EQ(written(), "TUNE 1\r");
    EXPECT_EQ(control<QLabel>(tune, "lblTune")->text(), "1");
    control<QAbstractButton>(tune, "U_def")->click();
    EXPECT_EQ(written(), "DEF\r");
    EXPECT_FALSE(checked(tune, "U_def")); // the momentary key pops out again

    // Reports from the amplifier move the controls and send nothing back.
    links[0]->receive("FAULT = 12\r\nBAND = 5\r\nTUNE = 40\r\n");
    EXPECT_EQ(control<QLabel>(main, "U_fault")->text(), "FAULT");
    EXPECT_EQ(textColor(control<QLabel>(main, "U_fault")), kRed);
    EXPECT_EQ(control<QLabel>(main, "U_message")->text(), "12: High input refl power");
    EXPECT_EQ(control<QComboBox>(tune, "U_band")->currentText(), "20");
    EXPECT_EQ(control<QLabel>(tune, "lblTune")->text(), "40");
    EXPECT_TRUE(written().isEmpty());
}

TEST_F(PanelsTest, GaugeZonesFollowTheDesignedThresholds) {
    startDriver(0);
    auto* meter = make<MeterControl>(0);
    struct Zone {
        const char* gauge;
        const char* item;
        int value;
        std::uint32_t color;
    };
    const Zone zones[] = {
        {"U_pfwd", "0pfwd", 1499, kGaugeGreen}, {"U_pfwd", "0pfwd", 1500, kGaugeRed},
        {"U_prfl", "0prfl", 49, kGaugeGreen},   {"U_prfl", "0prfl", 50, kGaugeYellow},
        {"U_prfl", "0prfl", 115, kGaugeRed},    {"U_ig", "0ig", 105, kGaugeYellow},
        {"U_ig", "0ig", 122, kGaugeRed},        {"U_ip", "0ip", 1000, kGaugeYellow},
        {"U_ip", "0ip", 1500, kGaugeRed},
    };
    for (const Zone& z : zones) {
        set(z.item, z.value);
        auto* g = control<BarGauge>(meter, z.gauge);
        EXPECT_EQ(g->value(), z.value) << z.gauge;
        EXPECT_EQ(g->bar().color, z.color) << z.gauge << " at " << z.value;
    }
}

} // namespace
} // namespace tarvex
