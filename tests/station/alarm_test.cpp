// The alarm monitor and the guard on a driver fed by the test, with time moved by hand.
#include "manual_clock.h"
#include "station_fixture.h"

#include "core/swr.h"
#include "station/alarm_monitor.h"
#include "station/amplifier_guard.h"
#include "station/rigctld_client.h"

#include <QCoreApplication>

namespace tarvex {
namespace {

AlarmSettings levels(int driveLimit = 100, bool protect = false, bool resume = false) {
    return {swr(900, 100), swr(900, 225), 50, driveLimit, protect, resume}; // 2.0 and 3.0
}

struct Watched {
    explicit Watched(AlarmSettings s = levels(), RigClient* rig = nullptr)
        : monitor(AmplifierItems(hub, 0), s, clock.clock()),
          guard(
              AmplifierItems(hub, 0), [rig]() -> RigClient* { return rig; }, clock.clock()) {
        monitor.setGuard(&guard);
        say("STATE = OPERATE");
        amp.sent();
    }
    void say(const QString& line) {
        amp.line(line);
        QCoreApplication::processEvents(); // what the monitor judges once the line is read
    }
    void meter(int fwd, int rfl, int inp = 0) {
        say(QString("FWD = %1 RFL = %2 INP = %3").arg(fwd).arg(rfl).arg(inp));
    }
    int level() const { return int(monitor.level()); }
    QString text() const { return hub->GetItem("0alarmtext")->Value().toString(); }
    void acknowledge() { hub->GetItem("0alarmack")->setValue(true); }

