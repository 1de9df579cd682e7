#include "fake_amplifier.h"

#include "history/history_reader.h"
#include "history/history_recorder.h"
#include "history/history_store.h"
#include "history/meter_ring.h"
#include "history/trip_track.h"

#include "../support/printers.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace tarvex {
namespace {

using test::FakeAmplifier;

constexpr qint64 kStart = 1'714'529'640'000; // 2024-05-01T02:14:00Z

// What the sqlite3 program prints of sql on the file, as a number; -1 when it fails.
qint64 sqlite3(const QString& path, const char* sql) {
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {path, QLatin1String(sql)});
    const bool ran = p.waitForFinished(5000) && p.exitStatus() == QProcess::NormalExit;
    return ran && p.exitCode() == 0 ? p.readAllStandardOutput().trimmed().toLongLong() : -1;
}

TEST(MeterRing, DropsTheOldestFirstAndNeverGrows) {
    MeterRing ring;
    for (qint64 i = 0; i < static_cast<qint64>(MeterRing::kCapacity) + 300; ++i)
        ring.push({i, {static_cast<int>(i)}});
    ASSERT_EQ(ring.size(), MeterRing::kCapacity);
    for (std::size_t i = 0; i < ring.size(); ++i)
        ASSERT_EQ(ring.at(i).timeMs, 300 + static_cast<qint64>(i)) << i;
    EXPECT_EQ(ring.between(1000, 1010).size(), 11u); // both ends included
}

// The meters of a line change in the driver's order, each only when its value does.
TEST(TripTrack, MakesOneRowOfEachLine) {
    TripTrack track(0);
    track.meter(0, 900, 1), track.meter(2, 45, 1);  // pfwd, pinp
    track.meter(1, 30, 2), track.meter(3, 150, 2);  // prfl begins the next line; ig goes with it
    track.settle();                                 // the end of a pass ends a line too
    track.meter(4, 700, 3), track.meter(4, 710, 4); // a meter again is a line again
    ASSERT_EQ(track.ring().size(), 4u);
    EXPECT_EQ(track.ring().at(0).meters, (std::array{900, 0, 45, 0, 0}));
    EXPECT_EQ(track.ring().at(1).meters, (std::array{900, 30, 45, 150, 0}));
}

constexpr qint64 kStep = kStart + 8000; // reflected power steps up here
constexpr qint64 kLineMs = 10;

struct TripCase {
    const char* name;
    // Done after the line at step + offset.
    std::vector<std::pair<qint64, std::function<void(FakeAmplifier&)>>> actions;
    std::vector<std::pair<qint64, const char*>> trips; // offset from the step, cause; oldest first
    qint64 endAt = 3500;                               // the program ends, from the step
};

class Trips : public testing::TestWithParam<TripCase> {};

