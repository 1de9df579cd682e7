#include "amplifier_items.h"

#include "history/history_reader.h"
#include "history/history_recorder.h"

#include "../support/printers.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace tarvex {
namespace {

constexpr qint64 kStart = 1'714'529'640'000; // 2024-05-01T02:14:00Z

struct Expected {
    const char* kind;
    std::optional<int> code;
    const char* text;
};
struct EventCase {
    const char* name;
    std::function<void(test::AmplifierItems&)> act;
    std::vector<Expected> events;
};

class Events : public testing::TestWithParam<EventCase> {};

// Amplifier 2 ("Tower") changes its items as the driver does for each report; the states, the
// band and the fault of a whole session are followed end to end.
TEST_P(Events, AreRecordedWithTheirFields) {
    QTemporaryDir dir;
    qint64 now = kStart;
    const HubPtr hub = Hub::create();
    test::AmplifierItems amp(hub, 2, QStringLiteral("Tower"));
    HistoryRecorder recorder(dir.filePath(QStringLiteral("history.db")), [&] { return now; });
    recorder.start();
    recorder.setHub(hub);
    now += 1500;
    GetParam().act(amp);
    recorder.flush();
    recorder.waitForWriter();
    EventQuery all;
    all.newestFirst = false;
    const auto events = HistoryReader(recorder.path()).events(all);
    ASSERT_EQ(events.size(), GetParam().events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        const Expected& want = GetParam().events[i];
        EXPECT_EQ(events[i].kind, QLatin1String(want.kind)) << i;
        EXPECT_EQ(events[i].code, want.code) << i;
        EXPECT_EQ(events[i].text, QString::fromUtf8(want.text)) << i;
        EXPECT_EQ(events[i].amplifier, 2);
        EXPECT_EQ(events[i].name, QStringLiteral("Tower"));
        EXPECT_EQ(events[i].timeMs, kStart + 1500);
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Kinds, Events, testing::Values(
    EventCase{"power_on_warms_up",
              [](auto& a) { a.warmup->setValue(true); a.ac->setValue(true);
                            a.message->setValue(QStringLiteral("3 Minute Warm-Up")); },
              {{"state", {}, "Warm-up"}, {"message", {}, "3 Minute Warm-Up"}}},
    EventCase{"fault_takes_its_text_from_the_message",
              [](auto& a) { a.fault->setValue(14);
                            a.message->setValue(QStringLiteral(" 14: Excessive refl. power")); },
              {{"fault", 14, "Excessive refl. power"}}},
    EventCase{"link_lost_silent_and_back",
              [](auto& a) { a.message->setValue(QStringLiteral("Port 1 has no device; retrying"));
                            a.message->setValue(QStringLiteral("No answer from the amplifier"));
                            a.message->setValue(QString()); },
              {{"link", {}, "Port 1 has no device; retrying"},
               {"link", {}, "No answer from the amplifier"}, {"link", {}, "Link restored"}}}),
    test::CaseName{});
// clang-format on

TEST(Recorder, AnUnwritableFileStopsHistoryWithOneMessage) {
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const HubPtr hub = Hub::create();
    test::AmplifierItems amp(hub, 0, QStringLiteral("A"));
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
    EXPECT_TRUE(problems[0][0].toString().contains(QStringLiteral("history.db")));
}

} // namespace
} // namespace tarvex
