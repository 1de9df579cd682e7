#include "core/property_bag.h"
#include "driver/ferro_driver.h"
#include "driver/memory_serial_link.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace tarvex {
namespace {

const QStringList kStartup{"AC",      "STAT",    "GPIO OFF", "EXT ON",  "RM ON",   "DM B79D",
                           "DM B799", "DM B79B", "DM B791",  "DM B7A1", "AUTOTUNE"};

class FerroDriverTest : public ::testing::Test {
protected:
    // Starts a driver at the index on a fresh in-memory link and forgets the start-up output.
    FerroDriver& start(std::int16_t port = 1, std::int16_t index = 0,
                       const std::function<void(MemorySerialLink&)>& prepare = {}) {
        DriverEnvironment env;
        env.makeLink = [this, prepare] {
            auto l = std::make_unique<MemorySerialLink>();
            links.push_back(l.get());
            if (prepare)
                prepare(*l);
            return l;
        };
        drivers.push_back(std::make_unique<FerroDriver>(env));
        FerroDriver& d = *drivers.back();
        d.setAmpPort(port);
        d.setDeviceName(QStringLiteral("Amp%1").arg(index));
        d.Initialize(hub, index);
        return d;
    }
    MemorySerialLink& link() { return *links.back(); }

    // Command lines written since the last call, without their carriage returns.
    QStringList sent() {
        QString w = link().written();
        link().clearWritten();
        if (w.isEmpty())
            return {};
        EXPECT_TRUE(w.endsWith('\r')) << w.toStdString();
        w.chop(1);
        return w.split('\r');
    }
    void rx(const QString& text) { link().receive(text); }
    void line(const QString& text) { rx(text + "\r\n"); }
    Variant value(const QString& name) {
        auto it = hub->GetItem(name);
        EXPECT_NE(it, nullptr) << name.toStdString();
        return it ? it->Value() : Variant();
    }
    void set(const QString& name, const Variant& v) { hub->GetItem(name)->setValue(v); }

