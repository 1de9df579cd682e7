#include "fake_amplifier.h"

#include "core/server_object.h"
#include "history/history_backlog.h"
#include "history/history_reader.h"
#include "history/history_recorder.h"
#include "history/history_store.h"

#include "../support/printers.h"
#include "../support/wait_until.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <optional>

namespace tarvex {
namespace {

using test::FakeAmplifier;

constexpr qint64 kStart = 1'714'529'640'000; // 2024-05-01T02:14:00Z

// A recorder on a fresh file whose clock the test moves.
struct Recording {
    QTemporaryDir dir;
    qint64 now = kStart;
    HistoryRecorder recorder{dir.filePath(QStringLiteral("history.db")), [this] { return now; }};

    // before: what is done to the file before the recorder starts.
    explicit Recording(const std::function<void(const QString&)>& before = {}) {
        if (before)
            before(recorder.path());
        recorder.start();
    }
    HistoryReader written() {
        recorder.flush();
        recorder.waitForWriter();
        return HistoryReader(recorder.path());
    }
    std::vector<HistoryEvent> events() {
        const auto newestFirst = written().events({});
        return {newestFirst.rbegin(), newestFirst.rend()};
    }
};

struct Expected {
    const char* kind;
    std::optional<int> code;
    const char* text;
    qint64 at = 1500; // after the start
};
struct EventCase {
    const char* name;
    std::function<void(FakeAmplifier&, Recording&)> act;
    std::vector<Expected> events;
};

class Events : public testing::TestWithParam<EventCase> {};

constexpr const char* kGone = "Port 1 has no device; retrying";

// Amplifier 2 ("Tower") changes its items as the driver does; what the record makes of them.
TEST_P(Events, AreWhatTheAmplifierReported) {
    Recording r;
    const HubPtr hub = Hub::create();
    FakeAmplifier amp(hub, 2, QStringLiteral("Tower"));
    r.recorder.setHub(hub);
    r.now += 1500;
    GetParam().act(amp, r);
    const auto events = r.events();
    ASSERT_EQ(events.size(), GetParam().events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        const Expected& want = GetParam().events[i];
        EXPECT_EQ(events[i].kind, QLatin1String(want.kind)) << i;
        EXPECT_EQ(events[i].code, want.code) << i;
        EXPECT_EQ(events[i].text, QString::fromUtf8(want.text)) << i;
        EXPECT_EQ(events[i].timeMs, kStart + want.at) << i;
        EXPECT_EQ(events[i].name, QStringLiteral("Tower"));
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Kinds, Events, testing::Values(
    // Off, warm-up, unknown, warm-up, standby, operate.
    EventCase{"reported_states_never_unknown", [](auto& a, auto&) { for (int s : {1, 2, 0, 2, 3, 4}) a.state->setValue(s); },
              {{"state", {}, "Off"}, {"state", {}, "Warm-up"}, {"state", {}, "Standby"}, {"state", {}, "Operate"}}},
    EventCase{"what_a_panel_wrote_is_not_an_event", [](auto& a, auto&) { a.ac->setValue(true); a.oper->setValue(true); a.band->setValue(5); }, {}},
    EventCase{"fault_with_its_text_and_not_its_message_each_time", [](auto& a, auto&) { for (int f : {14, 0, 14}) a.reportFault(f, "Arc"); },
              {{"fault", 14, "Arc"}, {"fault", 14, "Arc"}}},
    EventCase{"band_by_name_when_it_changed", [](auto& a, auto&) { for (int b : {3, 0, 3, 5}) a.reportedband->setValue(b); },
              {{"band", 3, "40 m"}, {"band", 5, "20 m"}}},
    EventCase{"port_lost_and_back", [](auto& a, auto&) { a.answer(); a.lose(kGone); a.answer(); }, {{"link", {}, kGone}, {"link", {}, "Link restored"}}},
    EventCase{"silent_after_answering", [](auto& a, auto&) { a.answer(); a.lose("No answer from the amplifier", amp::Link::Silent); },
              {{"link", {}, "No answer from the amplifier"}}},
    // Every start passes through "open but silent" for a moment; a silence that lasts is said.
    EventCase{"silent_from_the_start_for_five_seconds", [](auto& a, auto& r) { r.now += 3500; r.recorder.flush(); a.answer(); },
              {{"link", {}, "No answer from the amplifier", 5000}, {"link", {}, "Link restored", 5000}}},
    // The recorder meets a hub whose items already stand.
    EventCase{"standing_when_the_recorder_came", [](auto& a, auto& r) { r.recorder.setHub({}); a.reportFault(9, "Arc"); a.lose(kGone); r.recorder.setHub(a.link->getHub()); },
              {{"fault", 9, "Arc"}, {"link", {}, kGone}}},
    // Each flush ends a pass of the event loop; a text that came with an event restates it when it comes back.
    EventCase{"a_message_on_its_own_is_news", [](auto& a, auto& r) { a.state->setValue(4); a.message->setValue("Amp on and operating"); r.recorder.flush();
                  a.message->setValue("AutoTune Disabled"); r.recorder.flush(); a.message->setValue("Amp on and operating"); },
              {{"state", {}, "Operate"}, {"message", {}, "AutoTune Disabled"}}},
    // A remote user's doing, from outside the hub, filed with the amplifier's own events.
    EventCase{"an_outside_event_with_the_amplifier_name", [](auto& a, auto& r) { a.report(amp::State::Standby); r.now += 500; r.recorder.recordEvent(2, "remote", "ann from 127.0.0.1: login (operate)"); },
              {{"state", {}, "Standby"}, {"remote", {}, "ann from 127.0.0.1: login (operate)", 2000}}}),
    test::CaseName{});
// clang-format on

// The server started and restarted as "&Configure..." does, the recorder following it; on each
// new hub the amplifier makes its items afresh.
class ServerRestart : public testing::Test {
protected:
    void SetUp() override { r.recorder.follow(server); }
    FakeAmplifier& start(const QString& name = QStringLiteral("Tower")) {
        server.StartServer();
        return amp.emplace(server.hub(), 0, name);
    }
    int count(const char* kind) {
        const auto events = r.events();
        return int(std::ranges::count_if(events, [&](auto& e) { return e.kind == kind; }));
    }

    Recording r;
    ServerObject server{{}, r.dir.filePath(QStringLiteral("server.dat"))};
    std::optional<FakeAmplifier> amp;
};

TEST_F(ServerRestart, PowerIsReadOnlyWhileTheServerRunsAndTheLinkIsUp) {
    start().answer();
    amp->pfwd->setValue(1470);
    r.now += 2500;
    server.StopServer(); // the items keep their last readings, as a stopped driver's do
    r.now += 10'000;
    start().pfwd->setValue(1470); // not heard yet
    r.now += 1000;
    amp->answer();
    r.now += 2000;
    amp->lose(kGone);
    amp->pfwd->setValue(900);
    r.now += 3000;
    const auto points = r.written().series(0, kStart, r.now).points;
    const double wattSeconds = std::accumulate(points.begin(), points.end(), 0.0,
                                               [](double sum, auto& p) { return sum + p.fwdMean; });
    EXPECT_DOUBLE_EQ(wattSeconds, 1470 * 4.5); // 0 s to 2.5 s, and 13.5 s to 15.5 s
}

TEST_F(ServerRestart, AStandingFaultReportedAgainMakesNoNewRow) {
    for (int run = 0; run < 3; ++run) {
        start().reportFault(12, "High input refl power");
        amp->report(amp::State::Standby);
        amp->lose(kGone);
    }
    EXPECT_EQ(count("fault"), 1);
    EXPECT_EQ(count("link"), 1);
    start().report(amp::State::Standby); // cleared while stopped: the same code is a new trip
    amp->reportFault(12, "High input refl power");
    EXPECT_EQ(count("fault"), 2);
    start(QStringLiteral("Shack")).report(amp::State::Standby); // another amplifier, afresh
    EXPECT_EQ(count("state"), 2);
}

// The disk holds up the last commit: the end waits no longer than it was told, says what was
// left out, and the writer, left to finish alone, ends once the disk lets it.
TEST(Writer, FinishesWithinItsLimitAndLeavesASlowDiskToCarryOn) {
    const auto disk = std::make_shared<QSemaphore>();
    HistoryWriter writer(QStringLiteral("unused.db"), nullptr);
    writer.start();
    // An event and two seconds of readings that wait for the disk (5 s at most).
    writer.post([disk](HistoryStore&) { return disk->tryAcquire(1, 5000), HistoryWriter::Reply(); },
                1, 2);
    QString left;
    EXPECT_FALSE(writer.finish(std::chrono::milliseconds(100), &left));
    EXPECT_EQ(left, QStringLiteral("1 event, 2 seconds of readings"));
    disk->release();
    EXPECT_TRUE(test::waitUntil([] { return HistoryWriter::unfinished() == 0; }));
}

TEST(Recorder, AnUnwritableFileStopsHistoryWithOneMessage) {
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const HubPtr hub = Hub::create();
    FakeAmplifier amp(hub, 0, QStringLiteral("A"));
    HistoryRecorder recorder(dir.filePath(QStringLiteral("file/history.db")), systemHistoryClock());
    QSignalSpy problems(&recorder, &HistoryRecorder::problem);
    recorder.start();
    recorder.setHub(hub);
    recorder.waitForWriter();
    QCoreApplication::processEvents();
    recorder.prune(); // nothing more is tried, nor said
    recorder.waitForWriter();
    QCoreApplication::processEvents();
    EXPECT_FALSE(recorder.isRecording());
    ASSERT_EQ(problems.size(), 1);
    // SQLite's words and Qt's, each its own clause.
    EXPECT_EQ(problems[0][0].toString(),
              QStringLiteral("History is not being kept: %1 cannot be opened: unable to open "
                             "database file; error opening database. Tarvex goes on without it.")
                  .arg(dir.filePath(QStringLiteral("file/history.db"))));
}

// Another program holding history.db: a real sqlite3 that writes a row of its own and keeps its
// transaction open; in exclusive locking mode it shuts out readers too. Killed if not released.
struct OtherProgram {
    QProcess sqlite;
    bool held;
    OtherProgram(const QString& path, bool exclusiveMode) {
        sqlite.start(QStringLiteral("sqlite3"), {path});
        sqlite.write(QByteArray(exclusiveMode ? "PRAGMA locking_mode=EXCLUSIVE;\n" : "") +
                     "BEGIN EXCLUSIVE;\nINSERT INTO events (time, amplifier, kind, text) VALUES "
                     "('2024-05-01T02:00:00.000Z', 7, 'message', 'theirs');\nSELECT 'held';\n");
        QByteArray said;
        held = test::waitUntil(
            [&] { return (said += sqlite.readAllStandardOutput()).contains("held"); });
    }
    bool release() {
        sqlite.write("COMMIT;\n");
        sqlite.closeWriteChannel();
        return sqlite.waitForFinished(5000) && sqlite.exitCode() == 0;
    }
};

struct LockCase {
    const char* name;
    bool exclusiveMode;
    bool beforeStart;
};

class LockedFile : public testing::TestWithParam<LockCase> {};

// Another program holds a healthy history.db: it is left as it is, the record is kept in memory
// and said to be, and all of it is written once the file is free.
TEST_P(LockedFile, IsWaitedForWithTheRecordKeptInMemory) {
    std::optional<OtherProgram> other;
    Recording r([&](const QString& path) {
        EXPECT_TRUE(HistoryStore(path).open(kStart));
        EXPECT_TRUE(!GetParam().beforeStart || other.emplace(path, GetParam().exclusiveMode).held);
    });
    const QString path = r.recorder.path();
    QSignalSpy notices(&r.recorder, &HistoryRecorder::notice);
    QSignalSpy status(&r.recorder, &HistoryRecorder::lockStatus);
    const HubPtr hub = Hub::create();
    FakeAmplifier amp(hub, 0, QStringLiteral("Tower"));
    r.recorder.setHub(hub);
    amp.answer();
    amp.report(amp::State::Operate);
    if (!GetParam().beforeStart) {
        r.events();
        ASSERT_TRUE(other.emplace(path, GetParam().exclusiveMode).held);
    }
    amp.reportFault(14, QStringLiteral("Arc"));
    r.now += 6000;
    r.recorder.flush();
    ASSERT_TRUE(test::waitUntil([&] { return !status.isEmpty(); }));
    EXPECT_EQ(status.last()[0].toString(),
              path +
                  QStringLiteral(" is locked by another program; 6 s of record kept in memory."));
    EXPECT_EQ(notices.last()[0], status.last()[0]);
    QElapsedTimer reading; // the window reads on the UI thread: it is told, not held up
    reading.start();
    EXPECT_TRUE(HistoryReader(path).open() != GetParam().exclusiveMode && reading.elapsed() < 1000);

    r.recorder.setHub({}); // nothing new comes after the lock: the file is tried all the same
    r.recorder.flush();
    ASSERT_TRUE(other->release());
    r.now += 3000;
    r.recorder.flush();
    ASSERT_TRUE(test::waitUntil([&] { return status.last()[0].toString().isEmpty(); }));
    EXPECT_EQ(notices.last()[0].toString(),
              path + QStringLiteral(" is free again; the record kept in memory is written."));
    // Theirs too: the file was not set aside, nor its journal moved from under them.
    EXPECT_EQ(r.events().size(), 3u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(History, LockedFile, testing::Values(
    LockCase{"readers_shut_out_before_start", true, true},
    LockCase{"writers_shut_out_before_start", false, true},
    LockCase{"writers_shut_out_while_recording", false, false}),
    test::CaseName{});
// clang-format on

void addSeconds(HistoryBacklog& kept, int amplifier, int from, int count) {
    HistoryBatch b;
    for (int s = from; s < from + count; ++s)
        b.readings.push_back({s * 1000LL, amplifier, {}, {}});
    kept.add(std::move(b));
}

// A lock that lasts costs each amplifier its oldest readings, and the oldest events, counted.
TEST(Backlog, KeepsTheNewestOfEachAmplifierAndCountsWhatWent) {
    HistoryBacklog kept;
    addSeconds(kept, 0, 0, 500);
    addSeconds(kept, 1, 0, 10); // a quiet amplifier keeps all it has
    addSeconds(kept, 0, 500, 150);
    addSeconds(kept, 0, 650, 50);
    HistoryBatch events;
    events.events.resize(HistoryBacklog::kMaxEvents + 5);
    events.events[5].timeMs = 1; // the oldest to stay
    kept.add(std::move(events));
    ASSERT_EQ(kept.batch().readings.size(), HistoryBacklog::kReadingsPerAmplifier + 10);
    EXPECT_EQ(kept.batch().readings.front().timeMs, 100'000);
    EXPECT_EQ(kept.droppedReadings(), 100);
    EXPECT_EQ(kept.batch().events.front().timeMs, 1);
    EXPECT_EQ(kept.droppedEvents(), 5);
}

} // namespace
} // namespace tarvex
