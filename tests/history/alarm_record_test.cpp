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
    const auto make = [&](const char* base, int type) {
        const ItemPtr it = hub->AttachItem(QString("2") + base);
        it->setInfo(std::make_shared<ItemInfo>(ItemInfo{0, 2, type, 0, {}}));
        it->setValue(Variant());
        return it;
    };
    const ItemPtr text = make(amp::kAlarmText, ItemInfo::kStr);
    const ItemPtr level = make(amp::kAlarm, ItemInfo::kInt);
    recorder.setHub(hub);
    const auto raise = [&](int to, const QString& said) {
        text->setValue(said);
        level->setValue(std::int16_t(to));
    };
    raise(1, "SWR 2.2:1 for 200 ms");
    raise(2, "SWR 3.4:1 for 200 ms: standby; back to operate in 10 s");
    text->setValue("SWR 3.4:1 for 200 ms: standby; stays in standby: the condition still holds");
    raise(0, ""); // acknowledged
    raise(1, "SWR 2.1:1 for 200 ms");
    recorder.flush();
    recorder.waitForWriter();
    const auto newestFirst = HistoryReader(recorder.path()).events({});
    QStringList said;
    for (auto e = newestFirst.rbegin(); e != newestFirst.rend(); ++e) {
        EXPECT_EQ(e->kind, "alarm");
        EXPECT_EQ(e->amplifier, 2);
        said << e->text;
    }
    EXPECT_EQ(said, QStringList({"Warning: SWR 2.2:1 for 200 ms",
                                 "Trip: SWR 3.4:1 for 200 ms: standby; back to operate in 10 s",
                                 "Trip: SWR 3.4:1 for 200 ms: standby; stays in standby: the "
                                 "condition still holds",
                                 "Warning: SWR 2.1:1 for 200 ms"}));
}

} // namespace
} // namespace tarvex
