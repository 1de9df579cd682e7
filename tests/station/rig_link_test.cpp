// The rig link against Hamlib's own rigctld (dummy rig with PTT), and against one that talks
// nonsense.
#include "station_fixture.h"

#include "station/rig_items.h"
#include "station/rig_notice.h"
#include "station/rigctld_client.h"

namespace tarvex {
namespace {

using namespace std::chrono_literals;

class RigLinkTest : public ::testing::Test {
protected:
    void SetUp() override { rigctld.start("rigctld", {"-m", "1", "-P", "RIG"}); }
    void tune(const QByteArray& hz) {
        ASSERT_EQ(test::Daemon::askAt(rigctld.port, "F " + hz + "\n",
                                      [](auto& r) { return r.endsWith('\n'); }),
                  "RPRT 0\n");
    }
    Variant item(const char* name) const { return hub->GetItem(name)->Value(); }

    test::Daemon rigctld;
    HubPtr hub = Hub::create();
};

TEST_F(RigLinkTest, ALostRigctldIsRetriedUntilItIsBack) {
    RigctldClient rig("127.0.0.1", rigctld.port, 50ms);
    RigItems items(hub, rig);
    RigNotice notice(rig);
    rig.start();
    tune("7100000");
    ASSERT_TRUE(test::waitUntil([&] { return item("rig.freq").toLong() == 7'100'000; }));
    EXPECT_EQ(item("rig.link").toString(), "up");
    rigctld.stop();
    ASSERT_TRUE(test::waitUntil([&] { return item("rig.link").toString().startsWith("lost"); }));
    EXPECT_EQ(item("rig.freq").toLong(), 0);
    EXPECT_TRUE(test::waitUntil(
        [&] { return notice.text() == "Radio link lost (connection refused); retrying"; }));
    rigctld.start("rigctld", {"-m", "1", "-P", "RIG"}); // same port, fresh dummy at 145 MHz
    ASSERT_TRUE(test::waitUntil([&] { return item("rig.freq").toLong() == 145'000'000; }, 8000));
    EXPECT_EQ(item("rig.link").toString(), "up");
    EXPECT_EQ(notice.text(), "Radio link restored");
}

TEST_F(RigLinkTest, RepliesThatAreNotNumbersAreCountedAndIgnored) {
    QTcpServer fake; // a rigctld whose first answers are garbage
    ASSERT_TRUE(fake.listen(QHostAddress::LocalHost));
    int polls = 0;
    QObject::connect(&fake, &QTcpServer::newConnection, [&] {
        QTcpSocket* s = fake.nextPendingConnection();
        QObject::connect(s, &QTcpSocket::readyRead, s, [&polls, s] {
            s->readAll();
            s->write(polls++ == 0 ? "RPRT -11\n14.2 MHz\n" : "0\n14074000\n");
        });
    });
    RigctldClient rig("127.0.0.1", fake.serverPort(), 50ms);
    RigItems items(hub, rig);
    rig.start();
    ASSERT_TRUE(test::waitUntil([&] { return item("rig.freq").toLong() == 14'074'000; }));
    EXPECT_EQ(item("rig.ignored").toLong(), 2);
    EXPECT_EQ(item("rig.link").toString(), "up");
}

} // namespace
} // namespace tarvex
