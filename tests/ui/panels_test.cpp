// The four panels bound to running drivers on in-memory serial links: one realistic scenario.
#include "../support/printers.h"
#include "driver/ferro_driver.h"
#include "driver/memory_serial_link.h"
#include "ui/bar_gauge.h"
#include "ui/panels/banner_control.h"
#include "ui/panels/main_control.h"
#include "ui/panels/meter_control.h"
#include "ui/panels/tune_control.h"
#include "ui/up_down.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>

namespace tarvex {
namespace {

class PanelsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (std::int16_t index : {0, 1}) {
            DriverEnvironment env;
            env.makeLink = [this] {
                auto l = std::make_unique<MemorySerialLink>();
                links.push_back(l.get());
                return l;
            };
            drivers.push_back(std::make_unique<FerroDriver>(env));
            drivers.back()->setDeviceName(QStringLiteral("Amp%1").arg(index));
            drivers.back()->Initialize(hub, index);
        }
        for (PanelControl* p : std::initializer_list<PanelControl*>{main, tune, meter, banner})
            p->Initialize(hub, p == banner ? 1 : 0);
        links[0]->clearWritten();
    }
    template <typename T = QLabel> T* control(QWidget* panel, const char* name) {
        return panel->findChild<T*>(QString::fromLatin1(name));
    }
    QString label(QWidget* panel, const char* name) {
        const QLabel* l = control(panel, name);
        return l->text() + ' ' + l->palette().color(QPalette::WindowText).name();
    }
    QString written() {
        const QString w = links[0]->written();
        links[0]->clearWritten();
        return w;
    }

    HubPtr hub = Hub::create();
    QWidget host;
    MainControl* main = new MainControl(&host);
    TuneControl* tune = new TuneControl(&host);
    MeterControl* meter = new MeterControl(&host);
    BannerControl* banner = new BannerControl(&host);
    std::vector<MemorySerialLink*> links;
    std::vector<std::unique_ptr<FerroDriver>> drivers;
};

TEST_F(PanelsTest, FreshDriverUserActionsAndReportsAsTheOperatorSeesThem) {
    EXPECT_EQ(label(main, "U_oper"), "STBY #ffff00");
    EXPECT_EQ(label(main, "U_fault"), "OK #00ff00");
    EXPECT_TRUE(control<QAbstractButton>(main, "U_oper_0")->isChecked());
    EXPECT_EQ(control<BarGauge>(meter, "U_ip")->value(), 0) << "the designed 3100 is gone";
    EXPECT_EQ(control(banner, "U_name")->text(), "Amp1") << "panels follow their own index";
    EXPECT_TRUE(written().isEmpty()) << "binding wrote nothing to the amplifier";

    control<QAbstractButton>(main, "U_oper_1")->click();
    EXPECT_EQ(written(), "OPER ON\r");
    EXPECT_EQ(label(main, "U_oper"), "OPER #00ff00");
    control<QComboBox>(tune, "U_band")->setCurrentIndex(2); // "40"
    EXPECT_EQ(written(), "BAND 3\r");
    control<UpDown>(tune, "U_tune")->stepUp();
    EXPECT_EQ(written(), "TUNE 1\r");
    EXPECT_EQ(control(tune, "lblTune")->text(), "1");
    control<QAbstractButton>(tune, "U_def")->click();
    EXPECT_EQ(written(), "DEF\r");
    EXPECT_FALSE(control<QAbstractButton>(tune, "U_def")->isChecked()) << "a momentary key";

    // Reports from the amplifier move the controls and send nothing back.
    links[0]->receive("FAULT = 12\r\nBAND = 5\r\nTUNE = 40\r\n");
    EXPECT_EQ(label(main, "U_fault"), "FAULT #ff0000");
    EXPECT_EQ(control(main, "U_message")->text(), "12: High input refl power");
    EXPECT_EQ(control<QComboBox>(tune, "U_band")->currentText(), "20");
    EXPECT_EQ(control(tune, "lblTune")->text(), "40");
    EXPECT_TRUE(written().isEmpty());
}

TEST_F(PanelsTest, GaugeZonesFollowTheDesignedThresholds) {
    const std::tuple<const char*, int, std::uint32_t> zones[] = {
        {"U_pfwd", 1499, kGaugeGreen}, {"U_pfwd", 1500, kGaugeRed}, {"U_prfl", 49, kGaugeGreen},
        {"U_prfl", 50, kGaugeYellow},  {"U_prfl", 115, kGaugeRed},  {"U_ig", 105, kGaugeYellow},
        {"U_ig", 122, kGaugeRed},      {"U_ip", 1000, kGaugeYellow}, {"U_ip", 1500, kGaugeRed},
    };
    for (const auto& [gauge, value, color] : zones) {
        hub->GetItem("0" + QString::fromLatin1(gauge + 2))->setValue(value);
        EXPECT_EQ(control<BarGauge>(meter, gauge)->bar().color, color) << gauge << " at " << value;
    }
}

} // namespace
} // namespace tarvex
