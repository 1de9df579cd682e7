#include "sim/pty_port.h"

#include "pty_client.h"

#include <QElapsedTimer>
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

TEST(PtySimPort, CarriesBytesBothWaysUnchangedThroughARawLine) {
    PtyPort port;
    ASSERT_TRUE(port.open({})) << port.errorString().toStdString();
    echoBack(port);
    PtyClient client;
    ASSERT_TRUE(client.open(port.slavePath()));
    // CR must arrive as CR (no translation to LF) and nothing may be echoed by the line itself.
    ASSERT_TRUE(client.write("AC ON\r"));
    EXPECT_EQ(client.readUntil("\r>"), "<AC ON\r>");
    port.write("STATE = OPERATE\r\n");
    EXPECT_EQ(client.readUntil("\n"), "STATE = OPERATE\r\n");
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
    EXPECT_FALSE(port.isOpen());
    EXPECT_TRUE(client.waitForHangup()) << "a reader of the slave must see end of file or EIO";
    EXPECT_FALSE(exists(link));
    EXPECT_FALSE(exists(device));
    // A fresh open reuses a stale link left behind by a killed run.
    PtyPort again;
    ASSERT_TRUE(again.open({link, 0, true}));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), again.slavePath());
}

TEST(PtySimPort, DoesNotSpinWhenTheClientGoesAway) {
    PtyPort port;
    ASSERT_TRUE(port.open({}));
    echoBack(port);
    {
        PtyClient client;
        ASSERT_TRUE(client.open(port.slavePath()));
        client.write("AC\r");
        EXPECT_EQ(client.readUntil(">"), "<AC\r>");
    }
    const qint64 before = port.readWakeups();
    pumpEvents(300);
    EXPECT_LE(port.readWakeups() - before, 2) << "read handler fired with no client";

    PtyClient next;
    ASSERT_TRUE(next.open(port.slavePath()));
    next.write("STAT\r");
    EXPECT_NE(next.readUntil(">").find("<STAT\r>"), std::string::npos);
}

TEST(PtySimPort, WithoutKeepAlivePausesOnHangupAndResumesForTheNextClient) {
    PtyPort port;
    ASSERT_TRUE(port.open({QString(), 0, false}));
    echoBack(port);
    {
        PtyClient client;
        ASSERT_TRUE(client.open(port.slavePath()));
        client.write("AC\r");
        EXPECT_EQ(client.readUntil(">"), "<AC\r>");
    }
    pumpEvents(50);
    EXPECT_TRUE(port.isPaused());
    const qint64 before = port.readWakeups();
    pumpEvents(400);
    EXPECT_LE(port.readWakeups() - before, 2) << "hangup must not keep the notifier firing";
    port.write("LOST\r\n"); // nobody on the line
    EXPECT_GT(port.droppedBytes(), 0);

    PtyClient next;
    ASSERT_TRUE(next.open(port.slavePath()));
    next.write("STAT\r");
    EXPECT_EQ(next.readUntil(">", 3000), "<STAT\r>");
    EXPECT_FALSE(port.isPaused());
}

TEST(PtySimPort, PacesOutputAtTheBaudRate) {
    PtyPort port;
    ASSERT_TRUE(port.open({QString(), 9600, true})); // 960 bytes per second
    PtyClient client;
    ASSERT_TRUE(client.open(port.slavePath()));
    const std::string line = std::string(30, 'X') + "\r\n";
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 6; ++i) // 192 bytes: 200 ms on the wire
        port.write(QByteArray::fromStdString(line));
    std::string got;
    while (got.size() < 6 * line.size() && t.elapsed() < 3000)
        got += client.readUntil("\n", 100);
    EXPECT_EQ(got.size(), 6 * line.size());
    EXPECT_GE(t.elapsed(), 170);
    EXPECT_EQ(port.droppedBytes(), 0);
}

} // namespace
} // namespace tarvex::sim
