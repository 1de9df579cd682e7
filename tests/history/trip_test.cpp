#include "fake_amplifier.h"
#include "recording.h"

#include "history/history_store.h"
#include "history/meter_ring.h"
#include "history/trip_track.h"

#include "../support/printers.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

namespace tarvex {
namespace {

using test::FakeAmplifier;
using test::kStart;
using test::Recording;

// One number read from the file by a connection of its own.
qint64 scalar(const QString& path, const char* sql) {
    const QString name = QStringLiteral("trip-test-scalar");
    qint64 out = -1;
    {
        auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        QSqlQuery q(db);
        if (db.open() && q.exec(QLatin1String(sql)) && q.next())
            out = q.value(0).toLongLong();
    }
    QSqlDatabase::removeDatabase(name);
    return out;
}

TEST(MeterRing, DropsTheOldestFirstAndNeverGrows) {
    MeterRing ring;
    const auto pushed = static_cast<qint64>(MeterRing::kCapacity) + 300;
    for (qint64 i = 0; i < pushed; ++i)
        ring.push({i, {static_cast<int>(i)}});
    ASSERT_EQ(ring.size(), MeterRing::kCapacity);
    for (std::size_t i = 0; i < ring.size(); ++i)
        ASSERT_EQ(ring.at(i).timeMs, 300 + static_cast<qint64>(i)) << i;
    ring.amendNewest({7, 7, 7, 7, 7});
    EXPECT_EQ(ring.at(ring.size() - 1).meters[4], 7);
    EXPECT_EQ(ring.at(ring.size() - 2).meters[4], 0);
    const auto window = ring.between(1000, 1010); // both ends included
    ASSERT_EQ(window.size(), 11u);
    EXPECT_EQ(window.front().meters[0], 1000);
}

// A change: a meter (0 pfwd .. 4 ip) and its value; -1 is the end of a pass of the event loop.
struct LineCase {
    const char* name;
    std::vector<std::pair<int, int>> changes;
    std::vector<std::array<int, kMeterCount>> rows;
};

class Lines : public testing::TestWithParam<LineCase> {};

// What the driver's meter changes make of the ring: one row per metering line.
TEST_P(Lines, AreOneRowEach) {
    TripTrack track(0);
    qint64 t = 0;
    for (const auto& [meter, value] : GetParam().changes) {
        if (meter < 0)
            track.settle();
        else
            track.meter(static_cast<std::size_t>(meter), value, ++t);
    }
    const MeterRing& ring = track.ring();
    ASSERT_EQ(ring.size(), GetParam().rows.size());
    for (std::size_t i = 0; i < ring.size(); ++i)
        EXPECT_EQ(ring.at(i).meters, GetParam().rows[i]) << i;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Trips, Lines, testing::Values(
    LineCase{"all_five_changed", {{0, 900}, {1, 20}, {2, 45}, {3, 150}, {4, 700}}, {{900, 20, 45, 150, 700}}},
    LineCase{"repeated_meters_announce_nothing", {{0, 900}, {0, 910}, {0, 905}}, {{900}, {910}, {905}}},
    LineCase{"two_lines_in_one_pass", {{0, 900}, {2, 45}, {4, 700}, {0, 950}, {1, 30}}, {{900, 0, 45, 0, 700}, {950, 30, 45, 0, 700}}},
    LineCase{"the_next_line_starts_later_in_the_order", {{1, 20}, {4, 700}, {3, 160}}, {{0, 20, 0, 0, 700}, {0, 20, 0, 160, 700}}},
    LineCase{"a_pass_ends_a_line_without_ip", {{0, 900}, {1, 20}, {-1, 0}, {2, 45}}, {{900, 20}, {900, 20, 45}}}),
    test::CaseName{});
// clang-format on

constexpr qint64 kStep = kStart + 8000; // reflected power steps up here
constexpr qint64 kLineMs = 10;

struct TripCase {
    const char* name;
    // Done after the line at step + offset; each gets the amplifier.
    std::vector<std::pair<qint64, std::function<void(FakeAmplifier&)>>> actions;
    std::vector<std::pair<qint64, const char*>> trips; // offset from the step, cause
};

class Trips : public testing::TestWithParam<TripCase> {};

// A hundred lines a second for 11.5 s, reflected power stepping from 20 W to 350 W at the step;
// what history.db keeps of it.
TEST_P(Trips, KeepTheFiveSecondsBeforeAndTheTwoAfter) {
    Recording r;
    const HubPtr hub = Hub::create();
    FakeAmplifier amp(hub, 1, QStringLiteral("Tower"));
    r.recorder.setHub(hub);
    amp.answer();
    for (r.now = kStart; r.now <= kStep + 3500; r.now += kLineMs) {
        const int wobble = static_cast<int>((r.now / kLineMs) % 7);
        amp.meters(1000 + wobble, r.now < kStep ? 20 : 350, 50, 180, 800 + wobble);
        for (const auto& [offset, act] : GetParam().actions) {
            if (r.now == kStep + offset)
                act(amp);
        }
        if (r.now % 500 == 0)
            r.recorder.flush(); // as the recorder's timer does
    }
    HistoryReader reader = r.written();
    const std::vector<HistoryTrip> listed = reader.trips();
    ASSERT_EQ(listed.size(), GetParam().trips.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        // Newest first.
        const auto& [offset, cause] = GetParam().trips[listed.size() - 1 - i];
        const std::optional<HistoryTrip> trip = reader.trip(listed[i].id);
        ASSERT_TRUE(trip);
        EXPECT_EQ(trip->timeMs, kStep + offset);
        EXPECT_EQ(trip->amplifier, 1);
        EXPECT_EQ(trip->name, QStringLiteral("Tower"));
        EXPECT_EQ(trip->cause, QString::fromUtf8(cause));
        const auto& rows = trip->readings;
        ASSERT_EQ(rows.size(), 701u); // every line from 5 s before to 2 s after
        EXPECT_EQ(rows.front().timeMs, trip->timeMs - 5000);
        EXPECT_EQ(rows.back().timeMs, trip->timeMs + 2000);
        EXPECT_TRUE(std::ranges::is_sorted(rows, {}, &TripReading::timeMs));
        for (const TripReading& row : rows) {
            const int wobble = static_cast<int>((row.timeMs / kLineMs) % 7);
            const std::array<int, kMeterCount> line = {1000 + wobble, row.timeMs < kStep ? 20 : 350,
                                                       50, 180, 800 + wobble};
            ASSERT_EQ(row.meters, line) << row.timeMs - kStep;
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
    TripCase{"a_rise_after_the_two_seconds_is_a_trip_of_its_own_a_fall_none",
             {{-2600, [](auto& a) { a.raise(amp::Alarm::Trip, "Grid current high"); }},
              {-2000, [](auto& a) { a.raise(amp::Alarm::Warning, "Grid current still high"); }},
              {-1000, [](auto& a) { a.raise(amp::Alarm::None, ""); }},
              {1500, [](auto& a) { a.raise(amp::Alarm::Warning, "Grid current high again"); }}},
             {{-2600, "Grid current high"}, {1500, "Grid current high again"}}}),
    test::CaseName{});
// clang-format on

// The program ends a second into a trip: it is written with the lines it has.
TEST(TripRecord, UnderWayAtTheEndAreWrittenWithWhatTheyHave) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.db"));
    qint64 now = kStart;
    auto recorder = std::make_unique<HistoryRecorder>(path, [&now] { return now; });
    recorder->start();
    const HubPtr hub = Hub::create();
    FakeAmplifier amp(hub, 0, QStringLiteral("Tower"));
    recorder->setHub(hub);
    amp.answer();
    for (int i = 0; i < 20; ++i, now += 100) {
        amp.meters(1000 + i, 20, 50, 180, 800);
        if (i == 10)
            amp.reportFault(12, QStringLiteral("High input refl power"));
    }
    recorder.reset();
    HistoryReader reader(path);
    const auto listed = reader.trips();
    ASSERT_EQ(listed.size(), 1u);
    const auto trip = reader.trip(listed[0].id);
    ASSERT_TRUE(trip);
    EXPECT_EQ(trip->cause, QStringLiteral("High input refl power"));
    // The meters as the record met them, then the twenty lines.
    ASSERT_EQ(trip->readings.size(), 21u);
    EXPECT_EQ(trip->readings.back().meters[0], 1019);
}

// A file of the first layout, as the program before trips left it: it is read as it is, and
// brought up to the present one, its record kept, when the recorder opens it.
TEST(TripRecord, AFileFromBeforeThemIsUpgradedWithItsRecordKept) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.db"));
    {
        auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("v1"));
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        for (const char* statement :
             {"PRAGMA application_id=1417050184", "PRAGMA user_version=1",
              "CREATE TABLE events (time TEXT NOT NULL, amplifier INTEGER NOT NULL, name TEXT, "
              "kind TEXT NOT NULL, code INTEGER, text TEXT)",
              "CREATE TABLE readings (time TEXT NOT NULL, amplifier INTEGER NOT NULL, pfwd_peak "
              "INTEGER, pfwd_mean REAL, prfl_peak INTEGER, prfl_mean REAL, pinp_peak INTEGER, "
              "pinp_mean REAL, ig_peak INTEGER, ig_mean REAL, ip_peak INTEGER, ip_mean REAL, "
              "PRIMARY KEY (amplifier, time)) WITHOUT ROWID",
              "INSERT INTO events VALUES ('2024-05-01T02:00:00.000Z', 0, 'Tower', 'fault', 14, "
              "'Arc')"})
            ASSERT_TRUE(q.exec(QLatin1String(statement))) << statement;
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("v1"));
    {
        HistoryReader before(path);
        EXPECT_TRUE(before.trips().empty());
        EXPECT_EQ(before.error(), QString());
    }
    HistoryStore store(path);
    ASSERT_TRUE(store.open(kStart));
    HistoryBatch b;
    b.trips.push_back({0,
                       kStart,
                       0,
                       QStringLiteral("Tower"),
                       QStringLiteral("Arc"),
                       {{kStart - 10, {900, 30, 40, 150, 700}}, {kStart, {0, 0, 0, 0, 0}}}});
    ASSERT_TRUE(store.write(b));
    HistoryReader after(path);
    ASSERT_EQ(after.events({}).size(), 1u);
    const auto listed = after.trips();
    ASSERT_EQ(listed.size(), 1u);
    const auto trip = after.trip(listed[0].id);
    ASSERT_TRUE(trip);
    EXPECT_EQ(trip->readings.size(), 2u);
    EXPECT_EQ(trip->readings[0].meters[1], 30);
    EXPECT_EQ(scalar(path, "PRAGMA user_version"), 2);
}

