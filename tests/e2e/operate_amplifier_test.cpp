// A user operates a simulated amplifier through the real main window and panels, over a real
// QSerialPort on a pseudo-terminal.
#include "../support/wait_until.h"
#include "core/server_object.h"
#include "driver/ferro_driver.h"
#include "driver/port_names.h"
#include "driver/qt_serial_link.h"
#include "sim/amp_simulator.h"
#include "ui/bar_gauge.h"
#include "ui/frm_main.h"
#include "ui/panels/amplifier_panels.h"
#include "ui/views/event_trail_view.h"
#include "ui/views/property_list_view.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <functional>

namespace tarvex {
namespace {

using test::waitUntil;

class OperateAmplifierTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        previousDir = QDir::currentPath();
        QDir::setCurrent(dir.path());

        sim::AmpSimulator::Options o;
        o.warmupMs = 300;
        ASSERT_TRUE(amp.start(o)) << amp.errorString().toStdString();
        names.setOverride(1, amp.devicePath());

        DriverEnvironment env;
        env.makeLink = [this] { return std::make_unique<QtSerialLink>(names); };
        ServerObject::DriverFactory factory = [env] { return std::make_shared<FerroDriver>(env); };
        auto seed = factory();
        ASSERT_TRUE(ServerObject::writeModuleList("server.dat", {seed}, nullptr));

        PanelRegistry panels;
        registerAmplifierPanels(panels);
        window = std::make_unique<frmMain>(factory, ServerObject::ListEditor{}, panels);
        window->show();
        ASSERT_TRUE(waitUntil([this] { return log().size() >= 11; })) << "no start-up queries";
        ASSERT_TRUE(waitUntil([this] { return label("U_message") == "AutoTune Disabled"; }));
    }
    void TearDown() override {
        window->close();
        window.reset();
        QDir::setCurrent(previousDir);
    }

    const std::vector<std::string>& log() { return amp.model().commandLog(); }
    bool received(const std::string& command) {
        return std::find(log().begin(), log().end(), command) != log().end();
    }
    template <typename T = QWidget> T* find(const char* name) {
        auto* w = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString label(const char* name) { return find<QLabel>(name)->text(); }
    QColor colorOf(const char* name) {
        return find<QLabel>(name)->palette().color(QPalette::WindowText);
    }

    QTemporaryDir dir;
    QString previousDir;
    sim::AmpSimulator amp;
    PortNames names;
    std::unique_ptr<frmMain> window;
};

TEST_F(OperateAmplifierTest, SwitchOnWarmUpOperateFaultMeterAndBand) {
    // One amplifier: its meter, tune and main panels, no banner.
    ASSERT_EQ(window->views().size(), 3);

    find<QAbstractButton>("U_ac_1")->click();
    ASSERT_TRUE(waitUntil([this] { return received("AC ON"); }));
    ASSERT_TRUE(waitUntil([this] { return label("U_warmup") == "WAIT"; }));
    EXPECT_EQ(colorOf("U_warmup"), QColor(255, 255, 0));
    ASSERT_TRUE(waitUntil([this] { return label("U_warmup") == "READY"; }));
    EXPECT_EQ(colorOf("U_warmup"), QColor(0, 255, 0));

    find<QAbstractButton>("U_oper_1")->click();
    ASSERT_TRUE(waitUntil([this] { return received("OPER ON"); }));
    ASSERT_TRUE(waitUntil([this] { return label("U_oper") == "OPER"; }));
    EXPECT_EQ(colorOf("U_oper"), QColor(0, 255, 0));

    // Metering: calibration 0x1900 for forward power, so 5 reads 625 (green), 9 reads 2025 (red).
    auto* pfwd = find<BarGauge>("U_pfwd");
    amp.model().emitMeter({5, 2, 3, 4, 5});
    ASSERT_TRUE(waitUntil([&] { return pfwd->value() == 625; }));
    EXPECT_EQ(pfwd->bar().color, kGaugeGreen);
    EXPECT_GT(find<BarGauge>("U_ip")->value(), 0);
    amp.model().emitMeter({9, 2, 3, 4, 5});
    ASSERT_TRUE(waitUntil([&] { return pfwd->value() == 2025; }));
    EXPECT_EQ(pfwd->bar().color, kGaugeRed);

    find<QComboBox>("U_band")->setCurrentIndex(2); // "40"
    ASSERT_TRUE(waitUntil([this] { return received("BAND 3"); }));
    ASSERT_TRUE(waitUntil([this] { return amp.model().band() == 3; }));

    amp.model().injectFault(12);
    ASSERT_TRUE(waitUntil([this] { return label("U_fault") == "FAULT"; }));
    EXPECT_EQ(colorOf("U_fault"), QColor(255, 0, 0));
    EXPECT_EQ(label("U_message"), "12: High input refl power");
}

TEST_F(OperateAmplifierTest, UnpluggedAmplifierIsExplainedOnTheMessageLine) {
    amp.stop();
    ASSERT_TRUE(waitUntil([this] { return label("U_message").contains("removed"); }));
    find<QAbstractButton>("U_ac_1")->click(); // the program carries on
    EXPECT_TRUE(window->isVisible());
}

TEST_F(OperateAmplifierTest, DiagnosticViewsWatchAndSetLiveValues) {
    window->findChild<QAction*>("mnuViewTrail")->trigger();
    window->findChild<QAction*>("mnuViewInspector")->trigger();
    ASSERT_EQ(window->diagnosticViews().size(), 2u);
    const auto trail = std::dynamic_pointer_cast<EventTrailView>(window->diagnosticViews()[0]);
    const auto inspector = std::dynamic_pointer_cast<InspectorView>(window->diagnosticViews()[1]);
    ASSERT_TRUE(trail && inspector);

    find<QAbstractButton>("U_ac_1")->click();
    amp.model().setWarmupMs(0);
    find<QAbstractButton>("U_oper_1")->click();
    ASSERT_TRUE(waitUntil([this] { return label("U_oper") == "OPER"; }));
    amp.model().emitMeter({5, 1, 1, 1, 1});
    ASSERT_TRUE(waitUntil([&] { return trail->trailText().contains("0pfwd=625"); }));

    // Setting 0band by hand in the inspector sends it to the amplifier (which reported band 5).
    QTreeWidget* list = inspector->window()->lvwInspector();
    list->setCurrentItem(inspector->row("0band"));
    inspector->window()->cboValue()->setEditText("7");
    inspector->CommitEdit();
    ASSERT_TRUE(waitUntil([this] { return received("BAND 7"); }));

    // A restart of the server closes the views: none may keep the old hub.
    window->findChild<QAction*>("mnuEdit")->trigger();
    EXPECT_TRUE(window->diagnosticViews().empty());
    EXPECT_EQ(trail->window(), nullptr);
}

} // namespace
} // namespace tarvex
