#include "sim/amp_simulator.h"

#include "pty_client.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <string>

namespace tarvex::sim {
namespace {

using test::PtyClient;

TEST(AmpSimulatorSim, PowersUpOverThePtyAfterTheWarmupAndReportsInjectedFaults) {
    AmpSimulator sim;
    AmpSimulator::Options options;
    options.warmupMs = 200;
    ASSERT_TRUE(sim.start(options)) << sim.errorString().toStdString();
    PtyClient client;
    ASSERT_TRUE(client.open(sim.devicePath()));

    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(client.write("AC ON\r"));
    EXPECT_EQ(client.readUntil("\n"), "POWER ON SEQUENCE\r\n");
    const std::string ready = client.readUntil("LOAD = 55\r\n", 3000);
    EXPECT_GE(t.elapsed(), 190);
    EXPECT_EQ(ready, "STATE = STANDBY MODE = HIGH\r\nBAND = 5 SEGMENT = 2 FREQUENCY = 14105\r\n"
                     "TUNE = 56 LOAD = 55\r\n");

    sim.model().injectFault(21);
    EXPECT_EQ(client.readUntil("STANDBY\r\n"), "FAULT = 21\r\nSTATE = STANDBY\r\n");
}

TEST(AmpSimulatorSim, StopUnplugsWithoutSpinningAndTheModelOutlivesIt) {
    AmpSimulator sim;
    AmpSimulator::Options options;
    options.warmupMs = 50;
    options.meterIntervalMs = 10;
    ASSERT_TRUE(sim.start(options));
    PtyClient client;
    ASSERT_TRUE(client.open(sim.devicePath()));
    client.write("AC ON\r");
    client.readUntil("POWER ON SEQUENCE\r\n");

    const qint64 wakeups = sim.port().readWakeups();
    sim.stop();
    EXPECT_TRUE(client.waitForHangup());
    test::pumpEvents(150); // the warm-up still ends, with nobody to hear it
    EXPECT_EQ(sim.model().state(), PowerState::Standby);
    EXPECT_EQ(sim.port().readWakeups(), wakeups);

    // Plugged in again: a new device, same amplifier.
    ASSERT_TRUE(sim.start(options));
    PtyClient again;
    ASSERT_TRUE(again.open(sim.devicePath()));
    again.write("AC\r");
    EXPECT_EQ(again.readUntil("\n"), "AMPLIFIER IS ON\r\n");
}

} // namespace
} // namespace tarvex::sim