    HubPtr hub = Hub::create();
    std::vector<MemorySerialLink*> links;
    std::vector<std::unique_ptr<FerroDriver>> drivers;
};

TEST_F(FerroDriverTest, SettingsDescriptionAndPropertyBag) {
    DriverEnvironment env;
    FerroDriver fresh(env);
    EXPECT_EQ(fresh.Description(), "Ferro (Unnamed) on Com 1 @ 4800,n,8,1");
    EXPECT_EQ(fresh.GetName(), "Unnamed");

    PropertyBag emptyOut;
    fresh.WriteProps(emptyOut);
    EXPECT_EQ(emptyOut.count(), 0); // every setting at its default

    FerroDriver custom(env);
    custom.setAmpPort(0);
    custom.setAmpType(2);
    custom.setAmpSettings("9600,N,8,1");
    custom.setDeviceName("Shack");
    EXPECT_EQ(custom.Description(), "Ferro (Shack) on Com 0 @ 9600,N,8,1");
    PropertyBag bag;
    custom.WriteProps(bag);
    PropertyBag restored;
    ASSERT_TRUE(restored.setContents(bag.Contents()));
    FerroDriver copy(env);
    copy.ReadProps(restored);
    EXPECT_EQ(copy.Description(), custom.Description());
    EXPECT_EQ(copy.ampType(), 2);

    PropertyBag none;
    copy.ReadProps(none);
    EXPECT_EQ(copy.Description(), fresh.Description());

    FerroDriver neverStarted(env);
    neverStarted.Terminate(); // harmless on an instance that was never initialized
    EXPECT_EQ(neverStarted.link(), nullptr);
}

TEST_F(FerroDriverTest, StartPublishesItemsThenSendsTheStartupList) {
    start(3, 0);
    EXPECT_TRUE(link().portOpen());
    EXPECT_EQ(link().commPort(), 3);
    EXPECT_EQ(sent(), kStartup);

    EXPECT_EQ(hub->GetItemCollection().size(), 27u);
    EXPECT_EQ(value("0ac").type(), Variant::Type::Boolean);
    EXPECT_EQ(value("0ac").toBoolean(), false);
    EXPECT_EQ(value("0band").type(), Variant::Type::Integer);
    EXPECT_EQ(value("0band").toInteger(), 0);
    EXPECT_EQ(value("0message").toString(), "");
    EXPECT_EQ(value("0ver").type(), Variant::Type::String);
    EXPECT_EQ(value("0name").toString(), "Amp0");
    EXPECT_EQ(value("0TraceMode").type(), Variant::Type::Byte);
    const auto tm = hub->GetItem("0tracemode")->Info();
    EXPECT_EQ(tm->Metrics, 1039);
    EXPECT_EQ(tm->High, 3);
    EXPECT_EQ(tm->Security, 3);
    EXPECT_EQ(tm->Extended, "Disabled,To Unit,From Unit,Both");
    EXPECT_EQ(hub->GetItem("0band")->Info()->Low, 1);
    EXPECT_EQ(hub->GetItem("0ip")->Info()->High, 10000);
    EXPECT_EQ(hub->GetItem("0oper")->Info()->Metrics, 521);

    start(4, 1);
    EXPECT_EQ(hub->GetItemCollection().size(), 54u);
    for (std::size_t i = 0; i < 27; ++i) {
        const QString first = hub->GetItemCollection()[i]->Name();
        const QString second = hub->GetItemCollection()[27 + i]->Name();
        EXPECT_TRUE(first.startsWith('0') && second.startsWith('1'));
        EXPECT_EQ(first.mid(1), second.mid(1));
    }
    EXPECT_NE(links[0], links[1]);
}

TEST_F(FerroDriverTest, PortZeroOpensNothingWritesNothingButTraces) {
    FerroDriver& d = start(0);
    EXPECT_FALSE(link().portOpen());
    EXPECT_TRUE(link().written().isEmpty());
    EXPECT_EQ(value("0message").toString(), ""); // nothing to tell: no port was asked for
    EXPECT_EQ(d.Description(), "Ferro (Amp0) on Com 0 @ 4800,n,8,1");
    set("0TraceMode", 1);
    set("0ac", true);
    EXPECT_EQ(value("0TraceToUnit").toString(), "AC ON");
    EXPECT_TRUE(link().written().isEmpty());
}

TEST_F(FerroDriverTest, FramingAcrossReceiveEvents) {
    start();
    sent();
    rx("STATE = STAN");
    EXPECT_EQ(value("0ac").toBoolean(), false);
    rx("DBY\r\n");
    EXPECT_EQ(value("0ac").toBoolean(), true);
    EXPECT_EQ(value("0message").toString(), "Amp on and standing by");

    rx("\r\n\r\n\r\nBAND = 4\r");
    EXPECT_EQ(value("0band").toInteger(), 0);
    rx("\nSEGMENT = 2\r\nTUNE = 7\r\nLOA");
    EXPECT_EQ(value("0band").toInteger(), 4);
    EXPECT_EQ(value("0segment").toInteger(), 2);
    EXPECT_EQ(value("0tune").toInteger(), 7);
    rx("D = 9\r\n");
    EXPECT_EQ(value("0load").toInteger(), 9);

    // A lone CR or LF is line content, so the value is not the text OPERATE.
    rx("STATE = OPERATE\r\r\n");
    EXPECT_EQ(value("0oper").toBoolean(), false);
    EXPECT_TRUE(sent().isEmpty()); // reports are never echoed
}

struct ReportCase {
    QStringList lines;
    std::vector<std::pair<QString, QString>> expect; // base name -> value as text
};

class FerroReports : public FerroDriverTest, public ::testing::WithParamInterface<ReportCase> {};

TEST_P(FerroReports, LinesSetItemsAndSendNothing) {
    start();
    sent();
    for (const QString& l : GetParam().lines)
        line(l);
    for (const auto& [name, text] : GetParam().expect)
        EXPECT_EQ(value("0" + name).toString(), text) << name.toStdString();
    EXPECT_TRUE(sent().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FerroReports,
    ::testing::Values(
        ReportCase{{"FAULT = 12"}, {{"fault", "12"}, {"message", "12: High input refl power"}}},
        ReportCase{{"12 FAULT"}, {{"fault", "12"}, {"message", " 12: High input refl power"}}},
        ReportCase{{"FAULT = 0"}, {{"fault", "0"}, {"message", "0: Unknown or unlisted fault"}}},
        ReportCase{{"FAULT = 12", "STATE = OPERATE"},
                   {{"fault", "0"},
                    {"message", "Amp on and operating"},
                    {"oper", "True"},
                    {"ac", "True"},
                    {"warmup", "False"}}},
        ReportCase{{"FAULT = 12", "STATE = STANDBY"},
                   {{"fault", "12"}, {"message", "12: High input refl power"}, {"ac", "True"}}},
        ReportCase{{"STATE = WARMUP"}, {{"warmup", "True"}, {"ac", "True"}, {"message", ""}}},
        ReportCase{{"STATE = OPERATE", "MODE = HIGH", "BAND = 5", "SEGMENT = 3", "FAULT = 12",
                    "AMPLIFIER = OFF"},
                   {{"ac", "False"},
                    {"oper", "False"},
                    {"warmup", "False"},
                    {"hv", "False"},
                    {"fault", "0"},
                    {"band", "0"},
                    {"segment", "0"},
                    {"message", "Amp AC power is off"}}},
        ReportCase{{"AMPLIFIER IS OFF"}, {{"message", "Amp AC power is off"}}},
        ReportCase{{"AMPLIFIER = ON"}, {{"ac", "True"}}}, ReportCase{{"BAND = 3"}, {{"band", "3"}}},
        ReportCase{{"BAND = 3", "BAND = 40000"}, {{"band", "0"}}},
        ReportCase{{"TUNE = 12.5"}, {{"tune", "12"}}},
        ReportCase{{"TUNE = 13.5"}, {{"tune", "14"}}}, ReportCase{{"IP = 0.4567"}, {{"ip", "456"}}},
        ReportCase{{"IP = 1.25"}, {{"ip", "1250"}}}, ReportCase{{"MODE = high"}, {{"hv", "True"}}},
        ReportCase{{"MODE = HIGH", "MODE = LOW"}, {{"hv", "False"}}},
        ReportCase{{"AUTOTUNE = ENABLED"}, {{"trim", "True"}, {"message", "AutoTune Enabled"}}},
        ReportCase{{"AUTOTUNE = ENABLED", "AUTOTUNE = OFF"},
                   {{"trim", "False"}, {"message", "AutoTune Disabled"}}},
        ReportCase{{"FREQUENCY 14200"}, {{"freq", "14200"}}},
        ReportCase{{"IG = 250", "FWD = 1500", "RFL = 40", "INP = 55"},
                   {{"ig", "250"}, {"pfwd", "1500"}, {"prfl", "40"}, {"pinp", "55"}}},
        ReportCase{{"X = 5"}, {{"message", ""}}},
        ReportCase{{"state = OPERATE", "UNKNOWN = 3"}, {{"oper", "False"}, {"message", ""}}},
        ReportCase{{"STATE = OPERATE MODE = HIGH"}, {{"oper", "True"}, {"hv", "True"}}},
        ReportCase{{"BAND = 2 SEGMENT = 4 TUNE = 50"},
                   {{"band", "2"}, {"segment", "4"}, {"tune", "50"}}}));

TEST_F(FerroDriverTest, OutOfRangeNumbersNeverStopTheDriverNorLeaveReportMode) {
    start();
    line("BAND = 4");
    for (const char* bad : {"FAULT = 40000", "99999 FAULT", "FWD = -40000", "IP = 40",
                            "TUNE = 9e999", "BAND = -9e999", "RM", "RM 9~~~~", "B79D = FFFFF"})
        line(bad);
    EXPECT_EQ(value("0band").toInteger(), 4);
    EXPECT_EQ(value("0fault").toInteger(), 0);
    sent();
    // Report mode is over: a user's change is sent.
    set("0band", 6);
    EXPECT_EQ(sent(), QStringList{"BAND 6"});
}

TEST_F(FerroDriverTest, EndlessTextWithoutLineEndStaysBounded) {
    FerroDriver& d = start();
    sent();
    const QString junk(100000, 'x');
    for (int i = 0; i < 100; ++i) { // 10 million characters
        rx(junk);
        ASSERT_LE(d.pendingInput(), 32767);
    }
    // Every byte value, NUL and CR LF pieces included, is just text to the framer.
    QString binary;
    for (int b = 0; b < 256; ++b)
        binary += QChar(b);
    rx(binary + binary);
    line("");
    line("BAND = 5");
    EXPECT_EQ(value("0band").toInteger(), 5);
    // A CR at the cut is kept: it may begin the next line end.
    rx(QString(40000, 'y') + "\r");
    rx("\nBAND = 6\r\n");
    EXPECT_EQ(value("0band").toInteger(), 6);
}

TEST_F(FerroDriverTest, MeteringUsesTheCalibrationReplies) {
    FerroDriver& d = start();
    line("RM 99999");
    EXPECT_EQ(value("0pfwd").toInteger(), 0); // no calibration yet

    line("B79D = 00A0");
    EXPECT_EQ(d.calibration(FerroDriver::kCalFwd), 160);
    line("RM 50000");
    EXPECT_EQ(value("0pfwd").toInteger(), 16); // 25 * 160 / 256 = 15.625
    for (const char* n : {"0prfl", "0pinp", "0ig", "0ip"})
        EXPECT_EQ(value(n).toInteger(), 0) << n;

    for (const char* l : {"B79D = 0100", "B799 = 0100", "B79B = 0100", "B791 = 0100"})
        line(l);
    line("RM 99999");
    EXPECT_EQ(value("0pfwd").toInteger(), 81);
    EXPECT_EQ(value("0prfl").toInteger(), 81);
    EXPECT_EQ(value("0pinp").toInteger(), 81);
    EXPECT_EQ(value("0ig").toInteger(), 9);
    EXPECT_EQ(value("0ip").toInteger(), 180);

    line("B7A1 = FFFF");
    EXPECT_EQ(d.calibration(FerroDriver::kCalSpare), -1);
    line("B79D = 00A0 B799 = 0200"); // only the first location is stored
    EXPECT_EQ(d.calibration(FerroDriver::kCalFwd), 160);
    EXPECT_EQ(d.calibration(FerroDriver::kCalRfl), 256);
    line("B7FF = 0001");
    EXPECT_EQ(d.calibration(FerroDriver::kCalFwd), 160);
}

TEST_F(FerroDriverTest, PowerOnNoticeIsAnsweredByTheCommandHandlers) {
    start();
    line("STATE = OPERATE");
    line("AMPLIFIER = ON");
    sent();
    line("POWER ON SEQUENCE");
    EXPECT_EQ(sent(), QStringList{"OPER OFF"}); // ac was already true: only oper changed
    EXPECT_EQ(value("0warmup").toBoolean(), true);
    EXPECT_EQ(value("0message").toString(), "3 Minute Warm-Up");

    line("AMPLIFIER = OFF");
    sent();
    line("POWER ON SEQUENCE");
    EXPECT_EQ(sent(), QStringList{"AC ON"});
}

TEST_F(FerroDriverTest, UserChangesBecomeCommands) {
    start();
    sent();
    set("0band", 3);
    set("0band", 3); // unchanged: nothing
    set("0band", -1);
    set("0segment", 2);
    set("0freq", 14200);
    set("0tune", 55);
    set("0load", 0); // already 0: nothing
    set("0load", 30);
    set("0hv", true);
    set("0hv", false);
    set("0trim", 1);
    set("0ac", "True");
    EXPECT_EQ(sent(), (QStringList{"BAND 3", "BAND-1", "SEG 2", "FREQ 14200", "TUNE 55", "LOAD 30",
                                   "MODE HIGH", "MODE LOW", "AUTOTUNE ON", "AC ON"}));

    set("0oper", true);
    EXPECT_EQ(sent(), QStringList{"OPER ON"});
    line("FAULT = 12");
    set("0oper", false);
    set("0oper", true);
    EXPECT_EQ(sent(), (QStringList{"OPER OFF", "OPER OFF", "OPER ON"}));

    set("0def", true);
    EXPECT_EQ(sent(), QStringList{"DEF"});
    EXPECT_EQ(value("0def").toBoolean(), false);
    set("0ent", -1);
    EXPECT_EQ(sent(), QStringList{"ENT"});
    EXPECT_EQ(value("0ent").toBoolean(), false);
}

TEST_F(FerroDriverTest, TraceAndDebugItems) {
    start();
    sent();
    set("0TraceMode", 1);
    set("0ac", true);
    EXPECT_EQ(value("0TraceToUnit").toString(), "AC ON");
    int traced = 0;
    QObject::connect(hub->GetItem("0TraceToUnit").get(), &Item::ValueChange, [&] { ++traced; });
    set("0DebugToUnit", "AC ON"); // same command again: the trace item does not change
    EXPECT_EQ(traced, 0);
    EXPECT_EQ(sent(), (QStringList{"AC ON", "AC ON"}));

    set("0TraceMode", 2);
    set("0DebugToUnit", "STAT");
    set("0DebugToUnit", "STAT"); // unchanged: nothing written
    EXPECT_EQ(sent(), QStringList{"STAT"});
    EXPECT_EQ(value("0TraceToUnit").toString(), "AC ON");
    line("BAND = 7");
    EXPECT_EQ(value("0TraceFromUnit").toString(), "BAND = 7");

    set("0TraceMode", 0);
    line("BAND = 8");
    EXPECT_EQ(value("0TraceFromUnit").toString(), "BAND = 7");

    set("0DebugFromUnit", "STATE = WARMUP");
    EXPECT_EQ(value("0warmup").toBoolean(), true);
    set("0DebugFromUnit", "B79D = 0100");
    line("RM 20000");
    EXPECT_EQ(value("0pfwd").toInteger(), 4);
    EXPECT_TRUE(sent().isEmpty());
}

TEST_F(FerroDriverTest, PortThatCannotOpenIsExplainedAndNeverStopsTheProgram) {
    start(2, 0, [](MemorySerialLink& l) { l.failOpen("/dev/ttyS1: Permission denied"); });
    EXPECT_FALSE(link().portOpen());
    EXPECT_EQ(value("0message").toString(), "/dev/ttyS1: Permission denied");
    EXPECT_EQ(hub->GetItemCollection().size(), 27u);
    EXPECT_TRUE(link().written().isEmpty());
    set("0TraceMode", 1);
    set("0ac", true); // the write fails quietly; the click is not lost by a crash
    EXPECT_EQ(value("0TraceToUnit").toString(), "AC ON");
}

TEST_F(FerroDriverTest, VanishingPortIsReportedAndTerminateReleases) {
    FerroDriver& d = start();
    link().vanish("/dev/ttyUSB0: device removed");
    EXPECT_EQ(value("0message").toString(), "/dev/ttyUSB0: device removed");
    set("0ac", true); // writing to a vanished port must not throw out of the handler
    line("BAND = 3");

    auto band = hub->GetItem("0band");
    d.Terminate();
    EXPECT_EQ(d.link(), nullptr);
    EXPECT_EQ(hub->GetItemCollection().size(), 27u); // items stay in the hub
    band->setValue(std::int16_t{2});                 // no longer listened to
    EXPECT_EQ(band->Value().toInteger(), 2);
    d.Terminate();
}

} // namespace
} // namespace tarvex
