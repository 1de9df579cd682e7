// A user operates a simulated amplifier through the real main window and panels, over a real
// QSerialPort on a pseudo-terminal.
#include "../support/printers.h"
#include "../support/wait_until.h"
#include "core/server_object.h"
#include "driver/ferro_driver.h"
#include "driver/port_names.h"
#include "driver/qt_serial_link.h"
#include "history/history_reader.h"
#include "history/history_recorder.h"
#include "sim/amp_simulator.h"
#include "ui/bar_gauge.h"
#include "ui/frm_main.h"
#include "ui/panels/amplifier_panels.h"
#include "ui/views/event_trail_view.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>

namespace tarvex {
namespace {

using test::waitUntil;

template <typename T = QLabel> T* child(const QWidget& window, const char* name) {
    auto* w = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

TEST(OperateAmplifier, SwitchOnWarmUpOperateMeterBandFaultAndUnplug) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString previousDir = QDir::currentPath();
    QDir::setCurrent(dir.path());
    sim::AmpSimulator amp;
    sim::AmpSimulator::Options o;
    o.warmupMs = 300;
    ASSERT_TRUE(amp.start(o)) << amp.errorString().toStdString();
    PortNames names({{1, amp.devicePath()}});
    DriverEnvironment env;
    env.makeLink = [&] { return std::make_unique<QtSerialLink>(names); };
    ServerObject::DriverFactory factory = [env] { return std::make_shared<FerroDriver>(env); };
    ASSERT_TRUE(ServerObject::writeModuleList("server.dat", {factory()}, nullptr));
    PanelRegistry panels;
    registerAmplifierPanels(panels);
    frmMain window(factory, ServerObject::ListEditor{}, panels);
    qint64 later = 0; // moved on at the end, so that every metered second has ended
    HistoryRecorder history("history.db",
                            [&] { return QDateTime::currentMSecsSinceEpoch() + later; });
    history.start();
    history.setHub(window.hub());
    window.show();

    auto received = [&](const std::string& command) {
        const auto& log = amp.model().commandLog();
        return std::find(log.begin(), log.end(), command) != log.end();
    };
    auto label = [&](const char* name) { return child(window, name)->text(); };
    auto color = [&](const char* name) {
        return child(window, name)->palette().color(QPalette::WindowText);
    };

    // One amplifier: its meter, tune and main panels; the start-up replies are shown.
    ASSERT_TRUE(waitUntil([&] { return label("U_message") == "Amp AC power is off"; }));
    ASSERT_EQ(window.views().size(), 3);
    window.findChild<QAction*>("mnuViewTrail")->trigger();
    ASSERT_EQ(window.diagnosticViews().size(), 1u);
    const auto trail = std::dynamic_pointer_cast<EventTrailView>(window.diagnosticViews()[0]);
    ASSERT_TRUE(trail);

    child<QAbstractButton>(window, "U_ac_1")->click();
    ASSERT_TRUE(waitUntil([&] { return label("U_warmup") == "WAIT"; }));
    EXPECT_EQ(color("U_warmup"), QColor(255, 255, 0));
    ASSERT_TRUE(waitUntil([&] { return label("U_warmup") == "READY"; }));
    EXPECT_EQ(color("U_warmup"), QColor(0, 255, 0));

    child<QAbstractButton>(window, "U_oper_1")->click();
    ASSERT_TRUE(waitUntil([&] { return label("U_message") == "Amp on and operating"; }));
    EXPECT_TRUE(received("OPER ON"));
    EXPECT_EQ(label("U_oper"), "OPER");

    // Calibration 0x1E00 for forward power, so 5 reads 750 (green), 9 reads 2430 (red).
    auto* pfwd = child<BarGauge>(window, "U_pfwd");
    amp.model().emitMeter({5, 2, 3, 4, 5});
    ASSERT_TRUE(waitUntil([&] { return pfwd->value() == 750; }));
    EXPECT_EQ(pfwd->bar().color, kGaugeGreen);
    EXPECT_TRUE(trail->trailText().contains("0pfwd=750"));
    amp.model().emitMeter({9, 2, 3, 4, 5});
    ASSERT_TRUE(waitUntil([&] { return pfwd->value() == 2430; }));
    EXPECT_EQ(pfwd->bar().color, kGaugeRed);

    child<QComboBox>(window, "U_band")->setCurrentIndex(2); // "40"
    ASSERT_TRUE(waitUntil([&] { return amp.model().band() == 3; }));
    EXPECT_TRUE(received("BAND 3"));

    amp.model().injectFault(12);
    ASSERT_TRUE(waitUntil([&] { return label("U_fault") == "FAULT"; }));
    EXPECT_EQ(color("U_fault"), QColor(255, 0, 0));
    EXPECT_EQ(label("U_message"), "12: High input refl power");
    child<QAbstractButton>(window, "U_ac_0")->click();
    ASSERT_TRUE(waitUntil([&] { return label("U_message") == "Amp AC power is off"; }));

    // All of it is in the record as the amplifier reported it: the states (the first, off,
    // before the switch was pressed), the bands, the fault and the metered power.
    later = 2000;
    history.flush();
    history.waitForWriter();
    HistoryReader record("history.db");
    QStringList events;
    for (const HistoryEvent& e : record.events({}))
        events.prepend(e.kind + ' ' + QString::number(e.code.value_or(0)) + ' ' + e.text);
    EXPECT_EQ(events.filter(QRegularExpression("^(state|band|fault)")),
              QStringList({"state 0 Off", "state 0 Warm-up", "state 0 Standby", "band 5 20 m",
                           "state 0 Operate", "band 3 40 m", "fault 12 High input refl power",
                           "state 0 Standby", "state 0 Off"}));
    // Over all time the plot is drawn by the day, from the minute summary.
    const auto days = record.series(0, 0, QDateTime::currentMSecsSinceEpoch() + later).points;
    EXPECT_TRUE(std::any_of(days.begin(), days.end(), [](auto& p) { return p.fwdPeak == 2430; }));

    amp.stop(); // the adapter is pulled: the message line says so and the program carries on
    ASSERT_TRUE(waitUntil([&] { return label("U_message").contains("removed"); }));
    child<QAbstractButton>(window, "U_ac_1")->click();

    // A restart of the server closes the views: none may keep the old hub.
    window.findChild<QAction*>("mnuEdit")->trigger();
    EXPECT_TRUE(window.diagnosticViews().empty());
    window.close();
    QDir::setCurrent(previousDir);
}

TEST(SignalClose, TermHupAndIntSaveThePlacementAndExitNormally) {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        QTemporaryDir dir;
        QProcess tarvex;
        tarvex.setWorkingDirectory(dir.path());
        // env replaces itself with tarvex, so the signal reaches tarvex.
        tarvex.start("env", {"XDG_CONFIG_HOME=" + dir.filePath("config"), TARVEX_EXECUTABLE});
        // The window makes server.dat while it loads, after the signals are taken over.
        waitUntil([&] { return QFile::exists(dir.filePath("server.dat")); }, 10000);
        ::kill(static_cast<pid_t>(tarvex.processId()), signal);
        ASSERT_TRUE(tarvex.waitForFinished(10000)) << strsignal(signal);
        const QSettings saved(dir.filePath("config/Tarvex/Tarvex.conf"), QSettings::IniFormat);
        EXPECT_TRUE(tarvex.exitStatus() == QProcess::NormalExit && tarvex.exitCode() == 0 &&
                    saved.contains("Settings/MainLeft"))
            << strsignal(signal);
    }
}

} // namespace
} // namespace tarvex
