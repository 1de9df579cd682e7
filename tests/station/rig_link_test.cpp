// The rig link against Hamlib's own rigctld (dummy rig with PTT), and against one of our own
// making that answers as each test needs.
#include "station_fixture.h"

#include "core/server_object.h"
#include "station/rig_items.h"
#include "station/rig_notice.h"
#include "station/rigctld_client.h"
#include "station/station_links.h"

#include <QTemporaryDir>

#include <map>

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

// A rigctld that answers the nth "t" or "f" as told and counts what it was asked, followed by
// the station links at their quickest poll.
class FakeRigTest : public ::testing::Test {
protected:
    void follow(std::function<QByteArray(char command, int nth)> answer, QByteArray greeting = {}) {
        fake.listen(QHostAddress::LocalHost);
        QObject::connect(&fake, &QTcpServer::newConnection, [this, answer, greeting] {
            QTcpSocket* s = fake.nextPendingConnection();
            s->write(greeting);
            QObject::connect(s, &QTcpSocket::readyRead, s, [this, s, answer] {
                while (s->canReadLine()) {
                    const char c = s->readLine().at(0);
                    s->write(answer(c, asked[c]++));
                }
            });
        });
        server.StartServer();
        links.apply(
            {"127.0.0.1", fake.serverPort(), StationOptions::kMinPollMs, 0, "127.0.0.1", {}});
    }
    qint32 item(const char* name) const { return server.hub()->GetItem(name)->Value().toLong(); }

    QTcpServer fake;
    std::map<char, int> asked;
    QTemporaryDir dir;
    ServerObject server{{[] { return ModulePtr(); }, {}, {}}, dir.filePath("server.dat")};
    StationLinks links{server, RigctldClient::factory()};
};

struct PttCase {
    const char* name;
    const char* answer; // to every "t" after the first, which says receiving
    RigPtt ptt;
};

class RigPttTest : public FakeRigTest, public ::testing::WithParamInterface<PttCase> {};

TEST_P(RigPttTest, AnAnswerThatIsNotAStateLeavesNoReceivingBehind) {
    follow([](char c, int nth) -> QByteArray {
        return c == 'f' ? "7074000\n" : nth == 0 ? "0\n" : GetParam().answer;
    });
    ASSERT_TRUE(
        test::waitUntil([&] { return asked['f'] >= 6 && item("rig.ptt") == int(GetParam().ptt); }));
    const int unreported = GetParam().ptt == RigPtt::NotReported;
    EXPECT_EQ(asked['t'] == 2, unreported) << "a radio that cannot tell is not asked every poll";
    EXPECT_EQ(links.status().count("cannot report transmit"), unreported);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, RigPttTest,
    ::testing::Values(PttCase{"cannot_report", "RPRT -11\n", RigPtt::NotReported},
                      PttCase{"decimal", "1.0\n", RigPtt::Unknown},
                      PttCase{"transmitting_data", "3\n", RigPtt::Transmitting}),
    test::CaseName{});

TEST_F(FakeRigTest, ABandIsPublishedOnlyOnceTwoPollsInARowReadIt) {
    follow([](char c, int nth) -> QByteArray { // 40 m twice, 20 m and 40 m in turn, then 20 m
        return c == 't' ? "0\n" : nth < 2 || (nth < 10 && nth % 2) ? "7100000\n" : "14200000\n";
    });
    QList<qint32> published;
    QObject::connect(server.hub()->GetItem("rig.freq").get(), &Item::ValueChange,
                     [&] { published << item("rig.freq"); });
    ASSERT_TRUE(test::waitUntil([&] { return asked['f'] > 12; })); // the last 20 m read is in

    EXPECT_EQ(published, (QList<qint32>{7'100'000, 14'200'000}));
}

TEST_F(FakeRigTest, AFloodFromRigctldIsDroppedUnreadAndCounted) {
    follow([](char c, int) -> QByteArray { return c == 't' ? "0\n" : "7074000\n"; },
           QByteArray("unasked\n").repeated(1 << 20));
    EXPECT_TRUE(test::waitUntil([&] { return item("rig.freq") == 7'074'000; }));
    EXPECT_GT(item("rig.dropped"), 0);
    EXPECT_GT(item("rig.ignored"), 0);
}

} // namespace
} // namespace tarvex
