#include "sim/amp_model.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace tarvex::sim {
namespace {

const std::string kStatusStandby = "STATE = STANDBY MODE = HIGH\r\n"
                                   "BAND = 5 SEGMENT = 2 FREQUENCY = 14105\r\n"
                                   "TUNE = 56 LOAD = 55\r\n";

TEST(AmpModelSimWarmup, ReadyExactlyWhenTheWarmupHasRun) {
    AmpModel m;
    m.setWarmupMs(1000);
    m.feed("AC ON\r");
    EXPECT_EQ(m.takeOutput(), "POWER ON SEQUENCE\r\n");
    EXPECT_EQ(m.state(), PowerState::WarmingUp);

    m.advance(400);
    // While warming up the amplifier answers, but will not operate.
    m.feed("OPER ON\rAC ON\rSTAT\r");
    EXPECT_EQ(m.takeOutput(), "STATE = WARMUP\r\nSTATE = WARMUP\r\nSTATE = WARMUP MODE = HIGH\r\n"
                              "BAND = 5 SEGMENT = 2 FREQUENCY = 14105\r\nTUNE = 56 LOAD = 55\r\n");
    EXPECT_EQ(m.msUntilNextEvent(), 600);

    m.advance(599);
    EXPECT_EQ(m.takeOutput(), "");
    EXPECT_EQ(m.state(), PowerState::WarmingUp);
    m.advance(1);
    EXPECT_EQ(m.takeOutput(), kStatusStandby);
    EXPECT_EQ(m.state(), PowerState::Standby);
    EXPECT_EQ(m.msUntilNextEvent(), -1);

    // Switching off during a warm-up cancels it; the next power-on starts from the beginning.
    m.feed("AC OFF\rAC ON\r");
    m.advance(500);
    m.feed("AC OFF\r");
    m.advance(5000);
    EXPECT_EQ(m.takeOutput(), "AMPLIFIER IS OFF\r\nPOWER ON SEQUENCE\r\nAMPLIFIER IS OFF\r\n");
    EXPECT_EQ(m.msUntilNextEvent(), -1);
}

TEST(AmpModelSimWarmup, FollowsAnInjectedClock) {
    std::int64_t now = 5000;
    AmpModel m;
    m.setWarmupMs(300);
    m.setClock([&] { return now; });
    m.powerOnFromPanel();
    EXPECT_EQ(m.takeOutput(), "POWER ON SEQUENCE\r\n");

    now += 299;
    m.poll();
    EXPECT_EQ(m.takeOutput(), "");
    // Any call catches up with the clock first, so the ready report precedes this reply.
    now += 1;
    m.feed("AC\r");
    EXPECT_EQ(m.takeOutput(), kStatusStandby + "AMPLIFIER IS ON\r\n");
    EXPECT_EQ(m.nowMs(), 5300);
}

TEST(AmpModelSimAutotune, WalksTowardTheSegmentOptimumOneStepPerInterval) {
    AmpModel m;
    m.setWarmupMs(0);
    m.setAutotuneStepMs(100);
    m.feed("AC ON\rTUNE 40\rLOAD 64\r");
    m.takeOutput();

    m.feed("AUTOTUNE ON\r");
    EXPECT_EQ(m.takeOutput(), "AUTOTUNE = ENABLED\r\n");
    EXPECT_TRUE(m.autotuneRunning());
    m.advance(99);
    EXPECT_EQ(m.takeOutput(), "");
    // Targets for band 5 segment 2: tune 56, load 55; steps of at most 5.
    m.advance(1000);
    EXPECT_EQ(m.takeOutput(), "TUNE = 45 LOAD = 59\r\nTUNE = 50 LOAD = 55\r\n"
                              "TUNE = 55 LOAD = 55\r\nTUNE = 56 LOAD = 55\r\n");
    EXPECT_FALSE(m.autotuneRunning());
    EXPECT_EQ(m.msUntilNextEvent(), -1);

    // A band change retunes; the operator turning a knob stops the tuner.
    m.feed("TUNE 0\rSEG 1\r");
    m.takeOutput();
    m.advance(100);
    EXPECT_EQ(m.takeOutput(), "TUNE = 58 LOAD = 56\r\n"); // already at segment 1's optimum
    m.feed("TUNE 0\rBAND 1\rLOAD 7\r");
    m.advance(1000);
    EXPECT_EQ(m.takeOutput(), "TUNE = 0\r\n"
                              "BAND = 1 SEGMENT = 1 FREQUENCY = 1820\r\nTUNE = 90 LOAD = 80\r\n"
                              "LOAD = 7\r\n");

    m.feed("AUTOTUNE OFF\rSEG 2\r");
    m.advance(1000);
    EXPECT_EQ(m.takeOutput(), "AUTOTUNE = DISABLED\r\n"
                              "BAND = 1 SEGMENT = 2 FREQUENCY = 1860\r\nTUNE = 88 LOAD = 79\r\n");
}

} // namespace
} // namespace tarvex::sim
