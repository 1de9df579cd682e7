// The amplifier server: values and commands in process, then over TCP against Hamlib's own
// ampctld for the reply formats, and with many and badly behaved clients.
#include "station_fixture.h"

#include "station/ampctl_interpreter.h"
#include "station/ampctl_server.h"
#include "station/band_switch.h"
#include "station/peak_hold.h"

#include "station/command_budget.h"

#include <QRegularExpression>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarvex {
namespace {

struct PeakCase {
    const char* name;
    std::vector<std::pair<qint64, int>> readings; // {ms, watts}
    qint64 at;
    int peak;
};

class PeakHoldTest : public ::testing::TestWithParam<PeakCase> {};

TEST_P(PeakHoldTest, HighestReadingOfTheLastTwoSeconds) {
    qint64 now = 0;
    PeakHold peak(2000, [&] { return now; });
    for (const auto& [t, w] : GetParam().readings) {
        now = t;
        peak.add(w);
    }
    now = GetParam().at;
    EXPECT_EQ(peak.peak(), GetParam().peak);
}

INSTANTIATE_TEST_SUITE_P(
    Window, PeakHoldTest,
    ::testing::Values(PeakCase{"latest_holds_however_old", {{0, 300}}, 10000, 300},
                      PeakCase{
                          "earlier_peak_inside", {{0, 100}, {100, 800}, {200, 200}}, 2199, 800},
                      PeakCase{"earlier_peak_left", {{0, 100}, {100, 800}, {200, 200}}, 2200, 200},
                      PeakCase{"many_readings", {{0, 900}, {10, 5}, {20, 6}, {5000, 7}}, 5000, 7}),
    test::CaseName{});

struct CommandCase {
    const char* name;
    const char* reports;  // lines from the amplifier, "|" between them
    const char* commands; // client lines, "|" between them
    const char* reply;
    const char* sent; // commands the amplifier received
    bool transmitting = false;
    int link = 1; // 0: its device is removed after the reports; 2: it falls silent
};

using namespace std::chrono_literals;

const char* const kEveryKind =
    "\\set_powerstat 1|F 14200000|L SWR 1|\\get_powerstat|l PWRFORWARD|f";

class AmpctlCommandTest : public ::testing::TestWithParam<CommandCase> {};

TEST_P(AmpctlCommandTest, RepliesAndReachesTheAmplifierThroughItsItems) {
    const CommandCase& c = GetParam();
    const HubPtr hub = Hub::create();
    test::MemoryAmp amp(hub, 0, {.pollAfter = 20ms, .giveUpAfter = 20ms});
    auto ptt = hub->AttachItem("rig.ptt");
    ptt->setInfo(std::make_shared<ItemInfo>(ItemInfo{0, 1, ItemInfo::kBool, 0, {}}));
    ptt->setValue(c.transmitting);
    BandSwitch bands(AmplifierItems(hub, 0)); // watching the amplifier before it reports
    for (const QString& l : QString(c.reports).split('|', Qt::SkipEmptyParts))
        amp.line(l);
    if (c.link == 0)
        amp.link->vanish("gone");
    ASSERT_TRUE(test::waitUntil([&] { return hub->GetItem("0link")->Value().toLong() == c.link; }));
    amp.sent();
    int writes = 0;
    QObject context;
    QObject::connect(hub.get(), &Hub::ItemChangedValue, &context, [&] { ++writes; });
    PeakHold peak;
    AmpctlInterpreter interpreter(AmplifierItems(hub, 0), peak, bands);
    QByteArray reply;
    for (const QByteArray& l : QByteArray(c.commands).split('|'))
        reply += interpreter.handle(l + '\n').text;
    EXPECT_EQ(reply, QByteArray(c.reply));
    EXPECT_EQ(amp.sent(), c.sent);
    EXPECT_EQ(writes > 0, *c.sent != 0) << "an item written, or none";
}

INSTANTIATE_TEST_SUITE_P(
    Commands, AmpctlCommandTest,
    ::testing::Values(
        CommandCase{"powerstat_off", "AMPLIFIER IS OFF", "\\get_powerstat", "0\n", ""},
        CommandCase{"powerstat_warming", "STATE = WARMUP", "\\get_powerstat", "1\n", ""},
        CommandCase{"set_off", "STATE = STANDBY", "\\set_powerstat 0", "RPRT 0\n", "AC OFF,"},
        CommandCase{"set_unknown_state", "STATE = STANDBY", "\\set_powerstat 8", "RPRT -1\n", ""},
        CommandCase{"argument_on_next_line", "STATE = STANDBY", "\\set_powerstat|4", "RPRT 0\n",
                    "OPER ON,"},
        CommandCase{"swr_without_power", "STATE = STANDBY", "l SWR", "1.000000\n", ""},
        CommandCase{"swr", "FWD = 400|RFL = 16", "l SWR", "1.500000\n", ""},
        CommandCase{"powers", "FWD = 400|RFL = 16|INP = 25",
                    "l PWRFORWARD|l PWRREFLECTED|l PWRINPUT", "400\n16\n25\n", ""},
        CommandCase{"powerstat_not_yet_said", "FWD = 0", "\\get_powerstat", "RPRT -6\n", ""},
        CommandCase{"fault", "FAULT = 12", "l FAULT", "High input refl power\n", ""},
        CommandCase{"no_fault", "STATE = STANDBY", "+l FAULT",
                    "get_level: FAULT\nNo Fault\nRPRT 0\n", ""},
        CommandCase{"frequency_as_reported", "STATE = STANDBY|BAND 3 SEGMENT 1 FREQUENCY 7050",
                    "F 14200000|f", "RPRT 0\n7050000\n", "BAND 5,FREQ 14200,"},
        CommandCase{"set_frequency_outside_bands", "STATE = STANDBY", "F 145000000", "RPRT -1\n",
                    ""},
        CommandCase{"set_frequency_mains_off", "AMPLIFIER IS OFF", "F 14200000", "RPRT -9\n", ""},
        CommandCase{"set_frequency_transmitting", "STATE = STANDBY", "F 14200000", "RPRT -9\n", "",
                    true},
        CommandCase{"frequency_just_after_rf", "STATE = STANDBY|FWD = 11|FWD = 0", "F 3700000",
                    "RPRT -9\n", ""},
        CommandCase{"operate_under_rf", "STATE = STANDBY|FWD = 11", "\\set_powerstat 4",
                    "RPRT -9\n", ""},
        CommandCase{"standby_and_off_under_rf", "STATE = OPERATE|FWD = 50",
                    "\\set_powerstat 2|\\set_powerstat 0", "RPRT 0\nRPRT 0\n", "OPER OFF,AC OFF,"},
        CommandCase{"device_removed", "STATE = OPERATE", kEveryKind,
                    "RPRT -6\nRPRT -6\nRPRT -6\nRPRT -6\nRPRT -6\nRPRT -6\n", "", false, 0},
        CommandCase{"silent", "STATE = OPERATE|BAND 5 SEGMENT 2 FREQUENCY 14175|FWD = 400",
                    kEveryKind, "RPRT -6\nRPRT -6\nRPRT -6\nRPRT -6\n0\n14175000\n", "", false, 2}),
    test::CaseName{});

// What two servers must agree on when their values differ: line count, RPRT lines, keys, and
// whether a value is a whole number, a six-decimal number or text.
QStringList shape(const QByteArray& reply) {
    static const QRegularExpression kKeyed("^([^:]+:) ?"), kInt("^-?\\d+$"),
        kReal("^-?\\d+\\.\\d{6}$");
    QStringList out;
    for (const QByteArray& raw : reply.split('\n')) {
        QString l = QString::fromUtf8(raw);
        const QString key = l.startsWith("RPRT ") ? l : kKeyed.match(l).captured(0);
        l.remove(0, key.size());
        out << key + (kInt.match(l).hasMatch()    ? "int"
                      : kReal.match(l).hasMatch() ? "real6"
                      : l.isEmpty()               ? ""
                                                  : "text");
    }
    return out;
}

// The reply to one line, told from the sentinel that follows it.
QByteArray reply(quint16 port, const QByteArray& line) {
    const qsizetype sentinels = line == "+\\dump_state" ? 2 : 1;
    const QByteArray got =
        test::Daemon::askAt(port, line + "\n+\\dump_state\n", [&](const QByteArray& r) {
            return r.count("dump_state:\n") == sentinels && r.endsWith("RPRT 0\n");
        });
    return got.left(got.lastIndexOf("dump_state:\n"));
}

// One daemon for the whole table, command by command.
TEST(AmpctlConformance, EveryReplyHasTheShapeOfHamlibsOwn) {
    test::Daemon hamlib;
    hamlib.start("ampctld", {"-m", "1"});
    const HubPtr hub = Hub::create();
    test::MemoryAmp amp(hub, 0);
    amp.line("STATE = STANDBY");
    BandSwitch bands(AmplifierItems(hub, 0));
    AmpctlServer ours(AmplifierItems(hub, 0), bands);
    ASSERT_TRUE(ours.listen(QHostAddress::LocalHost, 0, nullptr));
    const QByteArray lines =
        "\\get_powerstat|+\\get_powerstat|\\set_powerstat 1|+\\set_powerstat 1|"
        "\\set_powerstat 3|+\\set_powerstat 3|l SWR|+l SWR|l PWRFORWARD|"
        "+l PWRFORWARD|l PWRREFLECTED|l PWRINPUT|+l PWRINPUT|l PWRPEAK|"
        "+l PWRPEAK|l FAULT|+l FAULT|l ?|+l ?|l FOO|+l FOO|f|+f|\\get_freq|"
        "F 14200000|+F 14200000|F abc|_|+_|\\get_info|+\\get_info|"
        "\\dump_state|+\\dump_state|L SWR 1|zork|+zork";
    for (const QByteArray& line : lines.split('|')) {
        const QByteArray theirs = reply(hamlib.port, line);
        EXPECT_EQ(shape(reply(ours.port(), line)), shape(theirs))
            << line.toStdString() << " -> " << theirs.toStdString();
    }
}

TEST(AmpctlServerTest, EightClientsAreServedAndAJunkClientLosesOnlyItself) {
    const HubPtr hub = Hub::create();
    test::MemoryAmp amp(hub, 0);
    amp.line("STATE = OPERATE");
    BandSwitch bands(AmplifierItems(hub, 0));
    AmpctlServer server(AmplifierItems(hub, 0), bands);
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0, nullptr));
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i <= AmpctlLimits{}.maxClients; ++i) {
        clients.push_back(std::make_unique<QTcpSocket>());
        clients.back()->connectToHost(QHostAddress::LocalHost, server.port());
        ASSERT_TRUE(test::waitUntil([&] { return server.clientCount() == std::min(i + 1, 8); }));
    }
    const auto closed = [](QTcpSocket& s) {
        return test::waitUntil([&] { return s.state() == QAbstractSocket::UnconnectedState; });
    };
    EXPECT_TRUE(closed(*clients.back())); // the ninth
    clients[0]->write(QByteArray(AmpctlLimits{}.maxLine + 10, 'x'));
    EXPECT_TRUE(closed(*clients[0]));
    clients[1]->write("\\get_powerstat\n\\set_powerstat 2\n");
    EXPECT_TRUE(test::waitUntil([&] { return clients[1]->bytesAvailable() == 9; }));
    EXPECT_EQ(clients[1]->readAll(), "4\nRPRT 0\n");
    EXPECT_EQ(amp.sent(), "OPER OFF,");
    clients[2]->write("\\get_powerstat\nq\n"); // what was asked before "q" is answered
    EXPECT_TRUE(closed(*clients[2]));
    EXPECT_EQ(clients[2]->readAll(), "4\n") << "asked for standby, not yet reported";
    EXPECT_EQ(server.clientCount(), 6);
}

