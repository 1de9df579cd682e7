// The rig link against Hamlib's own rigctld (dummy rig with PTT), and the station links as the
// program runs them: following the server object's amplifier list through a restart.
#include "station_fixture.h"

#include "core/server_object.h"
#include "station/rig_items.h"
#include "station/rigctld_client.h"
#include "station/station_links.h"

#include <QTemporaryDir>

namespace tarvex {
namespace {

using namespace std::chrono_literals;

class RigLinkTest : public ::testing::Test {
protected:
    void SetUp() override { rigctld.start("rigctld", {"-m", "1", "-P", "RIG"}); }
    void tune(const QByteArray& hz) {
        ASSERT_EQ(rigctld.ask("F " + hz + "\n", [](auto& r) { return r.endsWith('\n'); }),
                  "RPRT 0\n");
    }
    Variant item(const char* name) const { return hub->GetItem(name)->Value(); }

    test::Daemon rigctld;
    HubPtr hub = Hub::create();
};

TEST_F(RigLinkTest, ALostRigctldIsRetriedUntilItIsBack) {
    RigctldClient rig("127.0.0.1", rigctld.port, 50ms);
    RigItems items(hub, rig);
    rig.start();
    tune("7100000");
    ASSERT_TRUE(test::waitUntil([&] { return item("rig.freq").toLong() == 7'100'000; }));
    EXPECT_EQ(item("rig.link").toString(), "up");
    rigctld.stop();
    ASSERT_TRUE(test::waitUntil([&] { return item("rig.link").toString().startsWith("lost"); }));
    EXPECT_EQ(item("rig.freq").toLong(), 0);
    rigctld.start("rigctld", {"-m", "1", "-P", "RIG"}); // same port, fresh dummy at 145 MHz
    ASSERT_TRUE(test::waitUntil([&] { return item("rig.freq").toLong() == 145'000'000; }, 8000));
    EXPECT_EQ(item("rig.link").toString(), "up");
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

TEST_F(RigLinkTest, StationLinksFollowTheRadioAndServeEachAmplifierAcrossARestart) {
    QTemporaryDir dir;
    std::vector<MemorySerialLink*> links;
    DriverEnvironment env;
    env.makeLink = [&] {
        auto l = std::make_unique<MemorySerialLink>();
        links.push_back(l.get());
        return l;
    };
    const auto make = [env] { return std::make_shared<FerroDriver>(env); };
    ASSERT_TRUE(ServerObject::writeModuleList(dir.filePath("server.dat"), {make(), make()}, nullptr));
    ServerObject server({make, {}, {}}, dir.filePath("server.dat"));
    server.StartServer();
    StationLinks station(server, RigctldClient::factory());
    StationOptions options;
    options.rigHost = "127.0.0.1";
    options.rigPort = rigctld.port;
    options.pollMs = 50;
    options.ampctldPort = test::Daemon::freePort();
    options.excluded = {2};
    station.apply(options);
    ASSERT_TRUE(station.problems().isEmpty()) << station.problems().join(' ').toStdString();
    for (MemorySerialLink* l : links)
        l->receive("STATE = STANDBY\r\nBAND 3 SEGMENT 1 FREQUENCY 7050\r\n");
    tune("14200000");
    ASSERT_TRUE(test::waitUntil([&] { return links[0]->written().endsWith("BAND 5\r"); }));
    EXPECT_FALSE(links[1]->written().contains("BAND")); // excluded
    const auto powerstat = [](quint16 port) {
        return test::Daemon::askAt(port, "\\get_powerstat\n", [](auto& r) { return r.endsWith('\n'); });
    };
    EXPECT_EQ(powerstat(options.ampctldPort + 1), "2\n");

    server.StopServer();
    server.StartServer(); // new drivers, mains not yet reported on
    EXPECT_EQ(powerstat(options.ampctldPort), "0\n");
    EXPECT_TRUE(station.status().contains("rigctld at 127.0.0.1:" + QString::number(rigctld.port) + ", up"));
    server.StopServer();
}

} // namespace
} // namespace tarvex
