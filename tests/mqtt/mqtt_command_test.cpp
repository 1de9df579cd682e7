// Commands over MQTT in process: who may command, and what is never obeyed.
#include "broker.h"

#include "../support/printers.h"
#include "core/amplifier_vocabulary.h"
#include "core/item_info.h"
#include "core/module.h"
#include "core/remote_vocabulary.h"
#include "core/server_object.h"
#include "mqtt/mqtt_link.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

ItemPtr makeItem(const HubPtr& hub, const QString& name, std::int32_t type, const Variant& v) {
    ItemPtr it = hub->AttachItem(name);
    auto info = std::make_shared<ItemInfo>();
    info->Metrics = type;
    it->setInfo(info);
    it->setValue(v);
    return it;
}

// An amplifier standing by, as its driver's items say; it hears its controls through them.
class StandingAmplifier : public Module {
public:
    void Initialize(const HubPtr& hub, std::int16_t i) override {
        const QString n = QString::number(i);
        makeItem(hub, n + "name", ItemInfo::kStr, "Tower");
        makeItem(hub, n + amp::kLink, ItemInfo::kInt, int(amp::Link::Up));
        makeItem(hub, n + amp::kState, ItemInfo::kInt, int(amp::State::Standby));
        makeItem(hub, n + "ac", ItemInfo::kBool, true);
        makeItem(hub, n + "oper", ItemInfo::kBool, false);
    }
    void Terminate() override {}
    void EditProperties() override {}
    QString Description() const override { return "Tower"; }
    void WriteProps(PropertyBag&) override {}
    void ReadProps(PropertyBag&) override {}
    bool isAmplifierDriver() const override { return true; }
};

TEST(MqttCommands, RefusedWhileARemoteUserHoldsControlAndNeverFromARetainedMessage) {
    QTemporaryDir dir;
    const QString file = dir.filePath("server.dat");
    ASSERT_TRUE(
        ServerObject::writeModuleList(file, {std::make_shared<StandingAmplifier>()}, nullptr));
    ServerObject server({[] { return std::make_shared<StandingAmplifier>(); }, {}, {}}, file);
    server.StartServer();
    test::Broker broker;
    ASSERT_TRUE(broker.start());
    MqttOptions options;
    options.host = "127.0.0.1";
    options.port = broker.port();
    options.commands = true;
    MqttLink link(server, options);
    QStringList said;
    QObject::connect(&link, &MqttLink::commandReceived,
                     [&](int, const QString& text) { said << text; });
    // Left on the broker by someone long ago: it reaches every new connection.
    ASSERT_TRUE(broker.publish("tarvex/Tower/set/power", "off", true));
    link.start();
    ASSERT_TRUE(test::waitUntil([&] { return said.size() == 1; }));
    EXPECT_EQ(said[0], "tarvex/Tower/set/power: refused: a retained command is not obeyed");

    const ItemPtr oper = server.hub()->GetItem("0oper");
    const ItemPtr holder = makeItem(server.hub(), remote::kControlItem, ItemInfo::kStr, "ann");
    ASSERT_TRUE(broker.publish("tarvex/Tower/set/oper", "operate"));
    ASSERT_TRUE(test::waitUntil([&] { return said.size() == 2; }));
    EXPECT_EQ(said[1], "operate on amplifier 1: refused: remote user ann holds control");
    EXPECT_EQ(oper->Value().toBoolean(), false);

    holder->setValue("");
    ASSERT_TRUE(broker.publish("tarvex/Tower/set/oper", "1"));
    ASSERT_TRUE(test::waitUntil([&] { return said.size() == 3; }));
    EXPECT_EQ(said[2], "operate on amplifier 1: asked");
    EXPECT_EQ(oper->Value().toBoolean(), true);
}

} // namespace
} // namespace tarvex
