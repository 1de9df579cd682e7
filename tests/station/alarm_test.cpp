// The alarm monitor and the guard on a driver fed by the test, with time moved by hand.
#include "manual_clock.h"
#include "station_fixture.h"

#include "core/swr.h"
#include "station/alarm_monitor.h"
#include "station/amplifier_guard.h"
#include "station/rig_client.h"

#include <QCoreApplication>

namespace tarvex {
namespace {

// A radio link that records what it was asked.
class FakeRig : public RigClient {
public:
    void start() override {}
    void stop() override {}
    State state() const override { return up ? State::Up : State::Lost; }
    QString detail() const override { return {}; }
    bool setPtt(bool on) override {
        asked << (on ? "T 1" : "T 0");
        return up;
    }
    bool up = true;
    QStringList asked;
};

AlarmSettings levels(int driveLimit = 100) {
    AlarmSettings s;
    s.swrWarning = swr(900, 100); // 2.0
    s.swrTrip = swr(900, 225);    // 3.0
    s.minForwardW = 50;
    s.driveLimitW = driveLimit;
    return s;
}

struct Watched {
    explicit Watched(AlarmSettings s = levels(), FakeRig* rig = nullptr)
        : monitor(AmplifierItems(hub, 0), s, clock.clock()),
          guard(AmplifierItems(hub, 0), [rig]() -> RigClient* { return rig; }, clock.clock()) {
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
    int level; // after 200 ms
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

INSTANTIATE_TEST_SUITE_P(
    Levels, AlarmThresholdTest,
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
    EXPECT_EQ(w.level(), 0);
    w.meter(900, 100);
    w.clock.advance(200);
    EXPECT_EQ(w.level(), 1);
    EXPECT_EQ(w.text(), "SWR 2.0:1 for 200 ms");
    w.meter(900, 225);
    w.clock.advance(200);
    EXPECT_EQ(w.level(), 2) << "a trip replaces a warning";
    w.meter(0, 0);
    w.clock.advance(1000);
    EXPECT_EQ(w.level(), 2) << "stays when the condition ends";
    w.acknowledge();
    EXPECT_EQ(w.level(), 0);
    EXPECT_EQ(w.text(), "");

    w.meter(900, 225);
    w.clock.advance(200);
    w.acknowledge(); // while it still holds
    EXPECT_EQ(w.level(), 0);
    w.clock.advance(199);
    EXPECT_EQ(w.level(), 0);
    w.clock.advance(1);
    EXPECT_EQ(w.level(), 2);
}

TEST(AlarmMonitor, AFaultOrALinkLostWhileOperatingTripsAtOnce) {
    Watched w;
    w.say("FAULT = 12");
    EXPECT_EQ(w.level(), 2);
    EXPECT_TRUE(w.text().startsWith("Fault 12: ")) << w.text().toStdString();
    EXPECT_GT(w.text().size(), QString("Fault 12: ").size()) << "the fault table's words";

    Watched operating;
    operating.amp.link->vanish("unplugged");
    QCoreApplication::processEvents();
    EXPECT_EQ(operating.level(), 2);
    EXPECT_EQ(operating.text(), "Link lost while operating");

    Watched standingBy;
    standingBy.say("STATE = STANDBY");
    standingBy.amp.link->vanish("unplugged");
    QCoreApplication::processEvents();
    EXPECT_EQ(standingBy.level(), 0);
}

AlarmSettings guarding(bool resume) {
    AlarmSettings s = levels();
    s.protect = true;
    s.resume = resume;
    return s;
}

TEST(AmplifierGuard, TheRadioStopsBeforeTheAmplifierGoesToStandby) {
    FakeRig rig;
    Watched w(guarding(false), &rig);
    w.meter(900, 225);
    w.clock.advance(200);
    EXPECT_EQ(rig.asked, QStringList{"T 0"});
    EXPECT_EQ(w.amp.sent(), "") << "not under RF";
    EXPECT_EQ(w.text(), "SWR 3.0:1 for 200 ms: transmission ended, standby");
    w.meter(40, 5); // the radio stopped
    EXPECT_EQ(w.amp.sent(), "OPER OFF,");

    // RF that does not fall is waited for only so long.
    w.say("STATE = OPERATE");
    w.meter(900, 225);
    w.clock.advance(200 + AmplifierGuard::kUnkeyWait.count() - 1);
    EXPECT_EQ(rig.asked.size(), 2);
    EXPECT_EQ(w.amp.sent(), "");
    w.clock.advance(1);
    EXPECT_EQ(w.amp.sent(), "OPER OFF,");

    // A radio whose link is lost cannot be asked: standby at once.
    rig.up = false;
    w.say("STATE = OPERATE");
    w.acknowledge();
    w.clock.advance(200);
    EXPECT_EQ(w.amp.sent(), "OPER OFF,");
    EXPECT_EQ(w.text(), "SWR 3.0:1 for 200 ms: standby");
}

TEST(AmplifierGuard, BackToOperateTwiceThenLatchedUntilAcknowledged) {
    Watched w(guarding(true));
    const auto trip = [&] {
        w.say("STATE = OPERATE");
        w.say("FAULT = 12");
        EXPECT_EQ(w.amp.sent(), "OPER OFF,");
        w.say("STATE = STANDBY");
    };
    for (int i = 0; i < 2; ++i) {
        trip();
        EXPECT_TRUE(w.text().contains(": standby; back to operate in 10 s")) << i;
        w.clock.advance(AmplifierGuard::kResumeAfter.count() - 1);
        EXPECT_EQ(w.amp.sent(), "");
        w.clock.advance(1);
        // The driver clears the fault the amplifier still shows first.
        EXPECT_EQ(w.amp.sent(), "OPER OFF,OPER ON,") << i;
    }
    trip();
    EXPECT_TRUE(w.text().contains(": stays in standby after 3 trips in 5 minutes"));
    w.clock.advance(AmplifierGuard::kTripWindow.count());
    trip();
    EXPECT_TRUE(w.text().contains("stays in standby until the alarm is acknowledged"));
    w.clock.advance(AmplifierGuard::kTripWindow.count());
    EXPECT_EQ(w.amp.sent(), "");
    w.acknowledge();
    trip();
    w.clock.advance(AmplifierGuard::kResumeAfter.count());
    EXPECT_EQ(w.amp.sent(), "OPER OFF,OPER ON,");
}

TEST(AmplifierGuard, NeverBackToOperateWhileTheConditionHolds) {
    Watched w(guarding(true));
    w.meter(900, 225);
    w.clock.advance(200);
    EXPECT_EQ(w.amp.sent(), "OPER OFF,");
    w.say("STATE = STANDBY");
    w.clock.advance(AmplifierGuard::kResumeAfter.count());
    EXPECT_EQ(w.amp.sent(), "");
    EXPECT_TRUE(w.text().endsWith("stays in standby: the condition still holds"));
}

} // namespace
} // namespace tarvex
