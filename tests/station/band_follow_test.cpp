// Band following through the items alone: the rig's readings go in as the rig items, and what
// reaches the amplifier is read off its in-memory serial line.
#include "station_fixture.h"

#include "station/ampctl_interpreter.h"
#include "station/band_follower.h"
#include "station/band_switch.h"
#include "station/peak_hold.h"
#include "station/rig_client.h"

namespace tarvex {
namespace {

using namespace std::chrono_literals;

class BandFollowTest : public ::testing::Test {
protected:
    BandFollowTest() {
        for (const auto& [name, type] :
             {std::pair{"rig.freq", ItemInfo::kLong}, {"rig.ptt", ItemInfo::kInt}})
            hub->AttachItem(name)->setInfo(std::make_shared<ItemInfo>(ItemInfo{0, 1, type, 0, {}}));
        amp.line("STATE = STANDBY");
        amp.line("BAND 3 SEGMENT 1 FREQUENCY 7050");
        amp.sent();
    }
    void read(std::int32_t hz, int ptt) { // a RigPtt, as the rig link reads them: PTT first
        hub->GetItem("rig.ptt")->setValue(std::int16_t(ptt));
        hub->GetItem("rig.freq")->setValue(hz);
    }
    QString message() const { return hub->GetItem("0message")->Value().toString(); }

    HubPtr hub = Hub::create();
    test::MemoryAmp amp{hub, 0, {.pollAfter = 300ms, .giveUpAfter = 300ms, .confirmWithin = 100ms}};
    BandSwitch bands{AmplifierItems(hub, 0)};
    BandFollower follower{hub, bands};
};

TEST_F(BandFollowTest, FollowsOnlyBetweenTransmissionsAndInsideTheBands) {
    read(14'200'000, true);
    read(14'200'000, int(RigPtt::Unknown));
    EXPECT_EQ(amp.sent(), "");
    read(14'200'000, false);
    EXPECT_EQ(amp.sent(), "BAND 5,");
    amp.line("BAND 5 SEGMENT 2 FREQUENCY 14175");
    read(14'300'000, false);
    read(145'000'000, false);
    EXPECT_EQ(amp.sent(), "");
    EXPECT_EQ(message(), "Amp on and standing by");
}

TEST_F(BandFollowTest, ASilentOrRefusingAmplifierIsToldOnceAndNotAskedAgain) {
    read(14'200'000, false);
    EXPECT_EQ(amp.sent(), "BAND 5,");
    ASSERT_TRUE(test::waitUntil([&] { return message().contains("confirm the change to 20 m"); }));
    read(14'250'000, false);
    EXPECT_EQ(amp.sent(), "");

    read(21'200'000, false);
    EXPECT_EQ(amp.sent(), "BAND 7,");
    amp.line("BAND 3 SEGMENT 1 FREQUENCY 7050"); // stays where it was
    read(21'300'000, false);
    EXPECT_EQ(amp.sent(), "");
}

TEST_F(BandFollowTest, AnAmplifierMovedOffTheRadiosBandIsPutBackAndToldWhy) {
    amp.line("BAND 5 SEGMENT 2 FREQUENCY 14175");
    read(14'200'000, false);
    amp.line("BAND 7 SEGMENT 1 FREQUENCY 21200"); // moved on its panel or its own front panel
    ASSERT_TRUE(test::waitUntil([&] { return amp.link->written() == "BAND 5\r"; }));
    amp.line("BAND 5 SEGMENT 2 FREQUENCY 14175");
    amp.line("BAND 7 SEGMENT 1 FREQUENCY 21200"); // and again
    ASSERT_TRUE(test::waitUntil([&] { return amp.link->written() == "BAND 5\rBAND 5\r"; }));
    EXPECT_EQ(message(), "follows the radio: 20 m; switch following off in Station Links to "
                         "choose by hand");
}

TEST_F(BandFollowTest, NeverAsksUnderForwardPowerNorASilentAmplifier) {
    amp.line("FWD = 400");
    EXPECT_EQ(bands.request(5), BandSwitch::Result::UnderPower);
    ASSERT_TRUE(test::waitUntil([&] { return hub->GetItem("0link")->Value().toLong() == 2; }));
    EXPECT_EQ(bands.request(5), BandSwitch::Result::Unreachable);
}

TEST_F(BandFollowTest, ARadioThatCannotReportTransmitIsFollowedOnceTheAmplifierShowsNoRf) {
    amp.line("FWD = 400");
    read(14'200'000, int(RigPtt::NotReported));
    amp.line("FWD = 10");
    // Power that comes back before the hold is over starts it again from its next fall.
    const auto fell = std::chrono::steady_clock::now();
    ASSERT_TRUE(test::waitUntil([&] {
        return amp.link->written().contains("BAND 5") ||
               std::chrono::steady_clock::now() - fell >= RfWatch::kHold / 2;
    }));
    ASSERT_FALSE(amp.link->written().contains("BAND 5")) << "asked within the hold";
    amp.line("FWD = 400");
    amp.line("FWD = 10");
    const auto quiet = std::chrono::steady_clock::now();
    ASSERT_TRUE(test::waitUntil([&] { return amp.link->written().contains("BAND 5"); }));
    EXPECT_GE(std::chrono::steady_clock::now() - quiet, RfWatch::kHold);
}

TEST_F(BandFollowTest, AClientsFrequencyIsRefusedWhileFollowing) {
    PeakHold peak;
    AmpctlInterpreter logger(AmplifierItems(hub, 0), peak, bands);
    EXPECT_EQ(logger.handle("F 14200000\n").text, "RPRT -9\n");
}

TEST_F(BandFollowTest, WaitsForTheMainsToComeOn) {
    amp.line("AMPLIFIER IS OFF");
    read(14'200'000, false);
    EXPECT_EQ(amp.sent(), "");
    amp.line("STATE = STANDBY");
    EXPECT_TRUE(test::waitUntil([&] { return amp.link->written() == "BAND 5\r"; }));
}

} // namespace
} // namespace tarvex
