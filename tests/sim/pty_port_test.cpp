#include "sim/pty_port.h"

#include "pty_client.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <tuple>

namespace tarvex::sim {
namespace {

using test::PtyClient;
using test::pumpEvents;

// Bytes cross the raw line unchanged both ways (CR stays CR, the line echoes nothing). With or
// without a held slave, a client going away must not keep the read handler firing, and the next
// client is served.
TEST(PtySimPort, RawRoundTripAndNoSpinWhenTheClientGoesAway) {
    for (const bool keepSlaveOpen : {true, false}) {
        SCOPED_TRACE(keepSlaveOpen ? "slave held open" : "slave not held");
        PtyPort port;
        ASSERT_TRUE(port.open({QString(), 0, keepSlaveOpen}));
        // Echoes every received chunk back, bracketed, so both directions are visible.
        QObject::connect(&port, &PtyPort::received, &port,
                         [&port](const QByteArray& b) { port.write("<" + b + ">"); });
        {
            PtyClient client;
            ASSERT_TRUE(client.open(port.slavePath()));
            client.write("AC\r");
            EXPECT_EQ(client.readUntil(">"), "<AC\r>");
        }
        pumpEvents(50);
        EXPECT_EQ(port.isPaused(), !keepSlaveOpen);
        const qint64 before = port.readWakeups();
        pumpEvents(300);
        EXPECT_LE(port.readWakeups() - before, 2) << "read handler fired with no client";

        PtyClient next;
        ASSERT_TRUE(next.open(port.slavePath()));
        next.write("STAT\r");
        EXPECT_NE(next.readUntil("<STAT\r>", 3000).find("<STAT\r>"), std::string::npos);
        EXPECT_FALSE(port.isPaused());
    }
}

// A reply takes as long as the line the client set up would take to carry it, and a new setting
// counts from the next byte on.
TEST(PtySimPort, PacesAtTheSpeedAndStopBitsTheClientSetsOnTheLine) {
    PtyPort port;
    ASSERT_TRUE(port.open({QString(), PtyPort::kLineSpeed, true}));
    PtyClient client;
    ASSERT_TRUE(client.open(port.slavePath()));
    // Speed and stop bits, and the time 96 bytes take (25 ms at the pty's own 38400).
    for (const auto& [speed, cflags, minMs, maxMs] :
         {std::tuple{B9600, tcflag_t{0}, 95, 500}, // 10 bits a byte: 100 ms
          {B1200, tcflag_t{CSTOPB}, 860, 2000}}) { // 11 bits a byte: 880 ms
        ASSERT_TRUE(client.setLine(speed, cflags));
        QElapsedTimer t;
        t.start();
        port.write(QByteArray(95, 'x') + '\n');
        EXPECT_EQ(client.readUntil("\n", 3000).size(), 96u);
        EXPECT_GE(t.elapsed(), minMs);
        EXPECT_LE(t.elapsed(), maxMs);
    }
}

} // namespace
} // namespace tarvex::sim