    HubPtr hub = Hub::create();
    test::MemoryAmp amp{hub, 0};
    test::ManualClock clock;
    AlarmMonitor monitor;
    AmplifierGuard guard;
};

struct ThresholdCase {
    const char* name;
    int fwd, rfl, inp;
    int level; // after the hold time
    int driveLimit = 100;
};

class AlarmThresholdTest : public ::testing::TestWithParam<ThresholdCase> {};

TEST_P(AlarmThresholdTest, RaisedAfterHoldingForTheHoldTimeAndNotBefore) {
    const ThresholdCase& c = GetParam();
    Watched w(levels(c.driveLimit));
    w.meter(c.fwd, c.rfl, c.inp);
    w.clock.advance(AlarmSettings::kHoldMs - 1);
    EXPECT_EQ(w.level(), 0);
    w.clock.advance(1);
    EXPECT_EQ(w.level(), c.level) << w.text().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Levels, AlarmThresholdTest,
                         ::testing::Values(ThresholdCase{"swr_at_warning", 900, 100, 0, 1},
                                           ThresholdCase{"swr_below_warning", 900, 99, 0, 0},
                                           ThresholdCase{"swr_at_trip", 900, 225, 0, 2},
                                           ThresholdCase{"swr_below_trip", 900, 224, 0, 1},
                                           ThresholdCase{"forward_at_minimum", 50, 45, 0, 2},
                                           ThresholdCase{"forward_below_minimum", 49, 45, 0, 0},
                                           ThresholdCase{"drive_over_limit", 0, 0, 101, 2},
                                           ThresholdCase{"drive_at_limit", 0, 0, 100, 0},
                                           ThresholdCase{"drive_limit_off", 0, 0, 500, 0, 0}),
                         test::CaseName{});

TEST(AlarmMonitor, StandsUntilAcknowledgedAndRisesAgainAfterAFreshHold) {
    Watched w;
    w.meter(900, 225);
    w.clock.advance(150);
    w.meter(900, 50); // ended before it counted
    w.clock.advance(100);
    w.meter(900, 100);
    w.clock.advance(200);
    EXPECT_EQ(w.level(), 1);
    w.meter(900, 225);
    w.clock.advance(200);
    w.meter(0, 0);
    w.clock.advance(1000);
    EXPECT_EQ(w.level(), 2) << "replaces the warning, and stays when the condition ends";
    w.acknowledge();
    EXPECT_EQ(w.level(), 0);

    w.meter(900, 225);
    w.clock.advance(200);
    w.acknowledge(); // while it still holds
    w.clock.advance(199);
    EXPECT_EQ(w.level(), 0);
    w.clock.advance(1);
    EXPECT_EQ(w.level(), 2);
}

TEST(AlarmMonitor, AConditionThatBrokeOffHoldsAfreshFromWhenItCameBack) {
    Watched w;
    w.meter(900, 225);
    w.clock.advance(100);
    w.meter(900, 50);
    w.clock.advance(50);
    w.meter(900, 225); // back, 150 ms after it first began
    w.clock.advance(50);
    EXPECT_EQ(w.level(), 0) << "200 ms after it first began";
    w.clock.advance(149);
    EXPECT_EQ(w.level(), 0);
    w.clock.advance(1);
    EXPECT_EQ(w.level(), 2) << w.text().toStdString();
}

TEST(AlarmMonitor, AFaultOrALinkLostWhileOperatingTripsAtOnce) {
    Watched w, operating, standingBy;
    w.say("FAULT = 12");
    EXPECT_EQ(w.text(), "Fault 12: " + w.hub->GetItem("0faulttext")->Value().toString());
    operating.amp.link->vanish("unplugged");
    standingBy.say("STATE = STANDBY");
    standingBy.amp.link->vanish("unplugged");
    QCoreApplication::processEvents();
    EXPECT_EQ(operating.level(), 2);
    EXPECT_EQ(operating.text(), "Link lost while operating");
    EXPECT_EQ(standingBy.level(), 0);
}

// Against Hamlib's dummy radio, transmitting: its PTT is off before anything reaches the
// amplifier's wire.
TEST(AmplifierGuard, TheRadioStopsBeforeTheAmplifierGoesToStandby) {
    test::Daemon rigctld;
    rigctld.start("rigctld", {"-m", "1", "-P", "RIG"});
    const auto ask = [&](const QByteArray& line) {
        return test::Daemon::askAt(rigctld.port, line, [](auto& r) { return r.endsWith('\n'); });
    };
    ask("T 1\n");
    RigctldClient rig("127.0.0.1", rigctld.port, std::chrono::milliseconds(50));
    rig.start();
    ASSERT_TRUE(test::waitUntil([&] { return rig.state() == RigClient::State::Up; }));
    Watched w(levels(100, true), &rig);
    w.meter(900, 225);
    w.clock.advance(200);
    ASSERT_TRUE(test::waitUntil([&] { return ask("t\n") == "0\n"; }));
    EXPECT_EQ(w.amp.sent(), "") << "not under RF";
    EXPECT_EQ(w.text(), "SWR 3.0:1 for 200 ms: transmission ended, standby");
    w.meter(40, 5); // the radio stopped
    EXPECT_EQ(w.amp.sent(), "OPER OFF,");

    w.say("STATE = OPERATE"); // RF that does not fall is waited for only so long
    w.meter(900, 225);
    w.clock.advance(200 + AmplifierGuard::kUnkeyWait.count() - 1);
    EXPECT_EQ(w.amp.sent(), "");
    w.clock.advance(1);
    EXPECT_EQ(w.amp.sent(), "OPER OFF,");
}

// A radio that will not unkey (no PTT control configured) is not reported as unkeyed.
TEST(AmplifierGuard, SaysSoWhenTheRadioRefusesToEndTheTransmission) {
    test::Daemon rigctld;
    rigctld.start("rigctld", {"-m", "1"});
    RigctldClient rig("127.0.0.1", rigctld.port, std::chrono::milliseconds(50));
    rig.start();
    ASSERT_TRUE(test::waitUntil([&] { return rig.state() == RigClient::State::Up; }));
    Watched w(levels(100, true), &rig);
    w.meter(900, 225);
    w.clock.advance(200);
    ASSERT_TRUE(test::waitUntil([&] { return !w.text().contains("transmission ended"); }));
    EXPECT_TRUE(
        w.text().startsWith("SWR 3.0:1 for 200 ms: the radio did not end the transmission (RPRT -"))
        << w.text().toStdString();
    EXPECT_TRUE(w.text().endsWith("), standby"));
    w.clock.advance(AmplifierGuard::kUnkeyWait.count());
    EXPECT_EQ(w.amp.sent(), "OPER OFF,");
}

// Without a radio link: standby at once.
TEST(AmplifierGuard, BackToOperateThreeTimesThenLatchedUntilAcknowledged) {
    Watched w(levels(100, true, true));
    const auto trip = [&](bool back) {
        w.say("STATE = OPERATE");
        w.say("FAULT = 12");
        EXPECT_EQ(w.amp.sent(), "OPER OFF,");
        w.say("STATE = STANDBY");
        w.clock.advance(AmplifierGuard::kResumeAfter.count() - 1);
        EXPECT_EQ(w.amp.sent(), "");
        w.clock.advance(1);
        // The driver clears the fault the amplifier still shows first.
        EXPECT_EQ(w.amp.sent(), back ? "OPER OFF,OPER ON," : "") << w.text().toStdString();
    };
    trip(true);
    trip(true);
    trip(true);
    trip(false);
    EXPECT_TRUE(w.text().contains(": stays in standby after 4 trips in 5 minutes"))
        << w.text().toStdString();
    w.clock.advance(AmplifierGuard::kTripWindow.count());
    trip(false);
    EXPECT_TRUE(w.text().contains("stays in standby until the alarm is acknowledged"));
    w.acknowledge();
    trip(true);

    w.clock.advance(AmplifierGuard::kTripWindow.count());
    w.meter(900, 225); // never back while the condition holds
    w.clock.advance(200 + AmplifierGuard::kResumeAfter.count());
    EXPECT_TRUE(w.text().endsWith("stays in standby: the condition still holds"))
        << w.text().toStdString();
}

} // namespace
} // namespace tarvex