TEST(CommandBudgetTest, AQuietHourRefillsOnlyTheBurst) {
    qint64 now = 0;
    CommandBudget budget(10, 5, [&] { return now; });
    now += 3'600'000;
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(budget.take());
    EXPECT_FALSE(budget.take());
}

// Until that many reply lines came, or the server closed the connection.
QByteArray askOn(QTcpSocket& s, const QByteArray& lines, qsizetype replyLines) {
    s.write(lines);
    QByteArray got;
    test::waitUntil([&] {
        got += s.readAll();
        return got.count('\n') >= replyLines || s.state() != QAbstractSocket::ConnectedState;
    });
    return got;
}

// One amplifier operating, served with the limits given.
struct Served {
    explicit Served(AmpctlLimits limits = {}) : server(AmplifierItems(hub, 0), bands, limits) {
        amp.line("STATE = OPERATE");
        EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0, nullptr));
    }
    std::unique_ptr<QTcpSocket> client() {
        auto s = std::make_unique<QTcpSocket>();
        s->connectToHost(QHostAddress::LocalHost, server.port());
        EXPECT_TRUE(test::waitUntil([&] { return s->state() == QAbstractSocket::ConnectedState; }));
        return s;
    }
    // A plain socket with a small receive buffer, which a client that does not read fills soon.
    int rawClient() const {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0), small = 4096;
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in to{AF_INET, htons(server.port()), {htonl(INADDR_LOOPBACK)}, {}};
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
        return fd;
    }
    QByteArray ask(const QByteArray& line) const {
        return test::Daemon::askAt(server.port(), line, [](auto& r) { return r.endsWith('\n'); });
    }
    HubPtr hub = Hub::create();
    test::MemoryAmp amp{hub, 0};
    BandSwitch bands{AmplifierItems(hub, 0)};
    AmpctlServer server;
};

