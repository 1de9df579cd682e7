// The pages' feed: what the amplifier reported, coalesced per tick, and pages that fall
// behind.
#include "remote_station.h"

#include "remote/amplifier_feed.h"
#include "remote/memory_feed_sink.h"
#include "core/peak_meter.h"
#include "remote/remote_feed.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace tarvex {
namespace {

QJsonObject parsed(const QString& text) {
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

struct FeedRig {
    explicit FeedRig(int amplifiers = 1) : station(amplifiers) {}
    // A page of a user; its hello taken.
    MemoryFeedSink* page(const QString& user = "ann") {
        auto sink = std::make_unique<MemoryFeedSink>();
        MemoryFeedSink* raw = sink.get();
        feed.addClient(std::move(sink), {user, RemoteUsers::Role::Operate, "token", "127.0.0.1"});
        hello = parsed(raw->take().value(0));
        return raw;
    }

    test::TestClock clock;
    test::RemoteStation station;
    ControlHolder control{clock.fn()};
    RemoteFeed feed{*station.server, control, clock.fn()};
    QJsonObject hello;
};

TEST(RemoteFeed, ShowsWhatTheAmplifierReportedNotWhatWasAsked) {
    FeedRig rig;
    rig.station.say(0, "STATE = STANDBY|BAND 5 SEGMENT 2 FREQUENCY 14175|TUNE = 35 LOAD = 20|"
                       "MODE = HIGH|AUTOTUNE = ENABLED");
    rig.station.hub()->GetItem("0band")->setValue(std::int16_t{3}); // asked, not confirmed
    rig.station.hub()->GetItem("0tune")->setValue(std::int16_t{60});
    rig.page();
    QJsonObject a = rig.hello["amplifiers"].toArray()[0].toObject();
    for (const char* other :
         {"name", "message", "fault", "faultText", "meters", "pending", "alarm"})
        a.remove(other);
    EXPECT_EQ(a, (QJsonObject{{"number", 1}, {"link", "up"}, {"state", "standby"}, {"band", 5},
                              {"bandName", "20 m"}, {"segment", 2}, {"freq", 14175}, {"tune", 35},
                              {"load", 20}, {"high", true}, {"autoTune", true},
                              {"lights", QJsonObject{{"operate", "STBY"}, {"fault", "OK"},
                                                     {"warmup", "READY"}}}}));
    EXPECT_EQ(rig.hello["you"].toObject()["role"], "operate");
    EXPECT_EQ(rig.hello["meters"].toObject()["fwd"].toObject()["red"], 1500);

    rig.station.say(0, "AMPLIFIER = OFF");
    rig.feed.tick();
    rig.station.links[0]->vanish("unplugged");
    rig.feed.tick();
    const QJsonObject gone = rig.feed.amplifier(1)->state();
    EXPECT_EQ(gone["link"], "down");
    EXPECT_EQ(gone["state"], "unknown");
    EXPECT_EQ(gone["band"], QJsonValue::Null) << "the band it reported before it went off";
}

TEST(RemoteFeed, SendsEachPageOneUpdateATickWithOnlyWhatChanged) {
    FeedRig rig(2);
    MemoryFeedSink* page = rig.page();
    rig.station.say(0, "STATE = OPERATE");
    rig.feed.tick();
    page->take();
    for (int w = 10; w <= 500; w += 10)
        rig.station.say(0, QString("FWD = %1").arg(w));
    rig.station.say(0, "FWD = 120|RFL = 3");
    EXPECT_TRUE(page->take().isEmpty()) << "nothing goes out between ticks";
    rig.feed.tick();
    const QStringList sent = page->take();
    ASSERT_EQ(sent.size(), 1);
    const QJsonObject update = parsed(sent[0]);
    EXPECT_EQ(update["type"], "update");
    const QJsonArray amps = update["amplifiers"].toArray();
    ASSERT_EQ(amps.size(), 1) << "the second amplifier did not change";
    const QJsonObject a = amps[0].toObject();
    EXPECT_EQ(QStringList(a.keys()), QStringList({"meters", "number"}));
    EXPECT_EQ(a["meters"].toObject(),
              (QJsonObject{{"fwd", 120}, {"rfl", 3}, {"peak", 500}, {"swr", "1.4"}}));
    rig.feed.tick();
    EXPECT_TRUE(page->take().isEmpty()) << "nothing changed, nothing sent";
}

TEST(RemoteFeed, APageThatFallsBehindGetsTheLatestStateOnceItDrainsOrIsDropped) {
    FeedRig rig;
    MemoryFeedSink* slow = rig.page("ann");
    MemoryFeedSink* stuck = rig.page("bob");
    MemoryFeedSink* flooded = rig.page("cy");
    const auto reading = [&](int w) {
        rig.station.say(0, QString("FWD = %1").arg(w));
        rig.feed.tick();
    };
    reading(100);
    for (MemoryFeedSink* p : {slow, stuck, flooded}) {
        EXPECT_EQ(p->take().size(), 1);
        p->setBacklog(FeedClient::kSoftLimit + 1);
    }
    reading(200);
    reading(300);
    rig.clock.advance(FeedClient::kStuckMs - 1);
    reading(400);
    for (MemoryFeedSink* p : {slow, stuck, flooded})
        EXPECT_TRUE(p->take().isEmpty()) << "updates past the first limit are dropped";

    slow->setBacklog(FeedClient::kDrained);
    flooded->setBacklog(FeedClient::kHardLimit + 1);
    rig.feed.tick();
    const QStringList resync = slow->take();
    ASSERT_EQ(resync.size(), 1);
    const QJsonObject latest = parsed(resync[0]);
    EXPECT_EQ(latest["type"], "snapshot");
    EXPECT_EQ(latest["amplifiers"].toArray()[0].toObject()["meters"].toObject()["fwd"], 400);
    EXPECT_TRUE(flooded->wasAborted()) << "past the second limit";
    EXPECT_FALSE(stuck->isClosed());

    rig.clock.advance(1);
    rig.feed.tick();
    EXPECT_TRUE(stuck->wasAborted()) << "behind for too long";
    EXPECT_FALSE(slow->isClosed());
    EXPECT_EQ(rig.feed.clientCount(), 1);
}

TEST(RemoteFeed, ARestartBringsEveryPageTheNewList) {
    FeedRig rig(2);
    MemoryFeedSink* page = rig.page();
    EXPECT_EQ(rig.hello["amplifiers"].toArray().size(), 2);
    rig.station.server->StopServer();
    EXPECT_EQ(rig.feed.amplifier(1), nullptr);
    rig.station.start();
    rig.feed.tick();
    const QStringList sent = page->take();
    ASSERT_FALSE(sent.isEmpty());
    const QJsonObject last = parsed(sent.last());
    EXPECT_EQ(last["type"], "snapshot");
    EXPECT_EQ(last["amplifiers"].toArray().size(), 2);
    ASSERT_NE(rig.feed.amplifier(2), nullptr);
    EXPECT_EQ(rig.feed.amplifier(2)->amplifier().hub(), rig.station.hub());
}

TEST(FeedClient, HearsTenRequestsASecond) {
    FeedClient client(std::make_unique<MemoryFeedSink>(), {});
    int heard = 0;
    for (int i = 0; i < 30; ++i)
        heard += client.admitCommand(5000);
    EXPECT_EQ(heard, 10);
    EXPECT_FALSE(client.admitCommand(5099));
    EXPECT_TRUE(client.admitCommand(5100));
}

TEST(PeakMeter, HoldsTwoSecondsThenFallsNeverBelowTheLatestReading) {
    PeakMeter peak{1000.0};
    peak.add(800, 0);
    peak.add(200, 100);
    EXPECT_EQ(peak.peak(2000), 800);
    EXPECT_EQ(peak.peak(2500), 300);
    EXPECT_TRUE(peak.falling(2500));
    EXPECT_EQ(peak.peak(5000), 200);
    EXPECT_FALSE(peak.falling(5000));
    peak.add(250, 2100); // below the falling mark: the mark goes on falling from 800
    EXPECT_EQ(peak.peak(2600), 250);
    peak.add(900, 2700);
    EXPECT_EQ(peak.peak(4700), 900);
}

TEST(AmplifierFeed, SwrReadsOneDecimalAndNothingWithoutForwardPower) {
    EXPECT_EQ(AmplifierFeed::swrText(100, 4), "1.5");
    EXPECT_EQ(AmplifierFeed::swrText(10, 0), "1.0");
    EXPECT_EQ(AmplifierFeed::swrText(9, 9), QString::fromUtf8("—"));
    EXPECT_EQ(AmplifierFeed::swrText(100, 100), "10.0");
}

} // namespace
} // namespace tarvex
