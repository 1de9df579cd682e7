// The rules that shape topics and meter messages, as plain functions.
#include "../support/printers.h"
#include "../support/wait_until.h"
#include "core/item_info.h"
#include "mqtt/amplifier_topics.h"
#include "mqtt/meter_window.h"
#include "mqtt/mqtt_client.h"
#include "mqtt/mqtt_options.h"
#include "mqtt/topic_names.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

namespace tarvex {
namespace {

struct LevelCase {
    const char* name;
    QStringList amplifierNames;
    QStringList levels;
};

class TopicLevels : public testing::TestWithParam<LevelCase> {};

TEST_P(TopicLevels, AreSafeAndDistinct) {
    EXPECT_EQ(TopicNames::levels(GetParam().amplifierNames), GetParam().levels);
}

INSTANTIATE_TEST_SUITE_P(
    Names, TopicLevels,
    testing::Values(
        LevelCase{"WildcardsAndSeparators", {"A+B/C#1"}, {"A_B_C_1"}},
        LevelCase{"SpacesInside", {" Shack 2 "}, {"Shack_2"}},
        LevelCase{"BrokerTopicsMarkerDropped", {"$SYS"}, {"SYS"}},
        LevelCase{"EmptyCountedFromOne", {"Tower", "", "  "}, {"Tower", "amp2", "amp3"}},
        LevelCase{
            "DuplicateGetsItsNumber", {"Tower", "tower", "Tower"}, {"Tower", "tower_2", "Tower_3"}},
        LevelCase{"FallbackTakenByName", {"amp2", ""}, {"amp2", "amp2_2"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MeterWindow, PeakAndMeanWeightedByHowLongEachReadingStood) {
    MeterWindow w;
    w.restart(100, 1000);
    w.add(700, 1100); // 100 stood 100 ms
    w.add(400, 1200); // 700 stood 100 ms
    EXPECT_EQ(w.peak(), 700);
    EXPECT_DOUBLE_EQ(w.mean(1500), (100.0 * 100 + 700.0 * 100 + 400.0 * 300) / 500);
    w.restart(w.current(), 1500);
    EXPECT_EQ(w.peak(), 400);
    EXPECT_DOUBLE_EQ(w.mean(1500), 400);
}

// Meters that move and then stand still: the last message must say where they came to rest, or
// a dashboard shows the swing for as long as the amplifier holds steady.
TEST(AmplifierTopics, MetersThatComeToRestAreSentOnceMoreAsTheyStand) {
    const HubPtr hub = Hub::create();
    for (const char* meter : AmplifierTopics::kMeters) {
        ItemPtr it = hub->AttachItem(QStringLiteral("0") + QLatin1String(meter));
        auto info = std::make_shared<ItemInfo>();
        info->Metrics = ItemInfo::kInt;
        it->setInfo(info);
        it->setValue(0);
    }
    QList<QJsonObject> grid; // "ig" of each meters message
    AmplifierTopics topics(hub, 0, QStringLiteral("Tower"), QStringLiteral("Tower"),
                           [&](const QString& topic, const QByteArray& payload, bool) {
                               if (topic == QLatin1String("meters"))
                                   grid << QJsonDocument::fromJson(payload)["ig"].toObject();
                           });
    const ItemPtr ig = hub->GetItem(QStringLiteral("0ig"));
    ig->setValue(10);
    ASSERT_TRUE(test::waitUntil([&] { return !grid.isEmpty(); }));
    ig->setValue(48);
    ig->setValue(30);
    ASSERT_TRUE(test::waitUntil([&] { return grid.size() >= 3; }, 3000));
    EXPECT_EQ(grid[1]["peak"].toInt(), 48);
    EXPECT_EQ(grid[2]["peak"].toInt(), 30);
    EXPECT_EQ(grid[2]["mean"].toInt(), 30);
}

// Each URL as the options give it back, or nothing when it is refused.
struct UrlCase {
    const char* name;
    const char* given;
    const char* read;
};

class BrokerUrl : public testing::TestWithParam<UrlCase> {};

TEST_P(BrokerUrl, ReadsHostPortAndTls) {
    MqttOptions o;
    EXPECT_EQ(o.setUrl(GetParam().given, nullptr) ? o.url() : QString(), GetParam().read);
}

INSTANTIATE_TEST_SUITE_P(
    Urls, BrokerUrl,
    testing::Values(UrlCase{"PlainDefaultPort", "mqtt://10.0.0.2", "mqtt://10.0.0.2:1883"},
                    UrlCase{"TlsDefaultPort", "MQTTS://broker.lan", "mqtts://broker.lan:8883"},
                    UrlCase{"Ipv6", "mqtt://[::1]:1999", "mqtt://[::1]:1999"},
                    UrlCase{"OtherScheme", "http://broker.lan", ""},
                    UrlCase{"CredentialsInUrl", "mqtt://u:p@broker.lan", ""},
                    UrlCase{"TopicInUrl", "mqtt://broker.lan/tarvex", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MqttRetry, DoublesFromOneSecondToThirty) {
    QList<int> waits{MqttClient::kFirstRetryMs};
    while (waits.size() < 7)
        waits << MqttClient::nextRetryMs(waits.last());
    EXPECT_EQ(waits, QList<int>({1000, 2000, 4000, 8000, 16000, 30000, 30000}));
}

TEST(MqttPrefix, RefusesWhatCannotBeginATopic) {
    EXPECT_EQ(MqttOptions::checkedPrefix(" shack/amps "), "shack/amps");
    for (const char* bad : {"", "a/+", "#", "$SYS", "/a", "a/", "a//b"})
        EXPECT_TRUE(MqttOptions::checkedPrefix(bad).isEmpty()) << bad;
}

} // namespace
} // namespace tarvex
