#include "amplifier_items.h"

#include "history/history_reader.h"
#include "history/history_recorder.h"

#include "../support/printers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace tarvex {
namespace {

constexpr qint64 kStart = 1'714'529'640'000; // 2024-05-01T02:14:00Z

struct Recording {
    QTemporaryDir dir;
    qint64 now = kStart;
    HubPtr hub = Hub::create();
    test::AmplifierItems amp{hub, 2, QStringLiteral("Tower")};
    HistoryRecorder recorder{dir.filePath(QStringLiteral("history.db")), [this] { return now; }};

    Recording() {
        recorder.start();
        recorder.setHub(hub);
    }
    std::vector<HistoryEvent> written() {
        recorder.flush();
        recorder.waitForWriter();
        HistoryReader reader(recorder.path());
        EventQuery all;
        all.newestFirst = false;
        return reader.events(all);
    }
};

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

TEST_P(Events, AreRecordedWithTheirFields) {
    Recording r;
    r.now += 1500;
    GetParam().act(r.amp);
    const auto events = r.written();
    ASSERT_EQ(events.size(), GetParam().events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
        const Expected& want = GetParam().events[i];
        SCOPED_TRACE(want.text);
        EXPECT_EQ(events[i].kind, QLatin1String(want.kind));
        EXPECT_EQ(events[i].code, want.code);
        EXPECT_EQ(events[i].text, QString::fromUtf8(want.text));
        EXPECT_EQ(events[i].amplifier, 2);
        EXPECT_EQ(events[i].name, QStringLiteral("Tower"));
        EXPECT_EQ(events[i].timeMs, kStart + 1500);
    }
}

// The items change as the driver changes them for each report.
INSTANTIATE_TEST_SUITE_P(
    Kinds, Events,
    testing::Values(EventCase{"power_on_then_operate",
                              [](auto& a) {
                                  a.warmup->setValue(true);
                                  a.ac->setValue(true);
                                  a.message->setValue(QStringLiteral("3 Minute Warm-Up"));
                                  a.oper->setValue(true);
                                  a.warmup->setValue(false);
                              },
                              {{"state", {}, "Warm-up"},
                               {"message", {}, "3 Minute Warm-Up"},
                               {"state", {}, "Operate"}}},
                    EventCase{"fault_takes_its_text_from_the_message",
                              [](auto& a) {
                                  a.fault->setValue(14);
                                  a.message->setValue(QStringLiteral(" 14: Excessive refl. power"));
                              },
                              {{"fault", 14, "Excessive refl. power"}}},
                    EventCase{"band_change_and_unknown_band",
                              [](auto& a) {
                                  a.band->setValue(5);
                                  a.band->setValue(0);
                              },
                              {{"band", 5, ""}}},
                    EventCase{
                        "link_lost_silent_and_back",
                        [](auto& a) {
                            a.message->setValue(QStringLiteral("Port 1 has no device; retrying"));
                            a.message->setValue(QStringLiteral("No answer from the amplifier"));
                            a.message->setValue(QString());
                        },
                        {{"link", {}, "Port 1 has no device; retrying"},
                         {"link", {}, "No answer from the amplifier"},
                         {"link", {}, "Link restored"}}},
                    EventCase{"switched_off",
                              [](auto& a) {
                                  a.ac->setValue(true);
                                  a.ac->setValue(false);
                                  a.message->setValue(QStringLiteral("Amp AC power is off"));
                              },
                              {{"state", {}, "Standby"},
                               {"state", {}, "Off"},
                               {"message", {}, "Amp AC power is off"}}}),
    test::CaseName{});

TEST(Recorder, WritesPerSecondReadingsOfAmeteredBurst) {
    Recording r;
    r.now = kStart + 250;
    r.amp.pfwd->setValue(600);
    r.now = kStart + 750;
    r.amp.prfl->setValue(40);
    r.amp.pfwd->setValue(0);
    r.now = kStart + 1000;
    r.amp.prfl->setValue(0);
    r.now = kStart + 2500;
    r.written();
    HistoryReader reader(r.recorder.path());
    const HistorySeries s = reader.series(2, kStart - 60'000, kStart + 60'000);
    ASSERT_FALSE(s.points.empty());
    const auto it = std::find_if(s.points.begin(), s.points.end(),
                                 [](const HistoryPoint& p) { return p.timeMs == kStart; });
    ASSERT_NE(it, s.points.end());
    EXPECT_EQ(it->fwdPeak, 600);
    EXPECT_DOUBLE_EQ(it->fwdMean, 300.0);
    EXPECT_EQ(it->rflPeak, 40);
    EXPECT_DOUBLE_EQ(it->rflMean, 10.0);
    // The minute summary the long spans draw from holds the same second.
    const HistorySeries day = reader.series(2, kStart - 3'600'000, kStart + 3'600'000);
    EXPECT_EQ(day.bucketMs, 60'000);
    EXPECT_TRUE(std::any_of(day.points.begin(), day.points.end(),
                            [](const HistoryPoint& p) { return p.fwdPeak == 600; }));
}

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
    amp.fault->setValue(3); // nothing is gathered any more, and nothing breaks
    recorder.prune();
    recorder.flush();
    recorder.waitForWriter();
    QCoreApplication::processEvents();
    EXPECT_FALSE(recorder.isRecording());
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0][0].toString().contains(QStringLiteral("history.db")));
}

} // namespace
} // namespace tarvex