// Trips go with the events' year, and past the newest kMaxTrips, their readings with them.
TEST(TripRecord, AreKeptAYearAndOnlyTheNewest) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.db"));
    HistoryStore store(path);
    ASSERT_TRUE(store.open(kStart));
    constexpr qint64 kYear = 366LL * 24 * 3600 * 1000;
    const auto trip = [](qint64 t, const QString& cause) {
        return HistoryTrip{0, t, 0, {}, cause, {{t, {1}}, {t + 10, {2}}}};
    };
    HistoryBatch b;
    b.trips.push_back(trip(kStart - kYear - 1, QStringLiteral("old")));
    for (int i = 0; i + 1 < HistoryStore::kMaxTrips; ++i)
        b.trips.push_back(trip(kStart + i, QString::number(i)));
    ASSERT_TRUE(store.write(b));
    HistoryReader reader(path);
    EXPECT_EQ(reader.trips().back().cause, QStringLiteral("old"));
    ASSERT_TRUE(store.prune(kStart, 30));
    EXPECT_EQ(reader.trips().size(), static_cast<std::size_t>(HistoryStore::kMaxTrips) - 1);
    EXPECT_EQ(reader.trips().back().cause, QStringLiteral("0"));
    b.trips = {trip(kStart + 1000, QStringLiteral("new")),
               trip(kStart + 1001, QStringLiteral("newer"))};
    ASSERT_TRUE(store.write(b));
    const auto now = reader.trips();
    ASSERT_EQ(now.size(), static_cast<std::size_t>(HistoryStore::kMaxTrips));
    EXPECT_EQ(now.front().cause, QStringLiteral("newer"));
    EXPECT_EQ(now.back().cause, QStringLiteral("1"));
    EXPECT_EQ(scalar(path, "SELECT count(*) FROM trip_readings"), 2 * HistoryStore::kMaxTrips);
}

} // namespace
} // namespace tarvex
