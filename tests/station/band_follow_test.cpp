// Band following through the items alone: the rig's readings go in as a rig link publishes
// them, and what reaches the amplifier is read off its in-memory serial line.
#include "station_fixture.h"

#include "station/band_follower.h"
#include "station/band_switch.h"
#include "station/rig_items.h"

namespace tarvex {
namespace {

using namespace std::chrono_literals;

class FakeRig : public RigClient {
public:
    void start() override {}
    void stop() override {}
    State state() const override { return mState; }
    QString detail() const override { return QStringLiteral("gone"); }
    void go(State s) {
        mState = s;
        emit stateChanged();
    }
    void read(qint64 hz, bool ptt) {
        emit pttRead(ptt);
        emit frequencyRead(hz);
    }
    State mState = State::Up;
};

class BandFollowTest : public ::testing::Test {
protected:
    BandFollowTest() {
        amp.line("STATE = STANDBY");
        amp.line("BAND 3 SEGMENT 1 FREQUENCY 7050");
        amp.sent();
    }
    QString message() const { return hub->GetItem("0message")->Value().toString(); }

    HubPtr hub = Hub::create();
    test::MemoryAmp amp{hub, 0};
    FakeRig rig;
    RigItems items{hub, rig};
    BandSwitch bands{AmplifierItems(hub, 0), 100ms};
    BandFollower follower{hub, bands};
};

TEST_F(BandFollowTest, FollowsOnlyBetweenTransmissionsAndInsideTheBands) {
    rig.read(14'200'000, true);
    EXPECT_EQ(amp.sent(), "");
    rig.read(14'200'000, false);
    EXPECT_EQ(amp.sent(), "BAND 5,");
    amp.line("BAND 5 SEGMENT 2 FREQUENCY 14175");
    rig.read(14'300'000, false);
    rig.read(145'000'000, false);
    EXPECT_EQ(amp.sent(), "");
    test::waitUntil([] { return false; }, 400); // past the confirmation deadline
    EXPECT_EQ(message(), "Amp on and standing by");
}

TEST_F(BandFollowTest, ASilentOrRefusingAmplifierIsToldOnceAndNotAskedAgain) {
    rig.read(14'200'000, false);
    EXPECT_EQ(amp.sent(), "BAND 5,");
    ASSERT_TRUE(test::waitUntil([&] { return message().contains("confirm the change to 20 m"); }));
    rig.read(14'250'000, false);
    EXPECT_EQ(amp.sent(), "");

    rig.read(21'200'000, false);
    EXPECT_EQ(amp.sent(), "BAND 7,");
    amp.line("BAND 5 SEGMENT 2 FREQUENCY 14175"); // stays where it was
    rig.read(21'300'000, false);
    EXPECT_EQ(amp.sent(), "");
}

TEST_F(BandFollowTest, WaitsForTheMainsAndForgetsALostRadio) {
    amp.line("AMPLIFIER IS OFF");
    rig.read(14'200'000, false);
    EXPECT_EQ(amp.sent(), "");
    amp.line("STATE = STANDBY");
    ASSERT_TRUE(test::waitUntil([&] { return amp.link->written() == "BAND 5\r"; }));
    amp.sent();
    amp.line("BAND 5 SEGMENT 2 FREQUENCY 14175");

    rig.go(RigClient::State::Lost);
    EXPECT_EQ(hub->GetItem("rig.link")->Value().toString(), "lost (gone); retrying");
    amp.line("BAND 3 SEGMENT 1 FREQUENCY 7050"); // moved by hand while the radio is unknown
    test::waitUntil([] { return false; }, 50);
    EXPECT_EQ(amp.sent(), "");
}

} // namespace
} // namespace tarvex
