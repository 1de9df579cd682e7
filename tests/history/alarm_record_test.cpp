// Alarms in the record: each one that rises, and each new word of a standing trip, once.
#include "fake_amplifier.h"

#include "history/history_reader.h"
#include "history/history_recorder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tarvex {
namespace {

TEST(AlarmRecord, EachAlarmThatRisesAndEachNewTripIsAnEventOfKindAlarm) {
    QTemporaryDir dir;
    HistoryRecorder recorder(dir.filePath("history.db"), [] { return qint64(1'714'529'640'000); });
    recorder.start();
    const HubPtr hub = Hub::create();
    test::FakeAmplifier amp(hub, 2, "Tower");
    const ItemPtr text = hub->AttachItem("2alarmtext"), level = hub->AttachItem("2alarm");
    text->setInfo(std::make_shared<ItemInfo>(ItemInfo{0, 1, ItemInfo::kStr, 0, {}}));
    level->setInfo(std::make_shared<ItemInfo>(ItemInfo{0, 2, ItemInfo::kInt, 0, {}}));
    recorder.setHub(hub);
    text->setValue("SWR 3.4:1: back in 10 s"); // the text first, as the monitor sets them
    level->setValue(std::int16_t(2));
    text->setValue("SWR 3.4:1: stays in standby"); // what the guard did after all
    text->setValue("");                            // acknowledged
    level->setValue(std::int16_t(0));
    recorder.flush();
    recorder.waitForWriter();
    QStringList said;
    for (const HistoryEvent& e : HistoryReader(recorder.path()).events({}))
        said.prepend(QString("%1 %2 %3").arg(e.amplifier).arg(e.kind, e.text));
    EXPECT_EQ(said, QStringList({"2 alarm Trip: SWR 3.4:1: back in 10 s",
                                 "2 alarm Trip: SWR 3.4:1: stays in standby"}));
}

} // namespace
} // namespace tarvex