// A hundred lines a second, reflected power stepping from 20 W to 350 W at the step, the record
// flushed every half second as its timer does; what history.db keeps of it.
TEST_P(Trips, KeepTheFiveSecondsBeforeAndTheTwoAfter) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.db"));
    qint64 now = kStart;
    std::optional<HistoryRecorder> recorder(std::in_place, path, [&now] { return now; });
    recorder->start();
    const HubPtr hub = Hub::create();
    FakeAmplifier amp(hub, 1, QStringLiteral("Tower"));
    recorder->setHub(hub);
    const auto line = [](qint64 t) {
        const int wobble = static_cast<int>((t / kLineMs) % 7);
        return std::array<int, kMeterCount>{1000 + wobble, t < kStep ? 20 : 350, 50, 180,
                                            800 + wobble};
    };
    for (; now <= kStep + GetParam().endAt; now += kLineMs) {
        for (std::size_t m = 0;
             const ItemPtr& meter : {amp.pfwd, amp.prfl, amp.pinp, amp.ig, amp.ip})
            meter->setValue(line(now)[m++]);
        for (const auto& [offset, act] : GetParam().actions) {
            if (now == kStep + offset)
                act(amp);
        }
        if (now % 500 == 0)
            recorder->flush();
    }
    recorder.reset();
    HistoryReader reader(path);
    const std::vector<HistoryTrip> listed = reader.trips();
    ASSERT_EQ(listed.size(), GetParam().trips.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        const auto& [offset, cause] = GetParam().trips[listed.size() - 1 - i]; // newest first
        const HistoryTrip trip = reader.trip(listed[i].id).value();
        EXPECT_EQ(trip.timeMs, kStep + offset);
        EXPECT_EQ(trip.cause, QString::fromUtf8(cause));
        // Every line from 5 s before to 2 s after, or to the end.
        const qint64 last = kStep + std::min(offset + 2000, GetParam().endAt);
        const auto& rows = trip.readings;
        ASSERT_EQ(rows.size(), static_cast<std::size_t>((last - trip.timeMs + 5000) / kLineMs + 1));
        for (std::size_t n = 0; n < rows.size(); ++n) {
            ASSERT_EQ(rows[n].timeMs, trip.timeMs - 5000 + static_cast<qint64>(n) * kLineMs);
            ASSERT_EQ(rows[n].meters, line(rows[n].timeMs)) << rows[n].timeMs - kStep;
        }
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(History, Trips, testing::Values(
    TripCase{"swr_alarm_raised_again_within_the_two_seconds",
             {{0, [](auto& a) { a.raise(amp::Alarm::Warning, "SWR 2.2 over 2.0"); }},
              {10, [](auto& a) { a.raise(amp::Alarm::Trip, "SWR 2.2 over 2.0, keyed off"); }},
              {1000, [](auto& a) { a.raise(amp::Alarm::None, ""); a.raise(amp::Alarm::Trip, "Again"); }}},
             {{0, "SWR 2.2 over 2.0"}}},
    TripCase{"fault_with_its_text", {{0, [](auto& a) { a.reportFault(14, "Excessive refl. power"); }}},
             {{0, "Excessive refl. power"}}},
    // The first trip's two seconds end at -600, and close() next comes by at -500.
    TripCase{"a_rise_after_the_two_seconds_is_a_trip_of_its_own_a_fall_none",
             {{-2600, [](auto& a) { a.raise(amp::Alarm::Trip, "Grid current high"); }},
              {-590, [](auto& a) { a.raise(amp::Alarm::Warning, "Grid current still high"); }},
              {-580, [](auto& a) { a.raise(amp::Alarm::None, ""); }},
              {-570, [](auto& a) { a.raise(amp::Alarm::Warning, "Grid current high again"); }}},
             {{-2600, "Grid current high"}, {-570, "Grid current high again"}}},
    TripCase{"under_way_at_the_end_with_what_it_has", {{0, [](auto& a) { a.reportFault(12, "High input refl power"); }}},
             {{0, "High input refl power"}}, 1000}),
    test::CaseName{});
// clang-format on

// A file of the first layout, as the program before trips left it: read as it is, and brought
// up to the present one with its record kept when the recorder opens it.
TEST(TripRecord, AFileFromBeforeThemIsUpgradedWithItsRecordKept) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.db"));
    ASSERT_EQ(sqlite3(path, "PRAGMA application_id=1417050184; PRAGMA user_version=1; "
                            "CREATE TABLE events (time TEXT NOT NULL, amplifier INTEGER NOT NULL, "
                            "name TEXT, kind TEXT NOT NULL, code INTEGER, text TEXT); INSERT INTO "
                            "events VALUES ('2024-05-01T02:00:00.000Z', 0, 'Tower', 'fault', 14, "
                            "'Arc')"),
              0);
    HistoryStore store(path);
    HistoryBatch b;
    b.trips.push_back({0, kStart, 0, "Tower", "Arc", {{kStart, {900, 30, 40, 150, 700}}}});
    ASSERT_TRUE(store.open(kStart) && store.write(b));
    HistoryReader after(path);
    EXPECT_EQ(after.events({}).size(), 1u);
    ASSERT_EQ(after.trips().size(), 1u);
    EXPECT_EQ(after.trip(after.trips()[0].id)->readings[0].meters[1], 30);
}

// Trips go with the events' year, and past the newest kMaxTrips, their readings with them.
TEST(TripRecord, AreKeptAYearAndOnlyTheNewest) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.db"));
    HistoryStore store(path);
    ASSERT_TRUE(store.open(kStart));
    const auto trip = [](qint64 t, const QString& cause) {
        return HistoryTrip{0, t, 0, {}, cause, {{t, {1}}, {t + 10, {2}}}};
    };
    HistoryBatch b;
    b.trips.push_back(trip(kStart - 366LL * 24 * 3600 * 1000 - 1, "old"));
    for (int i = 0; i + 1 < HistoryStore::kMaxTrips; ++i)
        b.trips.push_back(trip(kStart + i, QString::number(i)));
    ASSERT_TRUE(store.write(b));
    HistoryReader reader(path);
    ASSERT_TRUE(store.prune(kStart, 30));
    EXPECT_EQ(reader.trips().back().cause, QStringLiteral("0"));
    b.trips = {trip(kStart + 1000, "new"), trip(kStart + 1001, "newer")};
    ASSERT_TRUE(store.write(b));
    EXPECT_EQ(reader.trips().size(), static_cast<std::size_t>(HistoryStore::kMaxTrips));
    EXPECT_EQ(reader.trips().back().cause, QStringLiteral("1"));
    EXPECT_EQ(sqlite3(path, "SELECT count(*) FROM trip_readings"), 2 * HistoryStore::kMaxTrips);
}

} // namespace
} // namespace tarvex
