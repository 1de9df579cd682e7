// The four panels bound to running drivers on in-memory serial links: one realistic scenario,
// their painting with and without the paint cache, and their Tab order.
#include "../support/printers.h"
#include "../support/wait_until.h"
#include "driver/ferro_driver.h"
#include "driver/memory_serial_link.h"
#include "ui/bar_gauge.h"
#include "ui/frame_pacer.h"
#include "ui/panels/banner_control.h"
#include "ui/panels/main_control.h"
#include "ui/panels/meter_control.h"
#include "ui/panels/tune_control.h"
#include "ui/up_down.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTest>

#include <array>

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
        for (PanelControl* p : panels)
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

    // Each panel grabbed with its cached picture, then drawn afresh without it; the picture is
    // made again afterwards, so the next change meets a picture made before it.
    void expectCacheShowsTheSame(const char* when) {
        for (PanelControl* p : panels) {
            const QImage cached = p->grab().toImage();
            p->setPaintCacheEnabled(false);
            EXPECT_EQ(cached, p->grab().toImage()) << p->objectName().toStdString() << " " << when;
            p->setPaintCacheEnabled(true);
            p->grab();
        }
    }

    HubPtr hub = Hub::create();
    QWidget host;
    MainControl* main = new MainControl(&host);
    TuneControl* tune = new TuneControl(&host);
    MeterControl* meter = new MeterControl(&host);
    BannerControl* banner = new BannerControl(&host);
    const std::array<PanelControl*, 4> panels{main, tune, meter, banner};
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

TEST_F(PanelsTest, CachedPaintingShowsWhatPaintingAfreshShows) {
    for (PanelControl* p : panels) {
        // Disabled captions must look different, or a picture kept from before would pass.
        QPalette pal = p->palette();
        pal.setColor(QPalette::Disabled, QPalette::WindowText, Qt::magenta);
        p->setPalette(pal);
    }
    expectCacheShowsTheSame("as built");
    EXPECT_FALSE(meter->staticLayer().captions().isEmpty());
    hub->GetItem("0pfwd")->setValue(1700);
    links[0]->receive("TUNE = 40 LOAD = 7\r\nFREQUENCY = 14250\r\nSTATE = OPERATE MODE = HIGH\r\n");
    expectCacheShowsTheSame("values changed");
    for (PanelControl* p : panels)
        p->setEnabled(false);
    expectCacheShowsTheSame("disabled");
    for (PanelControl* p : panels)
        p->setEnabled(true);
    expectCacheShowsTheSame("enabled again");
}

// A gauge repaints only the pixels its bar changed, in a window that repaints once per frame;
// what reaches the screen must still be what painting the panel afresh gives, whichever way the
// bar moves or changes colour.
TEST(MeterPainting, TheScreenShowsWhatAFreshRepaintWould) {
    MeterControl panel;
    new FramePacer(&panel);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    auto* gauge = panel.findChild<BarGauge*>(QStringLiteral("U_pfwd"));
    const auto image = [](const QPixmap& p) {
        return p.toImage().convertToFormat(QImage::Format_RGB32);
    };
    for (std::int16_t value : {100, 2000, 1499, 1500, 1501, 50, -300, 2600, 0}) {
        gauge->setValue(value);
        const QImage fresh = image(panel.grab());
        EXPECT_TRUE(test::waitUntil(
            [&] { return image(panel.screen()->grabWindow(panel.winId())) == fresh; }, 1000))
            << "after " << value;
    }
}

TEST(TabOrder, RunsRowByRowAndLeftToRightWhateverOrderTheControlsWereMadeIn) {
    TuneControl panel;
    const QStringList order{"U_tune", "U_load", "U_def", "U_ent", "U_band", "U_segment", "U_trim"};
    for (qsizetype i = order.size() - 1; i > 0; --i)
        QWidget::setTabOrder(panel.findChild<QWidget*>(order[i]),
                             panel.findChild<QWidget*>(order[i - 1]));
    panel.show();
    QStringList visited;
    for (QWidget* w = panel.nextInFocusChain(); w != &panel; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus)
            visited << w->objectName();
    }
    EXPECT_EQ(visited, order);
}

} // namespace
} // namespace tarvex
