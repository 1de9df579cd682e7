#include "../support/printers.h"
#include "../support/wait_until.h"
#include "core/property_bag.h"
#include "driver/ferro_driver.h"
#include "driver/memory_serial_link.h"

#include <gtest/gtest.h>

namespace tarvex {
namespace {

using namespace std::chrono_literals;
using test::waitUntil;

const QString kStartupList = "AC,STAT,GPIO OFF,EXT ON,RM ON,DM B79D,DM B799,DM B79B,DM B791,"
                             "DM B7A1,AUTOTUNE";

class FerroDriverTest : public ::testing::Test {
protected:
    // Starts a driver on a fresh in-memory link; prepare may make the link fail.
    FerroDriver& start(std::int16_t port = 1, std::int16_t index = 0,
                       const std::function<void(MemorySerialLink&)>& prepare = {}) {
        DriverEnvironment env;
        env.timings = timings;
        env.makeLink = [this, prepare] {
            auto l = std::make_unique<MemorySerialLink>();
            links.push_back(l.get());
            if (prepare)
                prepare(*l);
            return l;
        };
        drivers.push_back(std::make_unique<FerroDriver>(env));
        drivers.back()->setAmpPort(port);
        drivers.back()->setDeviceName(QStringLiteral("Amp%1").arg(index));
        drivers.back()->Initialize(hub, index);
        return *drivers.back();
    }
    MemorySerialLink& link() { return *links.back(); }
    // Command lines written since the last call, each CR shown as a comma.
    QString sent() {
        QString w = link().written();
        link().clearWritten();
        w.chop(1);
        return w.replace('\r', ',');
    }
    void rx(const QString& text) { link().receive(text); }
    void line(const QString& text) { rx(text + "\r\n"); }
    QString text(const QString& name) { return hub->GetItem(name)->Value().toString(); }
    void set(const QString& name, const Variant& v) { hub->GetItem(name)->setValue(v); }

    void idle(int ms) { waitUntil([] { return false; }, ms); }

