#include "sim/pty_port.h"

#include "pty_client.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

namespace tarvex::sim {
namespace {

using test::PtyClient;
using test::pumpEvents;

bool exists(const QString& path) {
    struct stat st {};
    return ::lstat(path.toLocal8Bit().constData(), &st) == 0;
}

// Echoes every received chunk back, bracketed, so both directions are visible.
void echoBack(PtyPort& port) {
    QObject::connect(&port, &PtyPort::received, &port,
                     [&port](const QByteArray& b) { port.write("<" + b + ">"); });
}

TEST(PtySimPort, LinkPointsAtTheDeviceAndCloseMakesBothVanish) {
    QTemporaryDir dir;
    const QString link = dir.filePath("amp0");
    PtyPort port;
    ASSERT_TRUE(port.open({link, 0, true})) << port.errorString().toStdString();
    const QString device = port.slavePath();
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), device);

    PtyClient client;
    ASSERT_TRUE(client.open(link));
    port.close();
    EXPECT_TRUE(client.waitForHangup()) << "a reader of the slave must see end of file or EIO";
    EXPECT_FALSE(exists(link));
    EXPECT_FALSE(exists(device));
    // A fresh open reuses a stale link left behind by a killed run.
    PtyPort again;
    ASSERT_TRUE(again.open({link, 0, true}));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), again.slavePath());
}

// Bytes cross the raw line unchanged both ways (CR stays CR, the line echoes nothing). With or
// without a held slave, a client going away must not keep the read handler firing, and the next
// client is served.
TEST(PtySimPort, RawRoundTripAndNoSpinWhenTheClientGoesAway) {
    for (const bool keepSlaveOpen : {true, false}) {
        SCOPED_TRACE(keepSlaveOpen ? "slave held open" : "slave not held");
        PtyPort port;
        ASSERT_TRUE(port.open({QString(), 0, keepSlaveOpen}));
        echoBack(port);
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

} // namespace
} // namespace tarvex::sim
