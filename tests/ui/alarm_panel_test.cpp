// What an operator sees of the meters and the alarms: the SWR figure on the main panel, the
// panels and the window while an alarm stands, acknowledging it, All to Standby and the
// Alarms dialog. The alarm monitor's items are written by hand, as the monitor would.
#include "../support/printers.h"
#include "../support/wait_until.h"
#include "core/alarm_settings.h"
#include "core/user_settings.h"
#include "test_support.h"
#include "ui/bar_gauge.h"
#include "ui/frm_alarms.h"
#include "ui/panels/alarm_follower.h"
#include "ui/panels/amplifier_panels.h"
#include "ui/panels/banner_control.h"
#include "ui/panels/main_control.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QSpinBox>
#include <QTest>

namespace tarvex {
namespace {

// An item as its producer publishes it: with metadata, so that values stick.
ItemPtr published(const HubPtr& hub, const QString& name) {
    ItemPtr it = hub->AttachItem(name);
    it->setInfo(std::make_shared<ItemInfo>(ItemInfo{0, 1, 2, 0, {}}));
    return it;
}

struct SwrCase {
    const char* name;
    int forward, reflected, minForward;
    const char* shown;
};

class SwrFigure : public ::testing::TestWithParam<SwrCase> {};

TEST_P(SwrFigure, ShowsOneDecimalFromTheMinimumForwardPowerOfThatAmplifier) {
    const SwrCase& c = GetParam();
    AlarmSettings settings;
    settings.minForwardW = c.minForward;
    QSettings user = userSettings();
    settings.save(user, 1);
    user.sync();
    HubPtr hub = Hub::create();
    MainControl panel;
    panel.Initialize(hub, 1);
    published(hub, QStringLiteral("1pfwd"))->setValue(c.forward);
    published(hub, QStringLiteral("1prfl"))->setValue(c.reflected);
    const QLabel* shown = panel.findChild<QLabel*>(QStringLiteral("lblSwr"));
    EXPECT_TRUE(test::waitUntil([&] { return shown->text() == QString::fromUtf8(c.shown); }, 2000))
        << shown->text().toStdString();
    user.clear();
}

INSTANTIATE_TEST_SUITE_P(
    MainControl, SwrFigure,
    ::testing::Values(SwrCase{"below the minimum", 49, 5, 50, "SWR —"},
                      SwrCase{"at the minimum without reflection", 50, 0, 50, "SWR 1.0:1"},
                      SwrCase{"typical", 500, 20, 50, "SWR 1.5:1"},
                      SwrCase{"the amplifier's own minimum", 150, 20, 200, "SWR —"},
                      SwrCase{"reflected as high as forward", 100, 100, 50, "SWR 10.0:1"},
                      SwrCase{"no forward power with no minimum", 0, 0, 0, "SWR —"}),
    test::CaseName{});

TEST(AlarmOnThePanels, FramedAndFlashingWhileItStandsAndAClickAcknowledges) {
    HubPtr hub = Hub::create();
    QWidget host;
    auto* main = new MainControl(&host);
    auto* banner = new BannerControl(&host);
    main->Initialize(hub, 0);
    banner->Initialize(hub, 0);
    ItemPtr level = published(hub, QStringLiteral("0alarm"));
    ItemPtr ack = published(hub, QStringLiteral("0alarmack"));
    published(hub, QStringLiteral("0alarmtext"))->setValue(QStringLiteral("SWR 3.4:1"));
    const QColor face = main->grab().toImage().pixelColor(1, 1);

    const QColor expected[] = {face, PanelControl::alarmColor(1), PanelControl::alarmColor(2)};
    for (int l : {2, 1, 0}) {
        level->setValue(l);
        EXPECT_EQ(main->grab().toImage().pixelColor(1, 1), expected[l]) << "level " << l;
        EXPECT_EQ(banner->alarm()->flashTimerActive(), l != 0) << "level " << l;
    }
    EXPECT_TRUE(main->findChild<QLabel*>(QStringLiteral("lblAlarm"))->text().isEmpty());
    level->setValue(2);
    EXPECT_EQ(main->findChild<QLabel*>(QStringLiteral("lblAlarm"))->text(), "TRIP: SWR 3.4:1");
    EXPECT_EQ(banner->findChild<QLabel*>(QStringLiteral("U_name"))->palette().color(QPalette::WindowText),
              PanelControl::alarmColor(2));
    EXPECT_TRUE(test::waitUntil([&] {
        return banner->findChild<QLabel*>(QStringLiteral("U_name"))->palette().color(
                   QPalette::WindowText) != PanelControl::alarmColor(2);
    })) << "the name flashes";

    QTest::mouseClick(main->findChild<QWidget*>(QStringLiteral("U_fault")), Qt::LeftButton);
    const Variant first = ack->Value();
    EXPECT_FALSE(first.isEmpty()) << "the click acknowledged";
    QTest::mouseClick(main, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_FALSE(ack->Value().equals(first).value_or(true)) << "each acknowledgment is a change";
    level->setValue(0);
    const Variant last = ack->Value();
    QTest::mouseClick(main, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_TRUE(ack->Value().equals(last).value_or(false)) << "no alarm, nothing to acknowledge";
}

class AlarmWindow : public test::MainWindowTest {};

TEST_F(AlarmWindow, TitleAcknowledgeAllToStandbyAndPeakHoldFromTheMenus) {
    PanelRegistry panels;
    registerAmplifierPanels(panels);
    auto w = makeWindow(2, 2100, panels);
    const HubPtr hub = w->hub();
    const auto action = [&](const char* name) { return w->findChild<QAction*>(QLatin1String(name)); };
    ItemPtr level = published(hub, QStringLiteral("1alarm"));
    ItemPtr ack = published(hub, QStringLiteral("1alarmack"));
    ItemPtr warning = published(hub, QStringLiteral("0alarm"));
    published(hub, QStringLiteral("1alarmtext"))->setValue(QStringLiteral("SWR 3.4:1"));
    published(hub, QStringLiteral("0alarmtext"))->setValue(QStringLiteral("SWR 2.2:1"));
    EXPECT_EQ(w->windowTitle(), "Tarvex");
    for (int i : {0, 1})
        published(hub, QStringLiteral("%1name").arg(i))->setValue(QStringLiteral("Amplifier %1").arg(i + 1));
    published(hub, QStringLiteral("1pfwd"))->setValue(1200);
    published(hub, QStringLiteral("1prfl"))->setValue(179);
    published(hub, QStringLiteral("1pfwd"))->setValue(600);
    warning->setValue(1);
    level->setValue(2);
    EXPECT_TRUE(w->windowTitle().startsWith(QStringLiteral("TRIP amplifier 2: SWR 3.4:1 — ")))
        << w->windowTitle().toStdString();
    // The README's picture: TARVEX_SCREENSHOT_DIR=docs QT_SCALE_FACTOR=2
    if (const QString dir = qEnvironmentVariable("TARVEX_SCREENSHOT_DIR"); !dir.isEmpty()) {
        w->show();
        const QLabel* swr = w->views().at(7)->findChild<QLabel*>(QStringLiteral("lblSwr"));
        const auto* tripped = static_cast<PanelControl*>(w->views().at(7));
        EXPECT_TRUE(test::waitUntil([&] {
            return swr->text() == QStringLiteral("SWR 3.4:1") && tripped->alarm()->flashLit();
        }));
        EXPECT_TRUE(w->grab().save(dir + QStringLiteral("/alarm-panel.png")));
    }
    action("mnuAcknowledge")->trigger();
    EXPECT_FALSE(ack->Value().isEmpty());
    level->setValue(0);
    warning->setValue(0);
    EXPECT_EQ(w->windowTitle(), "Tarvex");

    // Amplifier 1 operates, amplifier 2 stands by: only the first is asked, as its button would.
    ItemPtr oper[2] = {published(hub, QStringLiteral("0oper")), published(hub, QStringLiteral("1oper"))};
    published(hub, QStringLiteral("0state"))->setValue(4);
    published(hub, QStringLiteral("1state"))->setValue(3);
    for (const ItemPtr& o : oper)
        o->setValue(true);
    action("mnuAllStandby")->trigger();
    EXPECT_FALSE(oper[0]->Value().toBoolean());
    EXPECT_TRUE(oper[1]->Value().toBoolean());

    const auto gauges = w->findChildren<BarGauge*>();
    ASSERT_EQ(gauges.size(), 8);
    action("mnuViewPeakHold")->setChecked(false);
    EXPECT_FALSE(userSettings().value(QStringLiteral("Settings/PeakHold"), true).toBool());
    for (const BarGauge* g : gauges)
        EXPECT_FALSE(g->peakHold());
}

TEST_F(AlarmWindow, DialogRefusesATripBelowTheWarningAndSavesWhatItShows) {
    frmAlarms dialog({QStringLiteral("Left"), QStringLiteral("Right")});
    auto* amplifier = dialog.findChild<QComboBox*>(QStringLiteral("cboAmplifier"));
    auto* warning = dialog.findChild<QDoubleSpinBox*>(QStringLiteral("spnSwrWarning"));
    auto* trip = dialog.findChild<QDoubleSpinBox*>(QStringLiteral("spnSwrTrip"));
    amplifier->setCurrentIndex(1);
    warning->setValue(2.5);
    trip->setValue(2.2);
    amplifier->setCurrentIndex(0);
    dialog.findChild<QSpinBox*>(QStringLiteral("spnMinForward"))->setValue(80);
    dialog.findChild<QCheckBox*>(QStringLiteral("chkSound"))->setChecked(true);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(amplifier->currentIndex(), 1) << "the amplifier whose levels are wrong is shown";
    EXPECT_FALSE(dialog.findChild<QLabel*>(QStringLiteral("lblError"))->text().isEmpty());
    QSettings user = userSettings();
    EXPECT_EQ(AlarmSettings::load(user, 0), AlarmSettings{}) << "nothing saved";

    trip->setValue(3.5);
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    user.sync();
    EXPECT_EQ(AlarmSettings::load(user, 0), dialog.settingsOf(0));
    EXPECT_EQ(AlarmSettings::load(user, 0).minForwardW, 80);
    EXPECT_EQ(AlarmSettings::load(user, 1), dialog.settingsOf(1));
    EXPECT_EQ(AlarmSettings::load(user, 1).swrTrip, 3.5);
    EXPECT_TRUE(AlarmSignals::load(user).sound);
}

} // namespace
} // namespace tarvex
