// Commands from pages: the item a desktop click writes, the server's own refusals, and the
// wait for the amplifier's confirmation.
#include "remote_station.h"

#include "remote/command_desk.h"

namespace tarvex {
namespace {

const ClientIdentity kAnn{"ann", RemoteUsers::Role::Operate, "a", "127.0.0.1"};
const ClientIdentity kBob{"bob", RemoteUsers::Role::Operate, "b", "127.0.0.1"};
const ClientIdentity kViewer{"vic", RemoteUsers::Role::View, "v", "127.0.0.1"};

struct DeskRig {
    DeskRig() {
        station.say(0, "STATE = STANDBY|BAND 3 SEGMENT 1 FREQUENCY 7050|TUNE = 35 LOAD = 20|"
                       "MODE = LOW|AUTOTUNE = OFF");
        station.sent(0);
    }
    CommandDesk::Outcome ask(const ClientIdentity& who, RemoteControl control, int value,
                             int amplifier = 1) {
        RemoteRequest r;
        r.amplifier = amplifier;
        r.control = control;
        r.value = value;
        return desk.carryOut(who, r);
    }
    QJsonValue pending(const char* control) {
        feed.tick();
        return feed.amplifier(1)->state()["pending"].toObject().value(control);
    }

    test::TestClock clock;
    test::RemoteStation station{1};
    ControlHolder control{clock.fn()};
    RemoteFeed feed{*station.server, control, clock.fn()};
    CommandDesk desk{feed, control, clock.fn()};
};

struct WriteCase {
    const char* name;
    RemoteControl control;
    int value;
    const char* wire; // what the amplifier receives
    bool watched = true;
};

class RemoteCommandTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(RemoteCommandTest, WritesTheItemADesktopClickWrites) {
    const WriteCase& c = GetParam();
    DeskRig rig;
    const CommandDesk::Outcome o = rig.ask(kAnn, c.control, c.value);
    EXPECT_TRUE(o.ok) << o.text.toStdString();
    EXPECT_EQ(o.amplifierIndex, 0);
    EXPECT_EQ(rig.station.sent(0), QString(c.wire) + ",");
    EXPECT_EQ(rig.feed.amplifier(1)->watch().status(c.control),
              c.watched ? std::optional(ConfirmationWatch::Status::Waiting) : std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Controls, RemoteCommandTest,
    ::testing::Values(WriteCase{"mains_off", RemoteControl::Power, 0, "AC OFF"},
                      WriteCase{"operate", RemoteControl::Operate, 1, "OPER ON"},
                      WriteCase{"band", RemoteControl::Band, 5, "BAND 5"},
                      WriteCase{"segment", RemoteControl::Segment, 2, "SEG 2"},
                      WriteCase{"tune", RemoteControl::Tune, 40, "TUNE 40"},
                      WriteCase{"load", RemoteControl::Load, 25, "LOAD 25"},
                      WriteCase{"high", RemoteControl::High, 1, "MODE HIGH"},
                      WriteCase{"auto_tune", RemoteControl::AutoTune, 1, "AUTOTUNE ON"},
                      WriteCase{"default", RemoteControl::Default, 1, "DEF", false},
                      WriteCase{"enter", RemoteControl::Enter, 1, "ENT", false}),
    test::CaseName{});

TEST(RemoteCommand, WaitsForTheAmplifiersReportThenConfirmsOrTurnsBack) {
    DeskRig rig;
    ASSERT_TRUE(rig.ask(kAnn, RemoteControl::Band, 5).ok);
    EXPECT_EQ(rig.station.sent(0), "BAND 5,");
    EXPECT_EQ(rig.pending("band"), (QJsonObject{{"asked", 5}, {"status", "waiting"}}));
    EXPECT_EQ(rig.feed.amplifier(1)->state()["band"], 3) << "shown as reported until confirmed";
    rig.station.say(0, "BAND 5 SEGMENT 1 FREQUENCY 14050");
    EXPECT_TRUE(rig.pending("band").isUndefined());
    EXPECT_EQ(rig.feed.amplifier(1)->state()["band"], 5);

    ASSERT_TRUE(rig.ask(kAnn, RemoteControl::High, 1).ok);
    rig.clock.advance(ConfirmationWatch::kConfirmMs - 1);
    EXPECT_EQ(rig.pending("high"), (QJsonObject{{"asked", true}, {"status", "waiting"}}));
    rig.clock.advance(1);
    EXPECT_EQ(rig.pending("high"), (QJsonObject{{"asked", true}, {"status", "notConfirmed"}}));
    EXPECT_EQ(rig.feed.amplifier(1)->state()["high"], false);
    rig.clock.advance(ConfirmationWatch::kNoteMs);
    EXPECT_TRUE(rig.pending("high").isUndefined());

    // The same value again sends nothing, but is watched afresh.
    const CommandDesk::Outcome again = rig.ask(kAnn, RemoteControl::High, 1);
    EXPECT_TRUE(again.ok);
    EXPECT_EQ(rig.station.sent(0), "MODE HIGH,");
    EXPECT_EQ(rig.pending("high").toObject()["status"], "waiting");
    // What it reports already needs no command.
    EXPECT_TRUE(rig.ask(kAnn, RemoteControl::Tune, 35).text.contains("already reports"));
    EXPECT_EQ(rig.station.sent(0), "");

    // Mains on is confirmed by the warm-up.
    rig.station.say(0, "AMPLIFIER = OFF");
    ASSERT_TRUE(rig.ask(kAnn, RemoteControl::Power, 1).ok);
    EXPECT_EQ(rig.station.sent(0), "AC ON,");
    EXPECT_EQ(rig.pending("power").toObject()["status"], "waiting");
    rig.station.say(0, "STATE = WARMUP");
    EXPECT_TRUE(rig.pending("power").isUndefined());
}

struct RefusalCase {
    const char* name;
    const ClientIdentity* who;
    RemoteControl control;
    int value;
    const char* before; // amplifier lines first; "unplug" drops its link
    const char* reason;
    int amplifier = 1;
};

class RemoteRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RemoteRefusalTest, TheServerRefusesAndNothingReachesTheAmplifier) {
    const RefusalCase& c = GetParam();
    DeskRig rig;
    ASSERT_TRUE(rig.ask(kBob, RemoteControl::Segment, 1).ok); // bob holds control
    rig.station.sent(0);
    if (QString(c.before) == "unplug")
        rig.station.links[0]->vanish("unplugged");
    else if (*c.before)
        rig.station.say(0, c.before);
    const CommandDesk::Outcome o = rig.ask(*c.who, c.control, c.value, c.amplifier);
    EXPECT_FALSE(o.ok);
    EXPECT_TRUE(o.text.contains(c.reason)) << o.text.toStdString();
    EXPECT_TRUE(o.record.contains("refused")) << o.record.toStdString();
    EXPECT_EQ(rig.station.sent(0), "");
    EXPECT_EQ(rig.control.holder(), "bob");
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, RemoteRefusalTest,
    ::testing::Values(
        RefusalCase{"view_user", &kViewer, RemoteControl::Power, 0, "", "your role is view"},
        RefusalCase{"band_under_power", &kBob, RemoteControl::Band, 5, "FWD = 40",
                    "never changed under power"},
        RefusalCase{"unreachable", &kBob, RemoteControl::Power, 0, "unplug", "cannot be reached"},
        RefusalCase{"mains_off", &kBob, RemoteControl::Tune, 50, "AMPLIFIER = OFF", "is off"},
        RefusalCase{"no_such_amplifier", &kBob, RemoteControl::Power, 0, "", "no amplifier 2", 2}),
    test::CaseName{});

TEST(RemoteCommand, AnotherOperatorTakesControlAndTheHolderLearnsWhoFrom) {
    DeskRig rig;
    ASSERT_TRUE(rig.ask(kAnn, RemoteControl::Tune, 40).ok);
    RemoteRequest take;
    take.type = RemoteRequest::Type::Take;
    const CommandDesk::Outcome o = rig.desk.carryOut(kBob, take);
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(o.previousHolder, "ann");
    EXPECT_EQ(o.record, "took control from ann");
    EXPECT_FALSE(rig.ask(kAnn, RemoteControl::Tune, 41).ok);
    EXPECT_TRUE(rig.ask(kBob, RemoteControl::Tune, 41).ok);
    EXPECT_FALSE(rig.desk.carryOut(kViewer, take).ok);
    EXPECT_EQ(rig.control.holder(), "bob");
}

TEST(RemoteCommand, OnlyAnOperateUserAcknowledgesAnAlarmOrPutsAllToStandby) {
    DeskRig rig;
    const ItemPtr level = rig.station.hub()->AttachItem("0alarm");
    const ItemPtr ack = rig.station.hub()->AttachItem("0alarmack");
    level->setInfo(std::make_shared<ItemInfo>(ItemInfo{0, 2, ItemInfo::kInt, 0, {}}));
    ack->setInfo(std::make_shared<ItemInfo>(ItemInfo{0, 1, ItemInfo::kStr, 0, {}}));
    level->setValue(std::int16_t{2});
    EXPECT_EQ(rig.feed.amplifier(1)->current(0)["alarm"].toObject()["level"], "trip");
    RemoteRequest r;
    r.type = RemoteRequest::Type::Acknowledge;
    r.amplifier = 1;
    EXPECT_TRUE(rig.desk.carryOut(kViewer, r).record.contains("refused"));
    EXPECT_TRUE(rig.desk.carryOut(kAnn, r).ok);
    EXPECT_FALSE(ack->Value().isEmpty());

    rig.station.say(0, "STATE = OPERATE");
    rig.station.sent(0);
    r.type = RemoteRequest::Type::AllStandby;
    EXPECT_EQ(rig.desk.carryOut(kBob, r).text, "standby asked of 1 amplifier"); // ann holds control
    EXPECT_EQ(rig.station.sent(0), "OPER OFF,");
}

} // namespace
} // namespace tarvex