TEST(AmpctlServerTest, AFloodingClientIsSlowedThenClosedAndNeverDelaysAnother) {
    Served served({.floodClose = 1500ms});
    const auto flood = served.client(), other = served.client();
    const auto since = std::chrono::steady_clock::now();
    QByteArray flooded =
        askOn(*flood, QByteArray("\\set_powerstat 2\n\\set_powerstat 4\n").repeated(500), 10);
    EXPECT_EQ(askOn(*other, "\\set_powerstat 0\n\\get_powerstat\n", 2), "RPRT 0\n4\n");
    flooded += askOn(*flood, {}, 1000); // until it is closed
    EXPECT_EQ(flood->state(), QAbstractSocket::UnconnectedState);
    EXPECT_LE(flooded.count('\n'), 11 + 5 * (std::chrono::steady_clock::now() - since) / 1s);
}

TEST(AmpctlServerTest, AFullServerClosesTheClientSilentLongestToMakeRoom) {
    Served served({.idle = 300ms});
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i < 8; ++i)
        clients.push_back(served.client());
    EXPECT_EQ(served.ask("\\get_powerstat\n"), "") << "nobody silent long enough yet";
    for (int i = 0; i < 7; ++i) // all but the last talk
        askOn(*clients[i], "\\get_powerstat\n", 1);
    EXPECT_TRUE(test::waitUntil([&] { return served.ask("\\get_powerstat\n") == "4\n"; }));
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(clients[i]->state() == QAbstractSocket::ConnectedState, i < 7) << i;
}