    DriverTimings timings;
    HubPtr hub = Hub::create();
    std::vector<MemorySerialLink*> links;
    std::vector<std::unique_ptr<FerroDriver>> drivers;
};

TEST(FerroDriverSettings, RoundTripThroughThePropertyBag) {
    FerroDriver custom{DriverEnvironment{}}, copy{DriverEnvironment{}};
    PropertyBag bag, restored;
    custom.WriteProps(bag);
    EXPECT_EQ(bag.count(), 0); // every setting at its default
    EXPECT_EQ(custom.Description(), "Ferro (Unnamed) on Com 1 @ 4800,n,8,1");
    custom.setAmpPort(0);
    custom.setAmpType(2);
    custom.setAmpSettings("9600,N,8,1");
    custom.setDeviceName("Shack");
    EXPECT_EQ(custom.Description(), "Ferro (Shack) on Com 0 @ 9600,N,8,1");
    custom.WriteProps(bag);
    ASSERT_TRUE(restored.setContents(bag.Contents()));
    copy.ReadProps(restored);
    EXPECT_EQ(copy.Description(), custom.Description());
    EXPECT_EQ(copy.ampType(), 2);
}

TEST_F(FerroDriverTest, StartPublishesItemsThenSendsTheStartupList) {
    start(3, 0);
    EXPECT_EQ(link().commPort(), 3);
    EXPECT_EQ(sent(), kStartupList);
    EXPECT_EQ(text("0name"), "Amp0");
    EXPECT_EQ(hub->GetItem("0tracemode")->Info()->Extended, "Disabled,To Unit,From Unit,Both");
    start(4, 1);
    // 22 panel items, 5 trace and debug items, 10 the driver alone sets.
    ASSERT_EQ(hub->GetItemCollection().size(), 74u);
    for (std::size_t i = 0; i < 37; ++i)
        EXPECT_EQ("1" + hub->GetItemCollection()[i]->Name().mid(1),
                  hub->GetItemCollection()[37 + i]->Name());
}

// The link item says whether anything the items hold can be believed: down without a port,
// silent until the amplifier answers, up once it has, down again (state unknown) when lost.
TEST_F(FerroDriverTest, TheLinkItemFollowsThePortAndTheAmplifiersAnswers) {
    start(0);
    start(2, 1, [](MemorySerialLink& l) { l.failOpen("/dev/ttyS1: Permission denied"); });
    start(1, 2);
    EXPECT_EQ(text("0link") + text("1link") + text("2link"), "002");
    set("2DebugFromUnit", "STATE = OPERATE"); // typed by hand: not an answer
    EXPECT_EQ(text("2link") + text("2state"), "24");
    line("AMPLIFIER IS OFF");
    EXPECT_EQ(text("2link") + text("2state"), "11");
    line("AMPLIFIER IS ON"); // on, but in which state it has yet to say
    EXPECT_EQ(text("2state"), "0");
    line("STATE = STANDBY");
    QString seen;
    QObject::connect(hub->GetItem("2link").get(), &Item::ValueChange,
                     [&] { seen = text("2message") + "|" + text("2state"); });
    link().vanish("/dev/ttyUSB0: device removed");
    EXPECT_EQ(seen, "/dev/ttyUSB0: device removed; retrying|0");
    EXPECT_EQ(text("2link"), "0");
}

// Only the amplifier's own reports move the items the record and station software read; a
// band asked for and not reported in time is said on the message line, whoever asked.
TEST_F(FerroDriverTest, WhatWasAskedIsNotTakenForWhatTheAmplifierDid) {
    timings.confirmWithin = 50ms;
    start();
    set("0oper", true);
    set("0band", 5);
    EXPECT_EQ(text("0state") + text("0reportedband"), "00");
    ASSERT_TRUE(waitUntil(
        [&] { return text("0message") == "The amplifier did not confirm the change to 20 m"; }));
    set("0message", "");
    set("0band", 3);
    set("0tune", 40);
    set("0hv", true);
    line("BAND 3 SEGMENT 1 FREQUENCY 7050");
    line("TUNE = 35 LOAD = 20");
    idle(100);
    EXPECT_EQ(text("0reportedband") + text("0reportedfreq") + text("0message"), "37050");
    line("AUTOTUNE IS ENABLED");
    EXPECT_EQ(text("0reportedsegment") + text("0reportedtune") + text("0reportedload") +
                  text("0reportedhv") + text("0reportedtrim"),
              "13520FalseTrue");
    line("12 FAULT");
    line("STATE = STANDBY");
    EXPECT_EQ(text("0faulttext") + text("0state"), "High input refl power3");
    line("STATE = OPERATE");
    EXPECT_EQ(text("0faulttext") + text("0state") + text("0fault"), "40");
    line("MODE = HIGH");
    line("AMPLIFIER = OFF");
    EXPECT_EQ(text("0state") + text("0reportedband") + text("0reportedsegment") +
                  text("0reportedhv"),
              "100False");
}

TEST_F(FerroDriverTest, FramingAcrossReceiveEventsAndBoundedBuffer) {
    FerroDriver& d = start();
    rx("STATE = STAN");
    rx("DBY\r\n\r\n\r\nBAND = 4\r");
    EXPECT_EQ(text("0message") + text("0band"), "Amp on and standing by0");
    rx("\nSEGMENT = 2\r\n");
    EXPECT_EQ(text("0band") + text("0segment"), "42");
    line("STATE = OPERATE\r"); // a lone CR is line content: not the text OPERATE
    EXPECT_EQ(text("0oper"), "False");

    for (int i = 0; i < 10; ++i)
        rx(QString(100000, 'x'));
    EXPECT_LE(d.pendingInput(), 32767);
    rx(QString(40000, 'y') + "\r"); // a CR at the cut is kept: it may begin the next line end
    rx("\nBAND = 6\r\n");
    EXPECT_EQ(text("0band"), "6");
}

struct ReportCase {
    const char* name;
    const char* lines;  // separated by "|"
    const char* expect; // "item=value|..." by base name, the value as text; "sent=" commands
};

class FerroReports : public FerroDriverTest, public ::testing::WithParamInterface<ReportCase> {};
using R = ReportCase;

// Every rule that turns lines into items. Reports are never echoed: only the power-on notice
// is answered, by the command handlers.
TEST_P(FerroReports, LinesSetItems) {
    start();
    sent();
    for (const QString& l : QString(GetParam().lines).split('|'))
        line(l);
    const QString commands = sent();
    const QString expect = GetParam().expect;
    for (const QString& e : (expect.contains("sent=") ? expect : expect + "|sent=").split('|')) {
        const QString item = e.section('=', 0, 0);
        EXPECT_EQ(item == "sent" ? commands : text("0" + item), e.section('=', 1))
            << e.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FerroReports,
    ::testing::Values(
        R{"fault_code_first", "12 FAULT", "fault=12|message= 12: High input refl power"},
        R{"operate_clears_fault", "FAULT = 12|STATE = OPERATE",
          "fault=0|message=Amp on and operating|oper=True|ac=True|warmup=False"},
        R{"standby_keeps_fault_message", "FAULT = 12|STATE = STANDBY",
          "fault=12|message=12: High input refl power|ac=True|oper=False"},
        R{"warmup", "STATE = WARMUP", "warmup=True|ac=True|oper=False|message="},
        R{"mains_off_empties_state",
          "STATE = OPERATE|MODE = HIGH|BAND = 5|SEGMENT = 3|AMPLIFIER IS OFF",
          "ac=False|oper=False|hv=False|band=0|segment=0|message=Amp AC power is off"},
        R{"mains_on", "AMPLIFIER = ON", "ac=True"},
        R{"power_on_while_operating", "STATE = OPERATE|POWER ON SEQUENCE",
          "sent=OPER OFF|warmup=True|oper=False|message=3 Minute Warm-Up"},
        R{"power_on_with_mains_off", "AMPLIFIER = OFF|POWER ON SEQUENCE", "sent=AC ON|ac=True"},
        R{"number_from_32767_is_zero", "BAND = 3|BAND = 32767", "band=0"},
        R{"halves_round_to_even", "TUNE = 12.5|LOAD = 13.5", "tune=12|load=14"},
        R{"plate_current_floors_milliamps", "IP = 0.4567", "ip=456"},
        R{"plate_current_exact_thousandths", "IP = 1.001", "ip=1001"},
        R{"mode_only_LOW_is_low", "MODE = high|MODE = LOW", "hv=False"},
        R{"mode_anything_else_is_high", "MODE = high", "hv=True"},
        R{"autotune", "AUTOTUNE = ENABLED|AUTOTUNE = OFF", "trim=False|message=AutoTune Disabled"},
        R{"single_space_separator", "FREQUENCY 14200", "freq=14200"},
        R{"readings", "IG = 250|FWD = 1500|RFL = 40|INP = 55", "ig=250|pfwd=1500|prfl=40|pinp=55"},
        R{"separator_at_two_ignores_line", "X = 1 BAND = 3", "band=0"},
        R{"unknown_and_lower_case_ignored", "state = OPERATE|UNKNOWN = 3", "oper=False|message="},
        R{"several_reports_per_line", "STATE = OPERATE MODE = HIGH|BAND = 2 SEGMENT = 4 TUNE = 50",
          "oper=True|hv=True|band=2|segment=4|tune=50"},
        R{"number_ends_at_a_CR", "LOAD = 1\r2", "load=1"},
        R{"metering_scales_by_calibration", "B79D = 00A0|RM 50000", "pfwd=16|prfl=0|ig=0"},
        R{"metering_every_meter", "B79D = 0100|B799 = 0100|B79B = 0100|B791 = 0100|RM 99999",
          "pfwd=81|prfl=81|pinp=81|ig=9|ip=180"},
        R{"calibration_only_first_location", "B799 = 0100 B79D = 0100|RM01000", "prfl=1|pfwd=0"}),
    test::CaseName{});

TEST_F(FerroDriverTest, UserChangesBecomeCommands) {
    start();
    line("FWD = -40000"); // too big for its item: the report ends, and report mode with it
    sent();
    // Setting band 3 twice sends it once.
    const std::pair<const char*, Variant> changes[] = {
        {"0band", 3},     {"0band", 3},  {"0band", 0},   {"0segment", -1},
        {"0freq", 14200}, {"0tune", 55}, {"0load", 30},  {"0hv", true},
        {"0hv", false},   {"0trim", 1},  {"0ac", "True"}};
    for (const auto& [item, v] : changes)
        set(item, v);
    EXPECT_EQ(sent(), "BAND 3,BAND 0,SEG-1,FREQ 14200,TUNE 55,LOAD 30,MODE HIGH,MODE LOW,"
                      "AUTOTUNE ON,AC ON");
    set("0oper", true);
    line("FAULT = 12");
    set("0oper", false);
    set("0oper", true); // a latched fault is acknowledged first
    set("0def", true);
    set("0ent", -1);
    EXPECT_EQ(sent(), "OPER ON,OPER OFF,OPER OFF,OPER ON,DEF,ENT");
    EXPECT_EQ(text("0def") + text("0ent"), "FalseFalse"); // momentary keys
}

TEST_F(FerroDriverTest, TraceAndDebugItems) {
    start();
    sent();
    set("0TraceMode", 1); // to unit only
    set("0ac", true);
    line("BAND = 7");
    EXPECT_EQ(text("0TraceToUnit") + "|" + text("0TraceFromUnit"), "AC ON|");
    set("0TraceMode", 2); // from unit only
    set("0DebugToUnit", "STAT");
    line("BAND = 8");
    EXPECT_EQ(text("0TraceToUnit") + "|" + text("0TraceFromUnit"), "AC ON|BAND = 8");
    EXPECT_EQ(sent(), "AC ON,STAT");
    set("0TraceMode", 3);
    set("0DebugFromUnit", "B79D = 0100"); // injected as if received
    line("RM 20000");
    EXPECT_EQ(text("0pfwd") + "|" + text("0TraceFromUnit"), "4|RM 20000");
}

TEST_F(FerroDriverTest, LinkProblemsAreExplainedAndNeverStopTheProgram) {
    start(0); // no port: nothing opened, nothing to explain
    EXPECT_FALSE(link().portOpen());
    EXPECT_EQ(text("0message"), "");
    start(2, 1, [](MemorySerialLink& l) { l.failOpen("/dev/ttyS1: Permission denied"); });
    EXPECT_EQ(text("1message"), "/dev/ttyS1: Permission denied; retrying");
    start(5, 2, [](MemorySerialLink& l) { l.failCommPort("no such port"); });
    set("2ac", true); // a refused port is never written to
    EXPECT_EQ(link().written(), "");
    FerroDriver& d = start(1, 3);
    link().vanish("/dev/ttyUSB0: device removed");
    EXPECT_EQ(text("3message"), "/dev/ttyUSB0: device removed; retrying");
    set("3ac", true); // writing to a vanished port must not throw out of the handler
    d.Terminate();
    EXPECT_EQ(d.link(), nullptr);
}

// The port is tried again until it opens, each time with the start-up list and nothing else:
// whatever the items still say, nothing is switched on. Meters read 0 while the port is down.
TEST_F(FerroDriverTest, APortThatFailsOrGoesAwayIsReopenedAndAskedAgain) {
    timings.retry = 0ms;
    FerroDriver& d =
        start(1, 0, [](MemorySerialLink& l) { l.failOpen("/dev/ttyUSB0: Permission denied"); });
    EXPECT_EQ(text("0message"), "/dev/ttyUSB0: Permission denied; retrying");
    link().failOpen(std::nullopt);
    ASSERT_TRUE(waitUntil([&] { return link().portOpen(); }));
    EXPECT_EQ(sent(), kStartupList);
    EXPECT_EQ(text("0message"), "");

    line("STATE = OPERATE FWD = 1500 IG = 20");
    rx("BAND = 7"); // cut off by the loss
    link().failOpen("/dev/ttyUSB0: No such file or directory");
    link().vanish("/dev/ttyUSB0: device removed");
    EXPECT_EQ(text("0message") + "|" + text("0pfwd") + text("0ig"),
              "/dev/ttyUSB0: device removed; retrying|00");
    // Each failed attempt says why it failed.
    ASSERT_TRUE(waitUntil([&] { return text("0message").contains("No such file"); }));
    link().failOpen(std::nullopt);
    ASSERT_TRUE(waitUntil([&] { return link().portOpen(); }));
    EXPECT_EQ(sent(), kStartupList);
    line("SEGMENT = 2");
    EXPECT_EQ(text("0band") + text("0segment"), "02");

    // Under the sanitizers, a thousand more returns show that none leaves anything behind.
    for (int cycle = 0; cycle < 1000; ++cycle) {
        link().vanish("/dev/ttyUSB0: device removed");
        ASSERT_TRUE(waitUntil([&] { return link().portOpen(); }));
    }
    link().vanish("/dev/ttyUSB0: device removed");
    d.Terminate(); // the link goes with it: no attempt may follow
    idle(30);
}

// With the port open, a quiet spell brings one "STAT", mains on or off (the controller still
// answers); no answer then shows on the message line and the link item with the meters at 0
// until the next line. An amplifier that keeps reporting is never asked.
TEST_F(FerroDriverTest, ASilentAmplifierIsAskedOnceThenShownAsNotAnswering) {
    timings.pollAfter = 150ms;
    timings.giveUpAfter = 100ms;
    start();
    sent();
    line("STATE = STANDBY");
    for (int i = 0; i < 10; ++i, idle(30))
        line("FWD = 5");
    EXPECT_EQ(sent(), "");
    line("AMPLIFIER IS OFF");
    ASSERT_TRUE(waitUntil([&] { return link().written() == "STAT\r"; }));
    line("STATE = STANDBY"); // answered in time: asked again later, never declared silent
    sent();
    ASSERT_TRUE(waitUntil([&] { return link().written() == "STAT\r"; }));
    EXPECT_EQ(text("0message") + text("0link"), "Amp on and standing by1");
    ASSERT_TRUE(waitUntil([&] { return text("0message") == "No answer from the amplifier"; }));
    EXPECT_EQ(text("0pfwd") + text("0link"), "02");
    line("BAND = 3");
    EXPECT_EQ(text("0message") + text("0band") + text("0link"), "31");
}

// A flood of changes on a slow line: what waits is one command per control, and mains off goes
// before it, so it leaves after at most the few characters the line already held.
TEST_F(FerroDriverTest, OffNeverWaitsBehindAFloodOnASlowLine) {
    start();
    set("0ac", true);
    sent();
    link().holdOutput(true);
    for (int i = 0; i < 1000; ++i)
        set("0oper", i % 2 == 0);
    set("0band", 4);
    set("0band", 6);
    set("0ac", false);
    qsizetype leftBeforeOff = -1;
    while (link().pendingOutput() > 0) {
        if (leftBeforeOff < 0 && link().written().contains("AC OFF"))
            leftBeforeOff = link().written().size();
        link().drainOutput(1);
    }
    ASSERT_GE(leftBeforeOff, 0);
    EXPECT_LE(leftBeforeOff, 32); // what the line held when OFF was asked, and OFF itself
    // Of the flood only what the line held, the last operate command (standby, which goes
    // first as OFF does) and the last band remain.
    EXPECT_EQ(sent(), "OPER ON,OPER OFF,OPER OFF,AC OFF,BAND 6");
}

// Standby and mains off keep the order they were asked in, ahead of the rest; lines typed by
// hand are never merged; and nothing asked before a loss of the port goes out after it returns.
TEST_F(FerroDriverTest, WaitingCommandsKeepTheirMeaningAndDieWithTheLink) {
    timings.retry = 0ms;
    start();
    line("FAULT = 12");
    set("0ac", true);
    sent();
    link().holdOutput(true);
    set("0DebugToUnit", "STAT STAT STAT STAT"); // fills the line
    set("0tune", 40);
    set("0DebugToUnit", "STAT");
    set("0DebugToUnit", "AC");
    set("0oper", true);
    set("0oper", false);
    set("0ac", false);
    set("0tune", 45);
    link().holdOutput(false);
    EXPECT_EQ(sent(), "STAT STAT STAT STAT,OPER OFF,AC OFF,STAT,AC,TUNE 45");
    link().holdOutput(true);
    set("0DebugToUnit", "STAT STAT STAT STAT");
    set("0load", 10);
    set("0segment", 2);
    link().vanish("/dev/ttyUSB0: device removed");
    ASSERT_TRUE(waitUntil([&] { return link().portOpen(); }));
    link().holdOutput(false);
    EXPECT_EQ(sent(), kStartupList);
}

// A line whose handling throws is taken out of the buffer first: it is not run again with the
// next chunk, and the lines after it still arrive.
TEST_F(FerroDriverTest, ALineThatThrowsIsNotReplayedNorTakesLaterLinesWithIt) {
    start();
    sent();
    int calls = 0;
    QObject::connect(hub->GetItem("0warmup").get(), &Item::ValueChange, [&] {
        if (calls++ == 0)
            throw VariantError(5, QStringLiteral("probe"));
    });
    rx("BAND = 3\r\nPOWER ON SEQUENCE\r\nSEGMENT = 2\r\n");
    EXPECT_EQ(text("0segment"), "2");
    line("TUNE = 5");
    EXPECT_EQ(text("0tune"), "5");
    EXPECT_EQ(sent(), ""); // the notice ran once and threw before setting ac
}

} // namespace
} // namespace tarvex