TEST(AmpctlServerTest, RepliesGoOutAsMadeAndAClientGoneOrNotReadingIsLetGo) {
    Served served({.sendBuffer = 4096, .closeGrace = 300ms});
    const auto many = served.client();
    EXPECT_EQ(askOn(*many, QByteArray("+\\dump_state\n").repeated(1000), 4000).count("RPRT 0\n"),
              1000);
    std::vector<std::unique_ptr<QTcpSocket>> ended; // their input ends with their lines
    for (int i = 0; i < 5; ++i) {
        ended.push_back(served.client());
        ended.back()->write(QByteArray("\\get_powerstat\n").repeated(100));
        ended.back()->flush();
        ::shutdown(int(ended.back()->socketDescriptor()), SHUT_WR);
    }
    for (const auto& s : ended)
        EXPECT_EQ(askOn(*s, {}, 100), QByteArray("4\n").repeated(100));
    ASSERT_TRUE(test::waitUntil([&] { return served.server.clientCount() == 1; }));
    const int fd = served.rawClient(); // says "q" and never reads
    const QByteArray lines = QByteArray("+\\dump_state\n").repeated(600) + "\\set_powerstat 2\nq\n";
    ASSERT_EQ(::write(fd, lines.data(), lines.size()), lines.size());
    ASSERT_TRUE(test::waitUntil([&] { return served.amp.link->written().contains("OPER OFF"); }));
    EXPECT_EQ(served.server.clientCount(), 2) << "counted until its socket is gone";
    EXPECT_TRUE(test::waitUntil([&] { return served.server.clientCount() == 1; }));
    ::close(fd);
    for (int i = 0; i < 8; ++i) // connected and closed before the server took them
        ::close(served.rawClient());
    EXPECT_EQ(served.ask("\\get_powerstat\n"), "4\n") << "the gone hold no place";
}

} // namespace
} // namespace tarvex
